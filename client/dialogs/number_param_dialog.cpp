#include "dialogs/number_param_dialog.h"

#include "resources/parameter_dialog_ids.h"

CNumberParamDialog::CNumberParamDialog(QString caption, QString label, gui::Window* owner)
    : gui::Dialog(quillon::IDD_NUMBER_PARAM, owner), caption_(std::move(caption)), label_(std::move(label)) {}

CNumberParamDialog::CNumberParamDialog(QString caption, QString label, QString checkBoxText, gui::Window* owner)
    : gui::Dialog(quillon::IDD_NUMBER_PARAM_WITH_CHECK, owner),
      caption_(std::move(caption)),
      label_(std::move(label)),
      checkBoxText_(std::move(checkBoxText)) {}

bool CNumberParamDialog::OnInitDialog() {
  SetWindowText(caption_);
  SetDlgItemText(quillon::IDC_PARAM_LABEL, label_);
  // The hidden check box of the number-only template keeps its own text.
  if (templateId() == quillon::IDD_NUMBER_PARAM_WITH_CHECK) SetDlgItemText(quillon::IDC_PARAM_CHECK, checkBoxText_);
  return gui::Dialog::OnInitDialog();
}

void CNumberParamDialog::DoDataExchange(gui::DataExchange& exchange) {
  exchange.text(quillon::IDC_PARAM_FIELD, number);
  exchange.minMax(quillon::IDC_PARAM_FIELD, number, 1u, 4294967295u);
  exchange.check(quillon::IDC_PARAM_CHECK, checked);
}
