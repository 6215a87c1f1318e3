#pragma once

// The write dialog of an item (template 136): a value typed as text and the
// type it is to be written as, preset to the item's canonical type. On OK
// the text is converted to that type; a text that does not convert keeps
// the dialog open. Arrays cannot be written: for an array item the dialog
// says so and ends as cancelled at once.

#include <string>

#include "com/oleauto.h"
#include "gui/dialog.h"

class CWriteValueDialog : public gui::Dialog {
 public:
  explicit CWriteValueDialog(VARTYPE canonicalType, gui::Window* owner = nullptr);
  // Clears `value`.
  ~CWriteValueDialog() override;

  std::string valueText = "0";     // "Value to write"
  VARTYPE variantFormat;           // "VARIANT Format": the chosen type, VT_BSTR when none is chosen
  // The converted value after OK. It belongs to the dialog, which clears it
  // when it is destroyed: write it while the dialog lives, or copy it.
  VARIANT value;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void DoDataExchange(gui::DataExchange& exchange) override;
};
