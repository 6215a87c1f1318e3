#pragma once

// The modal seam while a script runs: every dialog, message box and pop-up
// menu that a step's command opens is answered from the step, through the
// real widgets, and never waits for a user. A dialog or question that the
// step does not answer ends at once (Cancel) and the step is reported as a
// script error, so a script never hangs.

#include <QString>
#include <optional>

#include "gui/modal_seam.h"
#include "script/step_report.h"

namespace script {

// Lets timers, posted messages and server callbacks run for `ms`
// milliseconds, as the modal loop of an open dialog or an idle window would.
void RunEventsFor(int ms);

class ScriptSeam : public gui::ModalSeam {
 public:
  // The texts the connect dialog gets in a connect step (an absent one
  // keeps the dialog's own).
  struct ConnectAnswer {
    std::optional<QString> server;
    std::optional<QString> machine;
  };

  // From here on the interactions belong to `step` and are recorded in
  // `report`.
  void beginStep(const Step& step, StepReport& report);
  // The entry to choose in the pop-up menu the step opens.
  void setPopupEntry(QString entry) { popupEntry_ = std::move(entry); }
  // What the connect dialog gets, when the step opens it.
  void setConnectAnswer(ConnectAnswer answer) { connect_ = std::move(answer); }
  // Reports answers the step gave that nothing asked for; then no step is
  // running and message boxes go to the standard error output.
  void endStep();
  // Whether the pop-up entry of the step was chosen.
  bool popupChosen() const { return popupChosen_; }

  int runDialog(gui::Dialog& dialog) override;
  int runMessageBox(const gui::MessageBoxRequest& request) override;
  UINT runPopupMenu(const gui::PopupMenuRequest& request) override;

 private:
  int answerConnectDialog(gui::Dialog& dialog);
  void scriptError(const QString& reason);

  const Step* step_ = nullptr;
  StepReport* report_ = nullptr;
  QString popupEntry_;
  bool popupChosen_ = false;
  std::optional<ConnectAnswer> connect_;
  bool dialogAnswered_ = false;
  int boxAnswersUsed_ = 0;
};

}  // namespace script
