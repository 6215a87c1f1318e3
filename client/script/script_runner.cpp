#include "script/script_runner.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QRegularExpression>
#include <QTreeWidget>

#include "gui/frame_window.h"
#include "gui/menu.h"
#include "result/function_result_view.h"
#include "resources/resource_ids.h"
#include "result/result_code_text.h"
#include "script/dialog_fields.h"
#include "script/script_seam.h"
#include "workspace/group_view.h"

namespace script {
namespace {

QString plainMenuText(const QString& text) { return PlainLabel(text.section(QLatin1Char('\t'), 0, 0)); }

// Walks the frame's menu along `path`, opening each pop-up on the way as a
// user would (which runs its enabling rules). Returns the command id, or 0
// with the reason; `greyed` tells a command that exists but cannot run now.
UINT findMenuCommand(gui::FrameWindow& frame, const QStringList& path, bool open, bool& greyed, QString& reason) {
  greyed = false;
  gui::Menu menu = frame.GetMenu();
  for (int depth = 0; depth < path.size(); ++depth) {
    const QString wanted = PlainLabel(path[depth]);
    const bool last = depth + 1 == path.size();
    int found = -1;
    QStringList texts;
    for (int position = 0; position < menu.GetMenuItemCount(); ++position) {
      const UINT state = menu.GetMenuState(static_cast<UINT>(position), gui::MF_BYPOSITION);
      if (state == gui::kMenuNotFound || menu.GetMenuItemID(position) == 0) continue;  // separator
      const QString text = plainMenuText(menu.GetMenuString(static_cast<UINT>(position), gui::MF_BYPOSITION));
      texts << text;
      if (found < 0 && text == wanted) found = position;
    }
    const QString where = depth == 0 ? QStringLiteral("the menu bar")
                                     : QStringLiteral("\"%1\"").arg(path.mid(0, depth).join(QLatin1Char('/')));
    if (found < 0) {
      reason = QStringLiteral("%1 has no entry \"%2\"; its entries are %3")
                   .arg(where, path[depth], texts.join(QStringLiteral(", ")));
      return 0;
    }
    const UINT state = menu.GetMenuState(static_cast<UINT>(found), gui::MF_BYPOSITION);
    const bool popup = (state & gui::MF_POPUP) != 0;
    if (last) {
      if (popup) {
        reason = QStringLiteral("\"%1\" is a pop-up; name one of its entries too").arg(path.join(QLatin1Char('/')));
        return 0;
      }
      greyed = greyed || (state & gui::MF_GRAYED) != 0;
      return menu.GetMenuItemID(found);
    }
    if (!popup) {
      reason = QStringLiteral("\"%1\" is a command, not a pop-up").arg(path.mid(0, depth + 1).join(QLatin1Char('/')));
      return 0;
    }
    if (open && (state & gui::MF_GRAYED) != 0) greyed = true;
    menu = menu.GetSubMenu(found);
    if (open) {
      if (auto* popupMenu = qobject_cast<QMenu*>(menu.widget())) frame.UpdateMenu(popupMenu);
    }
  }
  return 0;
}

QTreeWidgetItem* childWithText(QTreeWidgetItem* parent, const QString& text) {
  if (parent == nullptr) return nullptr;
  for (int i = 0; i < parent->childCount(); ++i) {
    if (parent->child(i)->text(0) == text) return parent->child(i);
  }
  return nullptr;
}

void rightClick(QTreeWidget* tree, QTreeWidgetItem* entry) {
  for (QTreeWidgetItem* parent = entry->parent(); parent != nullptr; parent = parent->parent()) {
    parent->setExpanded(true);
  }
  tree->scrollToItem(entry);
  const QPoint point = tree->visualItemRect(entry).center();
  QContextMenuEvent event(QContextMenuEvent::Mouse, point, tree->viewport()->mapToGlobal(point));
  QCoreApplication::sendEvent(tree->viewport(), &event);
}

class Runner {
 public:
  Runner(const RunTarget& target, const RunOptions& options, QTextStream& out, QTextStream& err)
      : target_(target), options_(options), out_(out), err_(err) {}

