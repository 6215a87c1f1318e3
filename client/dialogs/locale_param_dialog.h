#pragma once

// The locale dialog of IOPCCommon::SetLocaleID (template 149).

#include "gui/dialog.h"
#include "win/types.h"

class CLocaleParamDialog : public gui::Dialog {
 public:
  explicit CLocaleParamDialog(gui::Window* owner = nullptr);

  // "Specify the new defaul Locale ID": the chosen locale; 0 when none is chosen.
  LCID locale = 0;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(gui::DataExchange& exchange) override;
};
