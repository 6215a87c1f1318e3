// Quillon: a test tool for OPC Data Access servers.
//
//   quillon [--connect [--server PROGID] [--machine NAME] [--command ID]...]
//           [--screenshot FILE [--screenshot-delay MS]]
//   quillon --help | --version

#include "app/quillon_app.h"
#include "velmora/version.h"

namespace {

constexpr const char* kUsage =
    "usage: quillon [--connect [--server PROGID] [--machine NAME] [--command ID]...]\n"
    "               [--screenshot FILE [--screenshot-delay MS]]\n"
    "       quillon --help | --version\n"
    "Connects to one OPC Data Access server and calls its interface methods from the menus.\n"
    "  --connect           answer the start-up dialog without a user; message boxes go to\n"
    "                      the standard error output\n"
    "  --server PROGID     the server for --connect (default: the last one used)\n"
    "  --machine NAME      the machine it runs on (default: this computer)\n"
    "  --command ID        once connected, run the menu command with this id (dialogs are\n"
    "                      cancelled); may be given more than once\n"
    "  --screenshot FILE   save a picture of the main window and quit\n";

}  // namespace

int main(int argc, char** argv) {
  // Answered before the window system is started, so that they work without a display.
  if (velmora::answerStandardOptions(argc, argv, "quillon", kUsage)) return 0;
  CQuillonApp app;
  return gui::RunApplication(app, argc, argv);
}
