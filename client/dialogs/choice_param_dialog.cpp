#include "dialogs/choice_param_dialog.h"

#include "dialogs/choice_entries.h"
#include "dialogs/combo_box_choice_list.h"
#include "format/choice_fillers.h"
#include "resources/parameter_dialog_ids.h"

CChoiceParamDialog::CChoiceParamDialog(int mode, gui::Window* owner)
    : gui::Dialog(quillon::IDD_CHOICE_PARAM, owner), mode_(mode) {}

bool CChoiceParamDialog::OnInitDialog() {
  gui::ComboBox list = comboBox(quillon::IDC_PARAM_FIELD);
  if (mode_ == kSetDatatypes) {
    SetWindowText("IOPCItemMgt::SetDatatypes");
    SetDlgItemText(quillon::IDC_PARAM_LABEL, "New Requested Datatype");
    ComboBoxChoiceList choices(list);
    FillVarTypeList(choices, VT_EMPTY);
  } else if (mode_ == kValidateItems) {
    SetWindowText("IOPCItemMgt::ValidateItems");
    SetDlgItemText(quillon::IDC_PARAM_LABEL, "Server should return Blobs");
    FillChoices(list, {{"FALSE", 0}, {"TRUE", 1}});
  }
  return gui::Dialog::OnInitDialog();
}

void CChoiceParamDialog::DoDataExchange(gui::DataExchange& exchange) {
  // The list starts at its preselected entry; only the choice is read back.
  if (exchange.saveAndValidate()) exchange.comboItemData(quillon::IDC_PARAM_FIELD, value);
}
