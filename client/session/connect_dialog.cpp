#include "session/connect_dialog.h"

#include "resources/resource_ids.h"
#include "resources/settings_keys.h"
#include "select/server_select_dialog.h"

CConnectDialog::CConnectDialog(gui::Window* owner)
    : gui::Dialog(quillon::IDD_CONNECT, owner),
      server_(quillon::ReadSetting(quillon::kOpcServerSetting)),
      machine_(quillon::ReadSetting(quillon::kMachineSetting)) {
  mapCommand(quillon::IDC_BROWSE, &CConnectDialog::OnBrowse);
}

CConnectDialog::~CConnectDialog() {
  quillon::WriteSetting(quillon::kOpcServerSetting, server_);
  quillon::WriteSetting(quillon::kMachineSetting, machine_);
}

void CConnectDialog::DoDataExchange(gui::DataExchange& exchange) {
  exchange.text(quillon::IDC_SERVER_NAME, server_);
  exchange.text(quillon::IDC_MACHINE_NAME, machine_);
}

void CConnectDialog::OnBrowse() {
  CServerSelectDialog dialog(this);
  if (dialog.DoModal() != gui::IDOK) return;
  // The browsed server is kept like a typed one: the dialog's texts are what
  // it stores when it goes, whichever button closes it.
  server_ = dialog.progId();
  machine_ = dialog.machine();
  UpdateData(false);
}
