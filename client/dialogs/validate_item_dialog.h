#pragma once

// The validate-item dialog of a group (template 157): the item definition
// to check and whether the server should return a blob for it.

#include <string>

#include "com/oleauto.h"
#include "gui/dialog.h"

class CValidateItemDialog : public gui::Dialog {
 public:
  explicit CValidateItemDialog(gui::Window* owner = nullptr);

  std::string itemId;                    // "Item ID"
  std::string accessPath;                // "Access Path"
  VARTYPE requestedDataType = VT_EMPTY;  // "Requested Data Type"; VT_EMPTY for a typed text that is no type
  bool returnBlob = false;               // "Server should return Blob"

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(gui::DataExchange& exchange) override;
};
