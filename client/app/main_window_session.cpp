// The session commands of the main window: Connect, Disconnect and Refresh
// Public Group.

#include "app/client_name.h"
#include "app/main_window.h"
#include "gui/application.h"
#include "gui/message_box.h"
#include "gui/wait_cursor.h"
#include "opc/opcda.h"
#include "result/function_result_view.h"
#include "session/browse_position.h"
#include "session/connect_dialog.h"
#include "session/server_messages.h"
#include "session/to_wide_text.h"
#include "workspace/group_view.h"

std::string CMainWindow::ConnectionName(const std::string& machine, const std::string& progId) {
  return machine.empty() ? progId : machine + "\\" + progId;
}

void CMainWindow::OnConnect() {
  std::string machine;
  std::string progId;
  {
    // The dialog writes both texts back to the settings as it closes,
    // whichever button closed it.
    CConnectDialog dialog(this);
    if (dialog.DoModal() != gui::IDOK) return;
    machine = dialog.machine().toStdString();
    progId = dialog.server().toStdString();
  }

  gui::WaitCursor wait;
  const std::string name = ConnectionName(machine, progId);
  if (!session_.Connect(machine.c_str(), progId.c_str())) {
    // The reason has been shown already; this says what it meant.
    gui::MessageBox(this, QString::fromUtf8(("Cannot connect to OPC Server '" + name + "'").c_str()), QString(),
                    gui::MB_OK);
    return;
  }

  PollServerStatus();
  // A server that fails its very first status request has been let go again
  // (and the user told); nothing of it may be used any more.
  if (session_.GetServer() == nullptr) return;
  SendClientName();
  // A server without the shutdown connection point still connects; it just
  // never asks the client to disconnect.
  shutdownConnection_.Advise(session_.GetServer(), WM_SERVER_SHUTDOWN);
  publicGroups_->RefreshGroupTree();
  privateGroups_->RefreshGroupTree();
  SetTitle(name);
}

void CMainWindow::SendClientName() {
  IOPCCommon* common = session_.GetCommon();
  if (common == nullptr) return;
  std::u16string name;
  // The server may refuse the name; the connection stands either way.
  if (SUCCEEDED(ToWideText(QuillonClientName().c_str(), name))) common->SetClientName(name.c_str());
}

void CMainWindow::OnDisconnect() {
  publicGroups_->ClearGroupTree();
  privateGroups_->ClearGroupTree();
  shutdownConnection_.Unadvise();
  session_.Disconnect();
  PollServerStatus();
  functionResult_ = FunctionResult{};
  resultView_->ShowResult(functionResult_);
  SetTitle({});
  ResetBrowsePosition();
}

void CMainWindow::OnRefreshPublicGroup() { publicGroups_->RefreshGroupTree(); }
