#include "session/connect_dialog.h"

#include "resources/resource_ids.h"
#include "resources/settings_keys.h"

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
  // Choosing a server from the lists of a machine comes with the server
  // selection dialog; until then the button says so instead of doing nothing.
  MessageBox("Browsing for OPC Servers is not available yet.\nPlease type the ProgID of the server.", {},
             gui::MB_ICONINFORMATION | gui::MB_OK);
}
