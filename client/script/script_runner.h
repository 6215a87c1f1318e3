#pragma once

// Runs a script's steps in Quillon's window, each with the same code as a
// user's click: commands are found by walking the frame's menu by text and
// sent as the menu sends them, pop-up entries are chosen in the pop-up that
// a right click on the group pane's entry opens, and dialogs, message boxes
// and pop-ups are answered through the modal seam. After each step the
// result pane is read as it shows the step's outcome.

#include <QString>
#include <QTextStream>
#include <functional>
#include <vector>

#include "script/script_step.h"
#include "script/step_report.h"

class CFunctionResultView;
class CGroupView;

namespace gui {
class FrameWindow;
}

namespace script {

// The parts of Quillon's window that a script works.
struct RunTarget {
  gui::FrameWindow* frame = nullptr;
  CFunctionResultView* resultView = nullptr;
  // The group panes, searched in this order for a step's group.
  std::vector<CGroupView*> groupPanes;
  std::function<bool()> connected;
  UINT connectCommand = 0;
  UINT disconnectCommand = 0;
};

struct RunOptions {
  QString scriptName = QStringLiteral("script");  // names the script in messages
  QString server;   // connect's default ProgID; empty: the one last used
  QString machine;  // connect's default machine; empty: this computer
  OutputFormat format = OutputFormat::Text;
  bool stopOnFailure = false;
};

// Exit statuses of a run.
constexpr int kAllHeld = 0;
constexpr int kSomethingFailed = 1;
constexpr int kScriptError = 2;

// Runs the steps, writes a report per step to `out` and every failure and
// script error, with its line, to `err`. Returns kAllHeld, kSomethingFailed
// or kScriptError (a script error ends the run at once).
int RunScript(const Script& script, const RunTarget& target, const RunOptions& options, QTextStream& out,
              QTextStream& err);

// Writes the reader's errors to `err` and returns kScriptError, or returns
// kAllHeld when there are none.
int ReportReadErrors(const Script& script, const QString& scriptName, QTextStream& err);

}  // namespace script
