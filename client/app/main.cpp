// Quillon: a test tool for OPC Data Access servers.
//
//   quillon [--connect [--server PROGID] [--machine NAME] [--command ID]...]
//           [--screenshot FILE [--screenshot-delay MS]]
//   quillon --run SCRIPT|- [--server PROGID] [--machine NAME] [--format text|json] [--stop-on-failure]
//   quillon --help | --version

#include <QTextStream>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

#include "app/main_window.h"
#include "app/quillon_app.h"
#include "dcomclient/runtime.h"
#include "resources/resource_ids.h"
#include "script/script_command_line.h"
#include "script/script_reader.h"
#include "velmora/version.h"
#include "workspace/group_view.h"

namespace {

constexpr const char* kUsage =
    "usage: quillon [--connect [--server PROGID] [--machine NAME] [--command ID]...]\n"
    "               [--screenshot FILE [--screenshot-delay MS]]\n"
    "       quillon --run SCRIPT|- [--server PROGID] [--machine NAME] [--format text|json] [--stop-on-failure]\n"
    "       quillon --help | --version\n"
    "Connects to one OPC Data Access server and calls its interface methods from the menus.\n"
    "  --connect           answer the start-up dialog without a user; message boxes go to\n"
    "                      the standard error output\n"
    "  --server PROGID     the server for --connect, and for a script's connect without one\n"
    "                      (default: the last one used)\n"
    "  --machine NAME      the machine it runs on (default: this computer)\n"
    "  --command ID        once connected, run the menu command with this id (dialogs are\n"
    "                      cancelled); may be given more than once\n"
    "  --screenshot FILE   save a picture of the main window and quit\n"
    "  --run SCRIPT        run the steps of SCRIPT (- for the standard input) without a\n"
    "                      display and write what each step shows; exit status 0 when every\n"
    "                      expectation held, 1 when one failed, 2 for an error in the script\n"
    "  --format text|json  the output of --run: text (default) or one JSON object per step\n"
    "  --stop-on-failure   end the run at the first failed step or expectation\n";

// The off-screen platform warns that it cannot pass size hints on each
// window it shows; in a script's output that would only be noise.
QtMessageHandler defaultMessageHandler = nullptr;

void dropOffscreenNoise(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg && message.contains(QLatin1String("propagateSizeHints"))) return;
  if (defaultMessageHandler != nullptr) defaultMessageHandler(type, context, message);
}

int runScript(CQuillonApp& app, int argc, char** argv, const script::ScriptInvocation& invocation,
              script::Script& steps) {
  QString text;
  QString error;
  if (!script::ReadScriptText(invocation.scriptPath, text, error)) {
    std::fprintf(stderr, "quillon: %s\n", qPrintable(error));
    return script::kScriptError;
  }
  steps = script::ReadScript(text);
  QTextStream err(stderr);
  if (script::ReportReadErrors(steps, invocation.options.scriptName, err) != script::kAllHeld) {
    return script::kScriptError;
  }
  // A script needs no display: the window is drawn off screen.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  defaultMessageHandler = qInstallMessageHandler(dropOffscreenNoise);
  app.setScriptRun([&steps, &invocation](CMainWindow& frame) {
    script::RunTarget target;
    target.frame = &frame;
    target.resultView = frame.resultView();
    target.groupPanes = {frame.privateGroupView(), frame.publicGroupView()};
    target.connected = [&frame] { return frame.session().GetServer() != nullptr; };
    target.connectCommand = quillon::ID_CONNECT;
    target.disconnectCommand = quillon::ID_DISCONNECT;
    QTextStream out(stdout);
    QTextStream messages(stderr);
    return script::RunScript(steps, target, invocation.options, out, messages);
  });
  return gui::RunApplication(app, argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
  // Answered before the window system is started, so that they work without a display.
  if (velmora::answerStandardOptions(argc, argv, "quillon", kUsage)) return 0;
  QString usageError;
  const std::optional<script::ScriptInvocation> invocation = script::ScriptInvocationOf(argc, argv, usageError);
  if (!usageError.isEmpty()) {
    std::fprintf(stderr, "quillon: %s\n%s", qPrintable(usageError), kUsage);
    return script::kScriptError;
  }
  // Machines other than this one are reached over DCOM with the user's
  // credentials file.
  dcom::client::installDcomActivator();
  CQuillonApp app;
  if (invocation) {
    script::Script steps;
    return runScript(app, argc, argv, *invocation, steps);
  }
  return gui::RunApplication(app, argc, argv);
}
