#include "dialogs/group_enum_scope_dialog.h"

#include "dialogs/choice_entries.h"
#include "resources/parameter_dialog_ids.h"

using namespace quillon;

CGroupEnumScopeDialog::CGroupEnumScopeDialog(gui::Window* owner) : gui::Dialog(IDD_GROUP_ENUM_SCOPE, owner) {}

bool CGroupEnumScopeDialog::OnInitDialog() {
  FillChoices(comboBox(IDC_ENUM_SCOPE), {{"OPC_ENUM_PRIVATE_CONNECTIONS", OPC_ENUM_PRIVATE_CONNECTIONS},
                                         {"OPC_ENUM_PUBLIC_CONNECTIONS", OPC_ENUM_PUBLIC_CONNECTIONS},
                                         {"OPC_ENUM_ALL_CONNECTIONS", OPC_ENUM_ALL_CONNECTIONS},
                                         {"OPC_ENUM_PRIVATE", OPC_ENUM_PRIVATE},
                                         {"OPC_ENUM_PUBLIC", OPC_ENUM_PUBLIC},
                                         {"OPC_ENUM_ALL", OPC_ENUM_ALL}});
  return gui::Dialog::OnInitDialog();
}

void CGroupEnumScopeDialog::DoDataExchange(gui::DataExchange& exchange) {
  if (!exchange.saveAndValidate()) return;
  scope = OPC_ENUM_ALL;
  exchange.comboItemData(IDC_ENUM_SCOPE, scope);
}
