#include "demo_dialogs.h"

#include "gui/application.h"

namespace demo {

ConnectDialog::ConnectDialog(gui::Window* owner) : gui::Dialog(IDD_CONNECT, owner) {
  gui::Application* app = gui::Application::instance();
  server = app->GetProfileString("Settings", "OPC Server", "Pelkor.DataSample");
  machine = app->GetProfileString("Settings", "Machine", "");
}

ConnectDialog::~ConnectDialog() {
  gui::Application* app = gui::Application::instance();
  app->WriteProfileString("Settings", "OPC Server", server);
  app->WriteProfileString("Settings", "Machine", machine);
}

void ConnectDialog::DoDataExchange(gui::DataExchange& dx) {
  dx.text(2001, server);
  dx.text(1059, machine);
}

}  // namespace demo
