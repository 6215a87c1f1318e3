#include "select/remote_node_dialog.h"

#include "gui/ip_address_ctrl.h"
#include "resources/resource_ids.h"

CRemoteNodeDialog::CRemoteNodeDialog(gui::Window* owner) : gui::Dialog(quillon::IDD_REMOTE_NODE, owner) {}

void CRemoteNodeDialog::OnOK() {
  BYTE field0 = 0;
  BYTE field1 = 0;
  BYTE field2 = 0;
  BYTE field3 = 0;
  ipAddress(quillon::IDC_REMOTE_NODE_ADDRESS).GetAddress(field0, field1, field2, field3);
  address_ = QString::asprintf("%d.%d.%d.%d", field0, field1, field2, field3);
  gui::Dialog::OnOK();
}
