#pragma once

// The application object: registers the resources, opens the settings
// store, creates the main window and opens the connect dialog at once. It
// handles About; Exit closes the main window.

#include <QString>
#include <optional>

#include "gui/application.h"

class CMainWindow;

class CQuillonApp : public gui::Application {
 public:
  // How the start-up Connect command is answered without a user (for
  // pictures and scripted runs): the texts put into the connect dialog
  // before Connect is pressed; an empty one keeps the dialog's own.
  struct AutoConnect {
    QString server;
    QString machine;
  };

  CQuillonApp();

  // Reads the command line: "--connect" answers the start-up connect
  // dialog with Connect; "--server PROGID" and "--machine NAME" fill it in.
  static std::optional<AutoConnect> AutoConnectOf(const QStringList& arguments);

  bool InitInstance() override;
  CMainWindow* mainFrame() const;

 private:
  void OnAppAbout();
};
