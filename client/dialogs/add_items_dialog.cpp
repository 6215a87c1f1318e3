#include "dialogs/add_items_dialog.h"

#include "dialogs/dialog_exchange.h"
#include "dialogs/item_id_list.h"
#include "resources/parameter_dialog_ids.h"
#include "session/browse_position.h"

using namespace quillon;

CAddItemsDialog::CAddItemsDialog(const CServerSession& session, gui::Window* owner)
    : gui::Dialog(IDD_ADD_ITEMS, owner), session_(session) {}

bool CAddItemsDialog::OnInitDialog() {
  SetDlgItemText(IDC_BROWSE_POSITION, QString::fromStdString(CurrentBrowsePosition()));
  FillItemIdList(comboBox(IDC_ITEM_ID), session_);
  return gui::Dialog::OnInitDialog();
}

void CAddItemsDialog::DoDataExchange(gui::DataExchange& exchange) {
  // Loading would replace the selected first entry by the empty text.
  if (exchange.saveAndValidate()) exchange.text(IDC_ITEM_ID, itemId);
  exchange.text(IDC_ACCESS_PATH, accessPath);
  ExchangeActiveRadio(exchange, IDC_ACTIVE, active);
  exchange.text(IDC_PROVIDED_HANDLE, providedHandle);
}
