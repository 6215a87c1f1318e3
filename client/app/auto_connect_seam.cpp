#include "app/auto_connect_seam.h"

#include <cstdio>

#include "gui/dialog.h"
#include "resources/resource_ids.h"

int AutoConnectSeam::runDialog(gui::Dialog& dialog) {
  if (dialog.templateId() != quillon::IDD_CONNECT) {
    dialog.EndDialog(gui::IDCANCEL);
    return dialog.result();
  }
  if (!server_.isEmpty()) dialog.SetDlgItemText(quillon::IDC_SERVER_NAME, server_);
  if (!machine_.isEmpty()) dialog.SetDlgItemText(quillon::IDC_MACHINE_NAME, machine_);
  dialog.SendMessage(gui::WM_COMMAND, gui::MakeCommandParam(gui::IDOK), 0);
  return dialog.result();
}

int AutoConnectSeam::runMessageBox(const gui::MessageBoxRequest& request) {
  std::fprintf(stderr, "%s\n", qPrintable(request.text));
  return gui::IDOK;
}

UINT AutoConnectSeam::runPopupMenu(const gui::PopupMenuRequest&) { return 0; }
