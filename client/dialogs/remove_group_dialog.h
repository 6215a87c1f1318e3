#pragma once

// The remove-group dialog (template 2008): the server's handle of the group
// and whether to remove it even while references to it are outstanding.
// Mode 0 removes a public group, mode 1 a private one.

#include "gui/dialog.h"
#include "win/types.h"

class CRemoveGroupDialog : public gui::Dialog {
 public:
  enum Mode {
    kPublicGroup = 0,   // IOPCServerPublicGroups::RemovePublicGroup
    kPrivateGroup = 1,  // IOPCServer::RemoveGroup
  };

  explicit CRemoveGroupDialog(int mode, gui::Window* owner = nullptr);

  int mode() const { return mode_; }

  DWORD groupHandle = 0;  // "Handle of the group to be removed"
  bool force = false;     // "Forces deletion of the group even if references are outstanding"

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(gui::DataExchange& exchange) override;

 private:
  int mode_;
};
