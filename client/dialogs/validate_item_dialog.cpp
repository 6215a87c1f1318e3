#include "dialogs/validate_item_dialog.h"

#include "dialogs/combo_box_choice_list.h"
#include "format/choice_fillers.h"
#include "resources/parameter_dialog_ids.h"

using namespace quillon;

CValidateItemDialog::CValidateItemDialog(gui::Window* owner) : gui::Dialog(IDD_VALIDATE_ITEM, owner) {}

bool CValidateItemDialog::OnInitDialog() {
  ComboBoxChoiceList types(comboBox(IDC_REQUESTED_DATA_TYPE));
  FillVarTypeList(types, VT_EMPTY);
  return gui::Dialog::OnInitDialog();
}

void CValidateItemDialog::DoDataExchange(gui::DataExchange& exchange) {
  exchange.text(IDC_ITEM_ID, itemId);
  exchange.text(IDC_ACCESS_PATH, accessPath);
  exchange.check(IDC_RETURN_BLOB, returnBlob);
  if (!exchange.saveAndValidate()) return;
  requestedDataType = VT_EMPTY;
  exchange.comboItemData(IDC_REQUESTED_DATA_TYPE, requestedDataType);
}
