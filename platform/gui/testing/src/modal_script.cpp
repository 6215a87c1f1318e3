#include "gui/testing/modal_script.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QMenu>

#include "gui/testing/pump.h"

namespace gui::testing {
namespace {

QString describe(const QString& kind, const QString& caption, const QString& text) {
  return QStringLiteral("%1 \"%2\": \"%3\"").arg(kind, caption, text);
}

}  // namespace

ModalScript& modalScript() {
  static ModalScript script;
  return script;
}

void ModalScript::add(Expectation expectation) { levels_.back().push_back(std::move(expectation)); }

void ModalScript::addDialog(UINT templateId, std::function<bool(Dialog&)> matches,
                            std::function<void(Dialog&, DialogDriver&)> script, QString description) {
  Expectation expectation;
  expectation.kind = Kind::Dialog;
  expectation.templateId = templateId;
  expectation.matches = std::move(matches);
  expectation.dialogScript = std::move(script);
  expectation.description = std::move(description);
  add(std::move(expectation));
}

void ModalScript::expectDialog(UINT templateId, std::function<void(DialogDriver&)> script) {
  addDialog(templateId, [templateId](Dialog& dialog) { return dialog.templateId() == templateId; },
            [script](Dialog&, DialogDriver& driver) { script(driver); },
            QStringLiteral("dialog %1").arg(templateId));
}

void ModalScript::expectMessageBox(int answer, std::optional<QString> text) {
  Expectation expectation;
  expectation.kind = Kind::MessageBox;
  expectation.answer = answer;
  expectation.text = std::move(text);
  expectation.description = expectation.text ? QStringLiteral("message box \"%1\"").arg(*expectation.text)
                                             : QStringLiteral("a message box");
  add(std::move(expectation));
}

void ModalScript::expectPopupMenu(std::function<void(PopupMenuDriver&)> script) {
  Expectation expectation;
  expectation.kind = Kind::PopupMenu;
  expectation.popupScript = std::move(script);
  expectation.description = QStringLiteral("a pop-up menu");
  add(std::move(expectation));
}

int ModalScript::pendingCount() const {
  int count = 0;
  for (const auto& level : levels_) count += static_cast<int>(level.size());
  return count;
}

const ModalScript::Expectation* ModalScript::peekNext() const {
  for (auto level = levels_.rbegin(); level != levels_.rend(); ++level) {
    if (!level->empty()) return &level->front();
  }
  return nullptr;
}

std::optional<ModalScript::Expectation> ModalScript::takeNext(Kind kind) {
  for (auto level = levels_.rbegin(); level != levels_.rend(); ++level) {
    if (level->empty()) continue;
    if (level->front().kind != kind) return std::nullopt;
    Expectation next = std::move(level->front());
    level->pop_front();
    return next;
  }
  return std::nullopt;
}

void ModalScript::runScriptLevel(const std::function<void()>& script) {
  levels_.emplace_back();
  script();
  // What the script expected but did not meet comes next, before the
  // expectations queued earlier: a box shown after the dialog has closed.
  std::deque<Expectation> leftover = std::move(levels_.back());
  levels_.pop_back();
  auto& parent = levels_.back();
  parent.insert(parent.begin(), std::make_move_iterator(leftover.begin()), std::make_move_iterator(leftover.end()));
}

int ModalScript::runDialog(Dialog& dialog) {
  dialogsShown_.push_back(dialog.templateId());
  const QString caption = dialog.GetWindowText();
  const Expectation* next = peekNext();
  if (next == nullptr || next->kind != Kind::Dialog || !next->matches(dialog)) {
    ADD_FAILURE() << "Unexpected modal dialog " << dialog.templateId() << " \"" << caption.toStdString()
                  << "\"; next expected: " << (next ? next->description.toStdString() : std::string("nothing"));
    dialog.EndDialog(IDCANCEL);
    return IDCANCEL;
  }
  Expectation expectation = *takeNext(Kind::Dialog);
  // Shown like a normal window, so visibility and focus behave as for the user.
  if (QDialog* widget = dialog.dialogWidget()) widget->show();
  DialogDriver driver(dialog);
  runScriptLevel([&] { expectation.dialogScript(dialog, driver); });
  if (!dialog.hasEnded()) {
    ADD_FAILURE() << "Dialog " << dialog.templateId() << " \"" << caption.toStdString()
                  << "\" is still open after its script; it is cancelled";
    dialog.EndDialog(IDCANCEL);
  }
  return dialog.result();
}

int ModalScript::runMessageBox(const MessageBoxRequest& request) {
  ShownMessageBox shown{request.text, request.caption, request.type, request.escapeAnswer(), false};
  std::optional<Expectation> expectation = takeNext(Kind::MessageBox);
  if (!expectation) {
    const Expectation* next = peekNext();
    ADD_FAILURE() << "Unexpected " << describe(QStringLiteral("message box"), request.caption, request.text).toStdString()
                  << "; next expected: " << (next ? next->description.toStdString() : std::string("nothing"));
  } else {
    shown.answer = expectation->answer;
    shown.expected = true;
    if (expectation->text) {
      EXPECT_EQ(expectation->text->toStdString(), request.text.toStdString()) << "text of the message box";
    }
  }
  messageBoxes_.push_back(shown);
  return shown.answer;
}

UINT ModalScript::runPopupMenu(const PopupMenuRequest& request) {
  std::optional<Expectation> expectation = takeNext(Kind::PopupMenu);
  if (!expectation) {
    const Expectation* next = peekNext();
    ADD_FAILURE() << "Unexpected pop-up menu; next expected: "
                  << (next ? next->description.toStdString() : std::string("nothing"));
    return 0;
  }
  PopupMenuDriver driver(request.menu);
  runScriptLevel([&] { expectation->popupScript(driver); });
  return driver.chosen();
}

void ModalScript::verifyAndReset() {
  for (const auto& level : levels_) {
    for (const Expectation& expectation : level) {
      ADD_FAILURE() << "Expected " << expectation.description.toStdString() << ", which never appeared";
    }
  }
  reset();
}

void ModalScript::reset() {
  levels_.assign(1, {});
  messageBoxes_.clear();
  dialogsShown_.clear();
}

}  // namespace gui::testing