  int run(const Script& script) {
    // Menu paths are checked before anything runs: a misspelt command
    // should not end a script half-way.
    for (const Step& step : script.steps) {
      if (step.kind != StepKind::Menu) continue;
      bool greyed = false;
      QString reason;
      if (findMenuCommand(*target_.frame, step.menuPath, false, greyed, reason) == 0) {
        message(step.line, QStringLiteral("unknown command: ") + reason);
        return kScriptError;
      }
    }

    // The seam in place before (a test's, or the modal loop) comes back afterwards.
    gui::ModalSeam& previous = gui::ModalSeam::current();
    ScriptSeam seam;
    gui::ModalSeam::install(&seam);
    int status = kAllHeld;
    for (const Step& step : script.steps) {
      StepReport report;
      report.step = &step;
      if (step.kind == StepKind::Expect) {
        check(step, report);
      } else {
        runStep(step, report, seam);
      }
      WriteStepReport(out_, report, options_.format);
      if (!report.error.isEmpty()) {
        message(step.line, report.error);
        status = kScriptError;
        break;
      }
      const bool failed = step.kind == StepKind::Expect ? !report.passed : !report.failure.isEmpty();
      if (failed) {
        message(step.line, step.kind == StepKind::Expect ? QStringLiteral("expectation failed: ") + report.reason
                                                         : report.failure);
        status = kSomethingFailed;
        if (options_.stopOnFailure) break;
      }
      if (step.kind != StepKind::Expect) last_ = std::move(report);
      if (exitRequested_) break;
    }
    gui::ModalSeam::install(&previous);
    return status;
  }

 private:
  void message(int line, const QString& text) {
    err_ << options_.scriptName << ':' << line << ": " << text << '\n';
    err_.flush();
  }

  void runStep(const Step& step, StepReport& report, ScriptSeam& seam) {
    // The pane starts empty, so that what it shows afterwards is this step's.
    if (target_.resultView != nullptr) {
      FunctionResult nothing;
      target_.resultView->ShowResult(nothing);
    }
    QElapsedTimer timer;
    timer.start();
    seam.beginStep(step, report);
    switch (step.kind) {
      case StepKind::Connect: {
        if (target_.connected()) {
          report.failure = QStringLiteral("a server is connected already; disconnect first");
          break;
        }
        ScriptSeam::ConnectAnswer answer;
        answer.server = step.progId ? step.progId : (options_.server.isEmpty() ? std::nullopt
                                                                                : std::optional(options_.server));
        answer.machine = step.machine.value_or(options_.machine);
        seam.setConnectAnswer(answer);
        sendCommand(target_.connectCommand);
        break;
      }
      case StepKind::Disconnect:
        if (!target_.connected()) {
          report.failure = QStringLiteral("no server is connected");
          break;
        }
        sendCommand(target_.disconnectCommand);
        break;
      case StepKind::Menu:
        runMenuCommand(step, report);
        break;
      case StepKind::Group:
      case StepKind::Item:
        runPopupEntry(step, report, seam);
        break;
      case StepKind::Wait:
        RunEventsFor(step.waitMs);
        break;
      case StepKind::Expect:
        break;
    }
    // Work that the command posted to the window finishes within the step,
    // so that its message boxes and results count as the step's.
    QCoreApplication::sendPostedEvents();
    seam.endStep();
    report.elapsedMs = timer.elapsed();
    readResultPane(report);
  }

  void sendCommand(UINT id) { target_.frame->SendMessage(gui::WM_COMMAND, gui::MakeCommandParam(id), 0); }

  void runMenuCommand(const Step& step, StepReport& report) {
    bool greyed = false;
    QString reason;
    const UINT id = findMenuCommand(*target_.frame, step.menuPath, true, greyed, reason);
    if (id == 0) {
      report.error = QStringLiteral("unknown command: ") + reason;
      return;
    }
    if (greyed) {
      report.failure = QStringLiteral("\"%1\" is greyed: it cannot run now").arg(step.menuPath.join(QLatin1Char('/')));
      return;
    }
    if (id == gui::ID_APP_EXIT) {
      // Exit would take the window from under the remaining steps; the run
      // ends here instead, and the program closes the window as after the
      // last step.
      exitRequested_ = true;
      return;
    }
    sendCommand(id);
  }

  void runPopupEntry(const Step& step, StepReport& report, ScriptSeam& seam) {
    QTreeWidget* tree = nullptr;
    QTreeWidgetItem* entry = nullptr;
    for (CGroupView* pane : target_.groupPanes) {
      auto* candidate = qobject_cast<QTreeWidget*>(pane->widget());
      if (candidate == nullptr || candidate->topLevelItemCount() == 0) continue;
      QTreeWidgetItem* group = childWithText(candidate->topLevelItem(0), step.group);
      if (group == nullptr) continue;
      tree = candidate;
      entry = step.kind == StepKind::Group ? group : childWithText(group, step.item);
      break;
    }
    if (tree == nullptr) {
      report.failure = QStringLiteral("no group pane shows a group \"%1\"").arg(step.group);
      return;
    }
    if (entry == nullptr) {
      report.failure = QStringLiteral("the group \"%1\" shows no item \"%2\"").arg(step.group, step.item);
      return;
    }
    seam.setPopupEntry(step.entry);
    rightClick(tree, entry);
    if (!seam.popupChosen() && report.error.isEmpty() && report.failure.isEmpty() && report.boxes.empty()) {
      report.failure = QStringLiteral("a right click on \"%1\" opened no pop-up menu")
                           .arg(step.kind == StepKind::Group ? step.group : step.item);
    }
  }

