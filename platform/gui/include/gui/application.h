#pragma once

// The application object: one per program. It owns the main window, handles
// the commands that no window handles, keeps the settings store, and is
// started by RunApplication:
//
//   int main(int argc, char** argv) {
//     CQuillonApp app;
//     return gui::RunApplication(app, argc, argv);
//   }

#include <QString>
#include <memory>

#include "gui/command_target.h"

class QApplication;
class QObject;

namespace gui {

class FrameWindow;
class Window;

class Application : public CommandTarget {
 public:
  Application();
  ~Application() override;

  static Application* instance();
  // The executable's base name: the application's name, the default caption
  // of message boxes and the name of its settings.
  static QString appName();

  // Start-up: create and show the main window. False ends the program.
  virtual bool InitInstance() { return true; }
  // Runs after the event loop ended; the result is the program's exit code.
  virtual int ExitInstance() { return 0; }

  FrameWindow* mainWindow() const { return mainWindow_.get(); }
  // Takes the main window. When its window is destroyed the event loop ends
  // and the object is deleted (after the current message).
  void setMainWindow(std::unique_ptr<FrameWindow> frame);
  // Destroys the main window at once (window first, then the object).
  void destroyMainWindow();

  // Settings of this program under `organization`, section by section.
  void SetRegistryKey(const QString& organization);
  QString GetProfileString(const QString& section, const QString& entry, const QString& defaultValue = {});
  bool WriteProfileString(const QString& section, const QString& entry, const QString& value);
  int GetProfileInt(const QString& section, const QString& entry, int defaultValue);
  bool WriteProfileInt(const QString& section, const QString& entry, int value);

  // Called by the main window when its window has been destroyed.
  void mainWindowDestroyed(FrameWindow* frame);
  // Whether RunApplication's event loop is running.
  bool isRunning() const { return running_; }

 private:
  friend int RunApplication(Application& app, int argc, char** argv);

  std::unique_ptr<FrameWindow> mainWindow_;
  // A main window whose window has gone; deleted after the current message.
  std::unique_ptr<FrameWindow> retired_;
  std::unique_ptr<QObject> context_;  // cancels that deletion if this goes first
  bool running_ = false;
};

// The program's active window: the innermost open modal window, else the
// main window, else nullptr.
Window* GetActiveWindow();
// The application's main window, or nullptr.
FrameWindow* GetMainWindow();

// Gives the application the layer's look: the Fusion style and the named
// user-interface font (menus, bars, tool tips). Tests use it too.
void applyDesktopLook(QApplication& application);

// Creates the Qt application, runs InitInstance, the event loop and
// ExitInstance, and returns the exit code. Options understood here:
//   --screenshot FILE      save a picture of the program's windows (the main
//                          window with every dialog on top) and quit;
//   --screenshot-delay MS  how long to wait before the picture (default 1500).
int RunApplication(Application& app, int argc, char** argv);

}  // namespace gui
