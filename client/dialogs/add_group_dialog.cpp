#include "dialogs/add_group_dialog.h"

#include "dialogs/dialog_exchange.h"
#include "resources/parameter_dialog_ids.h"

using namespace quillon;

CAddGroupDialog::CAddGroupDialog(gui::Window* owner) : gui::Dialog(IDD_ADD_GROUP, owner) {}

void CAddGroupDialog::DoDataExchange(gui::DataExchange& exchange) {
  exchange.text(IDC_GROUP_NAME, groupName);
  exchange.text(IDC_PROVIDED_HANDLE, providedHandle);
  exchange.text(IDC_UPDATE_RATE, requestedUpdateRate);
  ExchangeActiveRadio(exchange, IDC_ACTIVE, active);
  exchange.text(IDC_PERCENT_DEADBAND, percentDeadband);
  exchange.minMax(IDC_PERCENT_DEADBAND, percentDeadband, 0.0f, 100.0f);
}
