#include "gui/modal_seam.h"

#include "production_modal_seam.h"

namespace gui {
namespace {

ModalSeam* installedSeam = nullptr;

}  // namespace

int MessageBoxRequest::escapeAnswer() const {
  switch (buttons()) {
    case MB_OK: return IDOK;
    case MB_YESNO: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDCANCEL;  // OK/Cancel, Yes/No/Cancel, Retry/Cancel
  }
}

ModalSeam& ModalSeam::current() {
  static ProductionModalSeam production;
  return installedSeam != nullptr ? *installedSeam : production;
}

void ModalSeam::install(ModalSeam* seam) { installedSeam = seam; }

}  // namespace gui
