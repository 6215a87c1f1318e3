// The main window: its bars, panes, status poll, menu enabling and title.
// The session commands are in main_window_session.cpp, the handling of a
// server's shutdown request in main_window_shutdown.cpp.

#include "app/main_window.h"

#include <QString>
#include <vector>

#include "com/allocator.h"
#include "gui/message_box.h"
#include "gui/modal_seam.h"
#include "gui/resources.h"
#include "opc/opcda.h"
#include "resources/resource_ids.h"
#include "result/function_result_view.h"
#include "result/result_code_text.h"
#include "session/server_messages.h"
#include "workspace/group_view.h"

namespace {

using namespace quillon;

const std::vector<UINT> kIndicators = {gui::ID_SEPARATOR, ID_INDICATOR_SERVER_STATE, gui::ID_INDICATOR_CAPS,
                                       gui::ID_INDICATOR_NUM, gui::ID_INDICATOR_SCRL};
// Room between the state's text and the lamp's right edge, in pixels.
constexpr int kLampMargin = 4;

}  // namespace

CMainWindow::CMainWindow() {
  mapCommand(ID_CONNECT, &CMainWindow::OnConnect);
  mapUpdateCommand(ID_CONNECT, &CMainWindow::OnUpdateConnect);
  mapCommand(ID_DISCONNECT, &CMainWindow::OnDisconnect);
  mapUpdateCommand(ID_DISCONNECT, &CMainWindow::OnUpdateConnected);
  mapCommand(ID_REFRESH_PUBLIC_GROUP, &CMainWindow::OnRefreshPublicGroup);
  mapUpdateCommand(ID_REFRESH_PUBLIC_GROUP, &CMainWindow::OnUpdateConnected);
  mapServerCommands();

  // Each interface pop-up is enabled while the session holds its interface;
  // the pop-up is found through its first command.
  mapInterfacePopup(ID_IOPCSERVER_ADDGROUP, [](const CServerSession& s) { return s.GetServer() != nullptr; });
  mapInterfacePopup(ID_IOPCSERVERPUBLICGROUPS_GETPUBLICGROUPBYNAME,
                    [](const CServerSession& s) { return s.GetPublicGroups() != nullptr; });
  mapInterfacePopup(ID_IOPCBROWSE_QUERYORGANIZATION,
                    [](const CServerSession& s) { return s.GetBrowseAddressSpace() != nullptr; });
  mapInterfacePopup(ID_IPERSISTFILE_ISDIRTY, [](const CServerSession& s) { return s.GetPersistFile() != nullptr; });
  mapInterfacePopup(ID_IOPCCOMMON_SETLOCALEID, [](const CServerSession& s) { return s.GetCommon() != nullptr; });
  mapInterfacePopup(ID_IOPCITEMPROPERTIES_QUERYAVAILABLEPROPERTIES,
                    [](const CServerSession& s) { return s.GetItemProperties() != nullptr; });

  mapMessage(WM_SERVER_SHUTDOWN, &CMainWindow::OnServerShutdown);
  mapMessage(WM_SERVER_SHUTDOWN_NOTICE, &CMainWindow::OnServerShutdownNotice);
}

CMainWindow::~CMainWindow() {
  // The panes go first, while the session they clear their trees with is
  // still there; then the members, in reverse order: the shutdown connection
  // is ended before the session lets go of the server and of COM.
  DestroyWindow();
}

bool CMainWindow::OnCreate() {
  if (!toolBar_.Create(this, IDR_MAINFRAME)) return false;
  toolBar_.SetWindowText("Session Handling");

  if (!statusBar_.Create(this) || !statusBar_.SetIndicators(kIndicators)) return false;
  const int statePane = statusBar_.CommandToIndex(ID_INDICATOR_SERVER_STATE);
  UINT id = 0;
  UINT style = 0;
  int width = 0;
  statusBar_.GetPaneInfo(statePane, id, style, width);
  statusBar_.SetPaneInfo(statePane, id, style | gui::SBPS_OWNERDRAW, width + statusBar_.lampWidth() + kLampMargin);
  statusBar_.SetServerStatePane(statePane);

  return SetTimer(kStatusTimer, kStatusPeriodMs) != 0;
}

