#include "dialogs/item_id_dialog.h"

#include "dialogs/item_id_list.h"
#include "resources/parameter_dialog_ids.h"

CItemIdDialog::CItemIdDialog(QString caption, const CServerSession& session, gui::Window* owner)
    : gui::Dialog(quillon::IDD_ITEM_ID, owner), caption_(std::move(caption)), session_(session) {}

bool CItemIdDialog::OnInitDialog() {
  SetWindowText(caption_);
  FillItemIdList(comboBox(quillon::IDC_ITEM_ID), session_);
  return gui::Dialog::OnInitDialog();
}

void CItemIdDialog::DoDataExchange(gui::DataExchange& exchange) {
  // Loading would replace the selected first entry by the empty text.
  if (exchange.saveAndValidate()) exchange.text(quillon::IDC_ITEM_ID, itemId);
}
