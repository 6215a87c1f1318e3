#pragma once

// The application object: registers the resources, opens the settings
// store, creates the main window and opens the connect dialog at once. It
// handles About; Exit closes the main window.

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "gui/application.h"
#include "gui/types.h"

class CMainWindow;

class CQuillonApp : public gui::Application {
 public:
  // How the start-up Connect command is answered without a user (for
  // pictures and scripted runs): the texts put into the connect dialog
  // before Connect is pressed; an empty one keeps the dialog's own.
  struct AutoConnect {
    QString server;
    QString machine;
    // Menu commands run once connected, in order ("--command ID"), so that
    // a picture can show what a command puts into the result pane. Their
    // dialogs are cancelled, so only commands without one show anything.
    std::vector<UINT> commands;
  };

  CQuillonApp();

  // Reads the command line: "--connect" answers the start-up connect
  // dialog with Connect; "--server PROGID" and "--machine NAME" fill it in,
  // and each "--command ID" is run afterwards.
  static std::optional<AutoConnect> AutoConnectOf(const QStringList& arguments);

  // Replaces the start-up Connect with a run without a user (a script):
  // once the window is up and the event loop runs, `run` works it, the
  // window closes and what `run` returned is the program's exit status.
  void setScriptRun(std::function<int(CMainWindow&)> run) { scriptRun_ = std::move(run); }

  bool InitInstance() override;
  int ExitInstance() override { return exitStatus_; }
  CMainWindow* mainFrame() const;

 private:
  void OnAppAbout();

  std::function<int(CMainWindow&)> scriptRun_;
  int exitStatus_ = 0;
};