bool CMainWindow::OnCreateClient() {
  const QRect client = GetClientRect();
  if (!outerSplitter_.CreateStatic(this, 2, 1) || !innerSplitter_.CreateStatic(&outerSplitter_, 1, 2, 0, 0)) {
    return false;
  }
  publicGroups_ = innerSplitter_.CreateView<CGroupView>(0, 0, QSize(client.width() / 2, 0));
  privateGroups_ = innerSplitter_.CreateView<CGroupView>(0, 1, QSize(0, 0));
  resultView_ = outerSplitter_.CreateView<CFunctionResultView>(1, 0, QSize(0, 0));
  if (publicGroups_ == nullptr || privateGroups_ == nullptr || resultView_ == nullptr) return false;
  innerSplitter_.SetColumnInfo(0, client.width() / 2, 0);
  outerSplitter_.SetRowInfo(0, client.height() - kResultViewHeight, 0);

  publicGroups_->SetScope(CGroupView::kPublicScope, resultView_, &session_);
  privateGroups_->SetScope(CGroupView::kPrivateScope, resultView_, &session_);
  publicGroups_->SetOtherPane(privateGroups_);
  privateGroups_->SetOtherPane(publicGroups_);
  mapItemPropertiesListing();
  SetActiveView(publicGroups_);
  return true;
}

void CMainWindow::OnTimer(UINT_PTR id) {
  // The timer also fires inside the modal loop of an open dialog or message
  // box. A failed poll there would disconnect while the command that opened
  // it still holds the server's interfaces, so the poll waits until the
  // user has answered.
  if (id == kStatusTimer && gui::ModalSeam::runningCount() == 0) PollServerStatus();
  gui::FrameWindow::OnTimer(id);
}

void CMainWindow::OnClose() {
  // No disconnect and no message on the way out: the destructors let go of
  // the server.
  KillTimer(kStatusTimer);
  gui::FrameWindow::OnClose();
}

void CMainWindow::PollServerStatus() {
  IOPCServer* server = session_.GetServer();
  if (server == nullptr) {
    statusBar_.SetNotConnected();
    return;
  }
  OPCSERVERSTATUS* status = nullptr;
  HRESULT hr = server->GetStatus(&status);
  if (SUCCEEDED(hr) && status != nullptr) {
    statusBar_.SetServerState(static_cast<int>(status->dwServerState));
    // The session holds the task allocator while it holds the server; the
    // task heap is the same without it.
    if (IMalloc* allocator = session_.GetTaskAllocator()) {
      allocator->Free(status->szVendorInfo);
      allocator->Free(status);
    } else {
      CoTaskMemFree(status->szVendorInfo);
      CoTaskMemFree(status);
    }
    return;
  }
  // A server that answers without a status record has not answered.
  if (SUCCEEDED(hr)) hr = E_UNEXPECTED;
  statusBar_.SetNotConnected();
  OnDisconnect();
  // The session has gone, so the text is the code's alone, without asking
  // the server to describe it.
  const std::string text = "Client/Server session terminated :\n" + ResultCodeText(hr, nullptr);
  gui::MessageBox(this, QString::fromUtf8(text.c_str()), QString(), gui::MB_OK);
}

void CMainWindow::OnUpdateConnect(gui::CmdUI* ui) { ui->Enable(session_.GetServer() == nullptr); }

void CMainWindow::OnUpdateConnected(gui::CmdUI* ui) { ui->Enable(session_.GetServer() != nullptr); }

void CMainWindow::mapInterfacePopup(UINT firstCommand, bool (*offered)(const CServerSession&)) {
  mapUpdateCommand(firstCommand, [this, offered](gui::CmdUI* ui) {
    // Only the pop-up entry itself has a rule, greyed by its position in the
    // parent menu; the commands inside it are enabled once it opens.
    if (ui->subMenu() == nullptr || ui->menu() == nullptr) return;
    ui->menu()->EnableMenuItem(static_cast<UINT>(ui->index()),
                               gui::MF_BYPOSITION | (offered(session_) ? gui::MF_ENABLED : gui::MF_GRAYED));
  });
}

void CMainWindow::SetTitle(const std::string& connectionName) {
  QString title = gui::LoadString(IDR_MAINFRAME);
  if (!connectionName.empty()) title += " - Connected to '" + QString::fromUtf8(connectionName.c_str()) + "'";
  SetWindowText(title);
}
