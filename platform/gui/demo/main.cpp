// A small program on the window layer, to look at it: a frame with menu,
// tool bar, status bar with a lamp, split panes and a form view.
//
//   gui_demo [--connected] [--connect-dialog] [--about] [--screenshot FILE]

#include <QCoreApplication>

#include "demo_dialogs.h"
#include "demo_frame.h"
#include "demo_resources.h"
#include "gui/application.h"
#include "gui/modal_seam.h"

namespace {

class DemoApp : public gui::Application {
 public:
  DemoApp() {
    mapCommand(gui::ID_APP_ABOUT, [] { demo::AboutDialog().DoModal(); });
  }

  bool InitInstance() override {
    demo::registerDemoResources();
    SetRegistryKey("Velmora");
    auto frame = std::make_unique<demo::DemoFrame>();
    demo::DemoFrame* created = frame.get();
    setMainWindow(std::move(frame));
    if (!created->LoadFrame(demo::IDR_MAINFRAME)) return false;
    created->ShowWindow(gui::SW_SHOWNORMAL);
    created->UpdateWindow();
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.contains("--connected")) {
      // Connect without asking: the dialog's settings are taken as they are.
      gui::ModalSeam::install(&acceptAll_);
      created->SendMessage(gui::WM_COMMAND, demo::ID_CONNECT);
      gui::ModalSeam::install(nullptr);
    }
    if (arguments.contains("--connect-dialog")) created->SendMessage(gui::WM_COMMAND, demo::ID_CONNECT);
    if (arguments.contains("--about")) created->SendMessage(gui::WM_COMMAND, gui::ID_APP_ABOUT);
    return true;
  }

 private:
  // Presses OK in every dialog, for a connected picture without a user.
  class AcceptAll : public gui::ModalSeam {
   public:
    int runDialog(gui::Dialog& dialog) override {
      dialog.SendMessage(gui::WM_COMMAND, gui::IDOK);
      return dialog.result();
    }
    int runMessageBox(const gui::MessageBoxRequest&) override { return gui::IDOK; }
    UINT runPopupMenu(const gui::PopupMenuRequest&) override { return 0; }
  } acceptAll_;
};

}  // namespace

int main(int argc, char** argv) {
  DemoApp app;
  return gui::RunApplication(app, argc, argv);
}
