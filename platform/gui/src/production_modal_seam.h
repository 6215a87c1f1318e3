#pragma once

// The modal seam of the running program: real modal loops.

#include "gui/modal_seam.h"

namespace gui {

class ProductionModalSeam : public ModalSeam {
 public:
  int runDialog(Dialog& dialog) override;
  int runMessageBox(const MessageBoxRequest& request) override;
  UINT runPopupMenu(const PopupMenuRequest& request) override;
};

}  // namespace gui
