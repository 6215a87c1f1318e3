#pragma once

// The choice dialog (template 145): one editable drop-down, sorted, whose
// chosen entry's number is the result. Mode 0 offers the value types a
// client may request, mode 1 the answers FALSE and TRUE.

#include "gui/dialog.h"
#include "win/types.h"

class CChoiceParamDialog : public gui::Dialog {
 public:
  enum Mode {
    kSetDatatypes = 0,   // IOPCItemMgt::SetDatatypes: a type code, VT_EMPTY preselected
    kValidateItems = 1,  // IOPCItemMgt::ValidateItems: return blobs, FALSE (0) preselected
  };

  explicit CChoiceParamDialog(int mode, gui::Window* owner = nullptr);

  int mode() const { return mode_; }

  // The number behind the chosen entry; stays 0 (VT_EMPTY or FALSE) when the
  // user typed a text that is no entry.
  DWORD value = 0;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(gui::DataExchange& exchange) override;

 private:
  int mode_;
};
