#include "dialogs/remove_group_dialog.h"

#include "resources/parameter_dialog_ids.h"

using namespace quillon;

CRemoveGroupDialog::CRemoveGroupDialog(int mode, gui::Window* owner)
    : gui::Dialog(IDD_REMOVE_GROUP, owner), mode_(mode) {}

bool CRemoveGroupDialog::OnInitDialog() {
  if (mode_ == kPublicGroup) SetWindowText("IOPCServerPublicGroups::RemovePublicGroup");
  if (mode_ == kPrivateGroup) SetWindowText("IOPCServer::RemoveGroup");
  return gui::Dialog::OnInitDialog();
}

void CRemoveGroupDialog::DoDataExchange(gui::DataExchange& exchange) {
  exchange.text(IDC_GROUP_HANDLE, groupHandle);
  exchange.check(IDC_FORCE, force);
}
