#pragma once

// The one-line text dialog (template 140) shared by the commands that take a
// single text: its mode names the method in the caption and says in the
// label what to type. The dialog checks nothing; the command reads `text`.

#include <string>

#include "gui/dialog.h"

class CTextParamDialog : public gui::Dialog {
 public:
  enum Mode {
    kGetItemId = 0,          // IOPCBrowseServerAddressSpace::GetItemID
    kBrowseAccessPaths = 1,  // IOPCBrowseServerAddressSpace::BrowseAccessPaths
    kSetName = 2,            // IOPCGroupStateMgt::SetName
    kCloneGroup = 3,         // IOPCGroupStateMgt::CloneGroup
    kGetErrorString = 4,     // IOPCCommon::GetErrorString (the text is a hex code)
    kSetClientName = 5,      // IOPCCommon::SetClientName
  };

  // Any other mode keeps the template's empty caption and general label.
  explicit CTextParamDialog(int mode, gui::Window* owner = nullptr);

  int mode() const { return mode_; }

  // The text field: shown on opening, read back on OK. Empty at first.
  std::string text;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(gui::DataExchange& exchange) override;

 private:
  int mode_;
};
