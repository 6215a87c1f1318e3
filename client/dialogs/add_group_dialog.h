#pragma once

// The add-group dialog (template 2004): the new group's name, the handle by
// which the client will know it, its update rate, whether it starts active,
// and its percent deadband. The time bias, locale and interface that the
// command passes are fixed and only shown.

#include <string>

#include "gui/dialog.h"
#include "win/types.h"

class CAddGroupDialog : public gui::Dialog {
 public:
  explicit CAddGroupDialog(gui::Window* owner = nullptr);

  std::string groupName;          // "Name of the Group"
  DWORD providedHandle = 0;       // "Provided Handle": the client's handle of the group
  DWORD requestedUpdateRate = 0;  // "Req. Update Rate" in milliseconds
  bool active = true;             // "Create Group": "Active" or "Inactive"
  float percentDeadband = 0;      // "Percent Deadband", 0 to 100

 protected:
  void DoDataExchange(gui::DataExchange& exchange) override;
};
