#pragma once

// The modal seam of GUI tests. A test states, in order, the modal
// interactions it expects: which dialog opens (by template id or by class)
// and what the user does in it, which message box appears and which button
// answers it, which context menu opens and which entry is chosen. Each one
// then runs synchronously with the real widgets when the program reaches
// it; nothing blocks. An interaction that nobody expected fails the test
// (and is cancelled); an expectation never met fails it at its end.
//
//   script.expectDialog(152, [](DialogDriver& d) {
//     d.setText(2001, "Pelkor.DataSample");
//     d.press(IDOK);
//   });
//   script.expectMessageBox(IDOK, "Cannot connect to OPC Server 'x'");
//   triggerAction(frame, ID_CONNECT);
//
// Expectations added while a dialog's script runs come before those queued
// earlier, so a script can expect the prompt that its own button causes.

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "gui/dialog.h"
#include "gui/modal_seam.h"
#include "gui/testing/dialog_driver.h"
#include "gui/testing/popup_menu_driver.h"

namespace gui::testing {

struct ShownMessageBox {
  QString text;
  QString caption;
  UINT type = 0;
  int answer = 0;
  bool expected = true;

  UINT icon() const { return type & MB_ICONMASK; }
  UINT buttons() const { return type & MB_TYPEMASK; }
};

class ModalScript : public ModalSeam {
 public:
  void expectDialog(UINT templateId, std::function<void(DialogDriver&)> script);
  // A dialog of class D; the script gets the dialog object as well.
  template <class D>
  void expectDialog(std::function<void(D&, DialogDriver&)> script) {
    addDialog(0, [](Dialog& dialog) { return dynamic_cast<D*>(&dialog) != nullptr; },
              [script](Dialog& dialog, DialogDriver& driver) { script(static_cast<D&>(dialog), driver); },
              QStringLiteral("a dialog of the expected class"));
  }
  // The next message box is answered with `answer`; with `text`, its text must be exactly that.
  void expectMessageBox(int answer, std::optional<QString> text = std::nullopt);
  void expectPopupMenu(std::function<void(PopupMenuDriver&)> script);

  // Every message box shown since the test started, expected or not.
  const std::vector<ShownMessageBox>& messageBoxes() const { return messageBoxes_; }
  // Template ids of the dialogs opened since the test started.
  const std::vector<UINT>& dialogsShown() const { return dialogsShown_; }
  int pendingCount() const;

  // Fails the current test for every expectation not met, then forgets them.
  void verifyAndReset();
  void reset();

  int runDialog(Dialog& dialog) override;
  int runMessageBox(const MessageBoxRequest& request) override;
  UINT runPopupMenu(const PopupMenuRequest& request) override;

 private:
  enum class Kind { Dialog, MessageBox, PopupMenu };
  struct Expectation {
    Kind kind = Kind::Dialog;
    UINT templateId = 0;
    std::function<bool(Dialog&)> matches;
    std::function<void(Dialog&, DialogDriver&)> dialogScript;
    std::function<void(PopupMenuDriver&)> popupScript;
    int answer = 0;
    std::optional<QString> text;
    QString description;
  };

  void addDialog(UINT templateId, std::function<bool(Dialog&)> matches,
                 std::function<void(Dialog&, DialogDriver&)> script, QString description);
  void add(Expectation expectation);
  // The next expectation, if it is of `kind`; otherwise nullopt (and it stays).
  std::optional<Expectation> takeNext(Kind kind);
  const Expectation* peekNext() const;
  void runScriptLevel(const std::function<void()>& script);

  // Expectations by script level: [0] the test's own, then one level per
  // dialog script running. The innermost level is consumed first.
  std::vector<std::deque<Expectation>> levels_{1};
  std::vector<ShownMessageBox> messageBoxes_;
  std::vector<UINT> dialogsShown_;
};

// The script installed by the GUI test main.
ModalScript& modalScript();

}  // namespace gui::testing
