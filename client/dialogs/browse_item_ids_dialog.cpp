#include "dialogs/browse_item_ids_dialog.h"

#include "dialogs/choice_entries.h"
#include "dialogs/combo_box_choice_list.h"
#include "format/choice_fillers.h"
#include "resources/parameter_dialog_ids.h"
#include "session/browse_position.h"

using namespace quillon;

CBrowseItemIdsDialog::CBrowseItemIdsDialog(gui::Window* owner) : gui::Dialog(IDD_BROWSE_ITEM_IDS, owner) {}

bool CBrowseItemIdsDialog::OnInitDialog() {
  SetDlgItemText(IDC_BROWSE_POSITION, QString::fromStdString(CurrentBrowsePosition()));
  FillChoices(comboBox(IDC_BROWSE_FILTER_TYPE), {{"OPC_FLAT", OPC_FLAT}, {"OPC_BRANCH", OPC_BRANCH}, {"OPC_LEAF", OPC_LEAF}});
  FillChoices(comboBox(IDC_ACCESS_RIGHTS_FILTER),
              {{"No filtering", 0}, {"OPC_READABLE", OPC_READABLE}, {"OPC_WRITEABLE", OPC_WRITEABLE}});
  ComboBoxChoiceList types(comboBox(IDC_DATA_TYPE_FILTER));
  FillVarTypeList(types, VT_EMPTY);
  return gui::Dialog::OnInitDialog();
}

void CBrowseItemIdsDialog::DoDataExchange(gui::DataExchange& exchange) {
  exchange.text(IDC_FILTER_CRITERIA, filterCriteria);
  if (!exchange.saveAndValidate()) return;
  // Each list gives its chosen entry's value; a list without a choice gives the default.
  filterType = OPC_FLAT;
  dataTypeFilter = VT_EMPTY;
  accessRightsFilter = 0;
  exchange.comboItemData(IDC_BROWSE_FILTER_TYPE, filterType);
  exchange.comboItemData(IDC_ACCESS_RIGHTS_FILTER, accessRightsFilter);
  exchange.comboItemData(IDC_DATA_TYPE_FILTER, dataTypeFilter);
}
