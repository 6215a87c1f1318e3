#pragma once

// The dialog that moves the server's browse position (template 139): up one
// level, down into a branch, or to a fully qualified position. The branch
// field is used only for "DOWN" and "TO", but its text is returned with
// every direction.

#include <string>

#include "gui/dialog.h"
#include "opc/types.h"

class CChangeBrowsePositionDialog : public gui::Dialog {
 public:
  explicit CChangeBrowsePositionDialog(gui::Window* owner = nullptr);

  OPCBROWSEDIRECTION direction = OPC_BROWSE_UP;  // "Browse Direction": "UP", "DOWN" or "TO"
  std::string branch;                            // "Branch to move into"

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(gui::DataExchange& exchange) override;

 private:
  void OnDirection();
};
