#pragma once

// The group-lookup dialog (template 2003): the name of a group and the
// interface through which the client wants to reach it. Mode 0 looks up a
// public group, mode 1 a private one.

#include <string>

#include "com/unknown.h"
#include "gui/dialog.h"

class CGroupByNameDialog : public gui::Dialog {
 public:
  enum Mode {
    kPublicGroup = 0,   // IOPCServerPublicGroups::GetPublicGroupByName
    kPrivateGroup = 1,  // IOPCServer::GetGroupByName
  };

  explicit CGroupByNameDialog(int mode, gui::Window* owner = nullptr);

  int mode() const { return mode_; }

  std::string groupName;                // "Name of the Group"
  IID interfaceId = IID_IUnknown;       // the chosen "Type of desired interface"
  std::string interfaceType = "IUnknown";  // its name, as the list shows it

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void DoDataExchange(gui::DataExchange& exchange) override;

 private:
  int mode_;
};
