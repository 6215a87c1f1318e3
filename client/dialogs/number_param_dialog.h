#pragma once

// The number dialog: one whole number from 1 to 4294967295 and a flag. Its
// caption and label come from the command. Template 141 hides the check
// box; template 148 shows it with the command's text. Commands set the
// members after creating the dialog to preset the fields.

#include <QString>

#include "gui/dialog.h"
#include "win/types.h"

class CNumberParamDialog : public gui::Dialog {
 public:
  // Template 141: the number alone.
  CNumberParamDialog(QString caption, QString label, gui::Window* owner = nullptr);
  // Template 148: the number and a check box with `checkBoxText`.
  CNumberParamDialog(QString caption, QString label, QString checkBoxText, gui::Window* owner = nullptr);

  DWORD number = 0;      // 0 is refused on OK: the user must choose a number
  bool checked = false;  // the check box (hidden in template 141)

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(gui::DataExchange& exchange) override;

 private:
  QString caption_;
  QString label_;
  QString checkBoxText_;
};
