#include "gui/modal_seam.h"

#include "production_modal_seam.h"

namespace gui {
namespace {

ModalSeam* installedSeam = nullptr;
int running = 0;

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

int ModalSeam::runningCount() { return running; }

ModalSeam::Running::Running() { ++running; }

ModalSeam::Running::~Running() { --running; }

}  // namespace gui
