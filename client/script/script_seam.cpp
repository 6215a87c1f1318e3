#include "script/script_seam.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <algorithm>
#include <cstdio>

#include "gui/dialog.h"
#include "gui/menu.h"
#include "resources/resource_ids.h"
#include "script/dialog_fields.h"

namespace script {
namespace {

struct BoxButton {
  int id;
  const char* text;
};

std::vector<BoxButton> buttonsOf(UINT buttons) {
  switch (buttons) {
    case gui::MB_OKCANCEL: return {{gui::IDOK, "OK"}, {gui::IDCANCEL, "Cancel"}};
    case gui::MB_ABORTRETRYIGNORE: return {{gui::IDABORT, "Abort"}, {gui::IDRETRY, "Retry"}, {gui::IDIGNORE, "Ignore"}};
    case gui::MB_YESNOCANCEL: return {{gui::IDYES, "Yes"}, {gui::IDNO, "No"}, {gui::IDCANCEL, "Cancel"}};
    case gui::MB_YESNO: return {{gui::IDYES, "Yes"}, {gui::IDNO, "No"}};
    case gui::MB_RETRYCANCEL: return {{gui::IDRETRY, "Retry"}, {gui::IDCANCEL, "Cancel"}};
    default: return {{gui::IDOK, "OK"}};
  }
}

QString buttonList(const std::vector<BoxButton>& buttons) {
  QStringList texts;
  for (const BoxButton& button : buttons) texts << QString::fromLatin1(button.text);
  return texts.join(QStringLiteral(", "));
}

QString plainMenuText(const QString& text) { return PlainLabel(text.section(QLatin1Char('\t'), 0, 0)); }

}  // namespace

void RunEventsFor(int ms) {
  QElapsedTimer timer;
  timer.start();
  do {
    QCoreApplication::processEvents(QEventLoop::AllEvents,
                                    static_cast<int>(std::max<qint64>(1, ms - timer.elapsed())));
  } while (timer.elapsed() < ms);
}

void ScriptSeam::beginStep(const Step& step, StepReport& report) {
  step_ = &step;
  report_ = &report;
  popupEntry_.clear();
  popupChosen_ = false;
  connect_.reset();
  dialogAnswered_ = false;
  boxAnswersUsed_ = 0;
}

void ScriptSeam::endStep() {
  if (step_ != nullptr && report_ != nullptr && report_->error.isEmpty() && report_->failure.isEmpty()) {
    if (step_->answersDialog() && !dialogAnswered_) {
      report_->failure = QStringLiteral("the step answers a dialog, but no dialog opened");
    } else if (boxAnswersUsed_ < step_->boxAnswers.size()) {
      report_->failure = QStringLiteral("box=%1 answers no message box: no such question was asked")
                             .arg(step_->boxAnswers[boxAnswersUsed_]);
    }
  }
  step_ = nullptr;
  report_ = nullptr;
  popupEntry_.clear();
  connect_.reset();
}

void ScriptSeam::scriptError(const QString& reason) {
  if (report_ != nullptr && report_->error.isEmpty()) report_->error = reason;
}

int ScriptSeam::runDialog(gui::Dialog& dialog) {
  if (dialog.hasEnded()) return dialog.result();
  DialogFields fields(dialog);
  const QString caption = fields.caption();
  auto cancel = [&dialog] {
    if (!dialog.hasEnded()) dialog.EndDialog(gui::IDCANCEL);
    return dialog.result();
  };

  if (step_ == nullptr || report_ == nullptr) {
    std::fprintf(stderr, "The dialog \"%s\" opened outside every step; it is cancelled\n", qPrintable(caption));
    return cancel();
  }
  if (!report_->error.isEmpty()) return cancel();
  if (connect_ && dialog.templateId() == quillon::IDD_CONNECT && !dialogAnswered_) return answerConnectDialog(dialog);
  if (dialogAnswered_) {
    scriptError(QStringLiteral("the dialog \"%1\" opened after the step's dialog had been answered; "
                               "a step answers one dialog")
                    .arg(caption));
    return cancel();
  }
  if (!step_->answersDialog()) {
    scriptError(QStringLiteral("the step opens the dialog \"%1\" and does not answer it; give its fields as "
                               "label=value (fields: %2), or button=OK to take its defaults")
                    .arg(caption, fields.labels().join(QStringLiteral(", "))));
    return cancel();
  }
  dialogAnswered_ = true;

  QString reason;
  for (const FieldAnswer& answer : step_->answers) {
    if (!fields.answer(answer.label, answer.value, reason)) {
      scriptError(reason);
      return cancel();
    }
  }
  if (step_->dialogWaitMs) {
    RunEventsFor(*step_->dialogWaitMs);
    // Closed while it was open, as by a server's shutdown request.
    if (dialog.hasEnded()) return dialog.result();
    report_->dialogCaption = caption;
    report_->dialogLines = fields.contents();
  }

  const QString button = step_->button.value_or(QStringLiteral("OK"));
  const std::size_t boxesBefore = report_->boxes.size();
  if (!fields.press(button, reason)) {
    scriptError(reason);
    return cancel();
  }
  if (!dialog.hasEnded()) {
    QString why;
    if (report_->boxes.size() > boxesBefore) why = QStringLiteral(": ") + report_->boxes.back().text;
    scriptError(QStringLiteral("the dialog \"%1\" did not take its answers and stayed open after \"%2\"%3")
                    .arg(caption, button, why));
    return cancel();
  }
  return dialog.result();
}

int ScriptSeam::answerConnectDialog(gui::Dialog& dialog) {
  dialogAnswered_ = true;
  if (connect_->server) dialog.SetDlgItemText(quillon::IDC_SERVER_NAME, *connect_->server);
  if (connect_->machine) dialog.SetDlgItemText(quillon::IDC_MACHINE_NAME, *connect_->machine);
  dialog.SendMessage(gui::WM_COMMAND, gui::MakeCommandParam(gui::IDOK), 0);
  if (!dialog.hasEnded()) {
    scriptError(QStringLiteral("the connect dialog stayed open after Connect"));
    dialog.EndDialog(gui::IDCANCEL);
  }
  return dialog.result();
}

int ScriptSeam::runMessageBox(const gui::MessageBoxRequest& request) {
  const std::vector<BoxButton> buttons = buttonsOf(request.buttons());
  if (step_ == nullptr || report_ == nullptr) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(request.caption), qPrintable(request.text));
    return request.escapeAnswer();
  }
  report_->boxes.push_back({request.caption, request.text});
  if (!report_->error.isEmpty()) return request.escapeAnswer();

  const bool okOnly = buttons.size() == 1;
  if (boxAnswersUsed_ < step_->boxAnswers.size()) {
    const QString& wanted = step_->boxAnswers[boxAnswersUsed_];
    for (const BoxButton& button : buttons) {
      if (wanted.compare(QLatin1String(button.text), Qt::CaseInsensitive) == 0) {
        ++boxAnswersUsed_;
        return button.id;
      }
    }
    // A box that only informs does not take up the answer meant for a question.
    if (okOnly) return gui::IDOK;
    scriptError(QStringLiteral("box=%1 does not answer the message box \"%2\" (its buttons: %3)")
                    .arg(wanted, request.text, buttonList(buttons)));
    return request.escapeAnswer();
  }
  if (okOnly) return gui::IDOK;
  scriptError(QStringLiteral("the message box \"%1\" asks a question (%2) that the step does not answer; "
                             "add box=ANSWER")
                  .arg(request.text, buttonList(buttons)));
  return request.escapeAnswer();
}

UINT ScriptSeam::runPopupMenu(const gui::PopupMenuRequest& request) {
  if (request.menu == nullptr || report_ == nullptr || !report_->error.isEmpty()) return 0;
  if (popupEntry_.isEmpty() || popupChosen_) {
    scriptError(QStringLiteral("a pop-up menu opened that the step does not choose from"));
    return 0;
  }
  QStringList entries;
  for (QAction* action : request.menu->actions()) {
    if (action->isSeparator() || action->menu() != nullptr) continue;
    const QString text = plainMenuText(action->text());
    entries << text;
    if (text != PlainLabel(popupEntry_)) continue;
    popupChosen_ = true;
    if (!action->isEnabled()) {
      report_->failure = QStringLiteral("the pop-up entry \"%1\" is greyed").arg(popupEntry_);
      return 0;
    }
    return gui::Menu::commandIdOf(action);
  }
  popupChosen_ = true;
  scriptError(QStringLiteral("the pop-up menu has no entry \"%1\"; its entries are %2")
                  .arg(popupEntry_, entries.join(QStringLiteral(", "))));
  return 0;
}

}  // namespace script