  void readResultPane(StepReport& report) {
    CFunctionResultView* view = target_.resultView;
    if (view == nullptr) return;
    report.function = view->GetDlgItemText(quillon::IDC_FUNCTION_NAME);
    report.returnCode = view->GetDlgItemText(quillon::IDC_RETURN_CODE);
    report.description = view->detailText();
    gui::ListBox list = view->listBox(quillon::IDC_FUNCTION_RESULT);
    for (int i = 0; i < list.GetCount(); ++i) report.lines << list.GetText(i);
    report.hasResult = !report.function.isEmpty() || !report.returnCode.isEmpty() || !report.lines.isEmpty();
    HRESULT code = 0;
    if (ResultCodeOfText(report.returnCode.toStdString(), code)) report.code = code;
  }

  void check(const Step& step, StepReport& report) {
    const Expectation& expectation = step.expectation;
    report.passed = false;
    if (expectation.kind == ExpectKind::Connected || expectation.kind == ExpectKind::Disconnected) {
      const bool connected = target_.connected();
      report.passed = connected == (expectation.kind == ExpectKind::Connected);
      if (!report.passed) {
        report.reason = connected ? QStringLiteral("a server is connected") : QStringLiteral("no server is connected");
      }
      return;
    }
    if (!last_) {
      report.reason = QStringLiteral("no step ran before it");
      return;
    }
    const StepReport& last = *last_;
    const QString after = QStringLiteral(" (the step at line %1)").arg(last.step->line);
    auto quoted = [](const QString& text) { return QLatin1Char('"') + text + QLatin1Char('"'); };
    switch (expectation.kind) {
      case ExpectKind::Code:
        if (!last.hasResult || !last.code) {
          report.reason = QStringLiteral("no return code was shown") + after;
        } else if (static_cast<DWORD>(*last.code) != static_cast<DWORD>(expectation.code)) {
          report.reason = QStringLiteral("the return code is %1").arg(last.returnCode) + after;
        } else {
          report.passed = true;
        }
        break;
      case ExpectKind::Line:
        report.passed = last.lines.contains(expectation.text) || last.dialogLines.contains(expectation.text);
        if (!report.passed) report.reason = QStringLiteral("no result line reads ") + quoted(expectation.text) + after;
        break;
      case ExpectKind::Match: {
        const QRegularExpression pattern(expectation.text);
        for (const QString& line : last.lines + last.dialogLines) {
          if (pattern.match(line).hasMatch()) report.passed = true;
        }
        if (!report.passed) report.reason = QStringLiteral("no result line matches ") + quoted(expectation.text) + after;
        break;
      }
      case ExpectKind::Box:
        // A box's text may run over several lines; one of them will do.
        for (const MessageBoxRecord& box : last.boxes) {
          if (box.text == expectation.text) report.passed = true;
          for (const QString& line : box.text.split(QLatin1Char('\n'))) {
            // System messages end their lines with a carriage return too.
            if (line == expectation.text || line == expectation.text + QLatin1Char('\r')) report.passed = true;
          }
        }
        if (!report.passed) {
          report.reason = last.boxes.empty() ? QStringLiteral("no message box was shown") + after
                                             : QStringLiteral("no message box reads ") + quoted(expectation.text) +
                                                   QStringLiteral("; the last one reads ") +
                                                   quoted(last.boxes.back().text) + after;
        }
        break;
      case ExpectKind::Function:
        report.passed = last.hasResult && last.function == expectation.text;
        if (!report.passed) {
          report.reason = (last.hasResult ? QStringLiteral("the function is ") + quoted(last.function)
                                          : QStringLiteral("no result was shown")) +
                          after;
        }
        break;
      case ExpectKind::Connected:
      case ExpectKind::Disconnected:
        break;
    }
  }

  const RunTarget& target_;
  const RunOptions& options_;
  QTextStream& out_;
  QTextStream& err_;
  std::optional<StepReport> last_;
  bool exitRequested_ = false;
};

}  // namespace

int RunScript(const Script& script, const RunTarget& target, const RunOptions& options, QTextStream& out,
              QTextStream& err) {
  if (const int status = ReportReadErrors(script, options.scriptName, err); status != kAllHeld) return status;
  Runner runner(target, options, out, err);
  return runner.run(script);
}

int ReportReadErrors(const Script& script, const QString& scriptName, QTextStream& err) {
  for (const ReadError& error : script.errors) err << scriptName << ':' << error.line << ": " << error.reason << '\n';
  err.flush();
  return script.errors.empty() ? kAllHeld : kScriptError;
}

}  // namespace script
