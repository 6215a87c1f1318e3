#include "app/quillon_app.h"

#include <QCoreApplication>
#include <QTimer>
#include <memory>

#include "app/auto_connect_seam.h"
#include "app/main_window.h"
#include "dialogs/about_box.h"
#include "gui/message_box.h"
#include "resources/quillon_resources.h"
#include "resources/resource_ids.h"

CQuillonApp::CQuillonApp() { mapCommand(gui::ID_APP_ABOUT, &CQuillonApp::OnAppAbout); }

std::optional<CQuillonApp::AutoConnect> CQuillonApp::AutoConnectOf(const QStringList& arguments) {
  if (!arguments.contains(QStringLiteral("--connect"))) return std::nullopt;
  AutoConnect answer;
  for (int i = 1; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("--server")) answer.server = arguments[i + 1];
    if (arguments[i] == QLatin1String("--machine")) answer.machine = arguments[i + 1];
    if (arguments[i] == QLatin1String("--command")) answer.commands.push_back(arguments[i + 1].toUInt());
  }
  return answer;
}

bool CQuillonApp::InitInstance() {
  quillon::RegisterQuillonResources();
  SetRegistryKey("Velmora");

  auto frame = std::make_unique<CMainWindow>();
  CMainWindow* created = frame.get();
  setMainWindow(std::move(frame));
  if (!created->LoadFrame(quillon::IDR_MAINFRAME)) {
    gui::MessageBox("Cannot load resources for the main frame window !");
    return false;
  }
  created->ShowWindow(gui::SW_SHOWNORMAL);
  created->UpdateWindow();

  if (scriptRun_) {
    QTimer::singleShot(0, QCoreApplication::instance(), [this, created] {
      exitStatus_ = scriptRun_(*created);
      created->SendMessage(gui::WM_CLOSE, 0, 0);
    });
    return true;
  }

  // The last step of start-up: ask for the server at once, over the empty window.
  const std::optional<AutoConnect> autoConnect =
      QCoreApplication::instance() != nullptr ? AutoConnectOf(QCoreApplication::arguments()) : std::nullopt;
  if (!autoConnect) {
    created->SendMessage(gui::WM_COMMAND, gui::MakeCommandParam(quillon::ID_CONNECT), 0);
    return true;
  }
  AutoConnectSeam seam(autoConnect->server, autoConnect->machine);
  gui::ModalSeam::install(&seam);
  created->SendMessage(gui::WM_COMMAND, gui::MakeCommandParam(quillon::ID_CONNECT), 0);
  for (UINT command : autoConnect->commands) {
    created->SendMessage(gui::WM_COMMAND, gui::MakeCommandParam(command), 0);
  }
  gui::ModalSeam::install(nullptr);
  return true;
}

CMainWindow* CQuillonApp::mainFrame() const { return static_cast<CMainWindow*>(mainWindow()); }

void CQuillonApp::OnAppAbout() {
  CAboutBox about(mainWindow());
  about.DoModal();
}
