#include "production_modal_seam.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "gui/dialog.h"
#include "gui/menu.h"
#include "gui/modal_stack.h"
#include "gui/window.h"

namespace gui {
namespace {

// A wait cursor shown by the command that opened a modal window should not
// stay over that window while the user works in it.
class ArrowWhileModal {
 public:
  ArrowWhileModal() : active_(QApplication::overrideCursor() != nullptr) {
    if (active_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~ArrowWhileModal() {
    if (active_) QApplication::restoreOverrideCursor();
  }
  ArrowWhileModal(const ArrowWhileModal&) = delete;
  ArrowWhileModal& operator=(const ArrowWhileModal&) = delete;

 private:
  bool active_;
};

QMessageBox::Icon iconOf(UINT icon) {
  switch (icon) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

struct ButtonChoice {
  QMessageBox::StandardButton button;
  int answer;
};

std::vector<ButtonChoice> buttonsOf(UINT buttons) {
  switch (buttons) {
    case MB_OKCANCEL: return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
      return {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
    case MB_YESNOCANCEL:
      return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    case MB_RETRYCANCEL: return {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
    default: return {{QMessageBox::Ok, IDOK}};
  }
}

// An open message box as a window of the modal stack, so that a handler that
// cancels every open pop-up can close it as well.
class MessageBoxWindow : public Window {
 public:
  MessageBoxWindow(QMessageBox* box, int escapeAnswer, const std::vector<ButtonChoice>& buttons)
      : box_(box), escapeAnswer_(escapeAnswer), buttons_(buttons) {
    attachWidget(box, nullptr);
  }

  bool modalEnded() const override { return ended_; }
  void finish(int answer) {
    if (ended_) return;
    ended_ = true;
    answer_ = answer;
    box_->done(answer);
  }
  int answer() const { return answer_; }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
      finish(escapeAnswer_);
      return 0;
    }
    if (message == WM_COMMAND) {
      for (const ButtonChoice& choice : buttons_) {
        if (choice.answer == static_cast<int>(LOWORD(wParam))) finish(choice.answer);
      }
      return 0;
    }
    return Window::WindowProc(message, wParam, lParam);
  }

 private:
  QMessageBox* box_;
  int escapeAnswer_;
  std::vector<ButtonChoice> buttons_;
  bool ended_ = false;
  int answer_ = 0;
};

}  // namespace

int ProductionModalSeam::runDialog(Dialog& dialog) {
  QDialog* widget = dialog.dialogWidget();
  if (widget == nullptr || dialog.hasEnded()) return dialog.result();
  ArrowWhileModal arrow;
  widget->exec();
  return dialog.result();
}

int ProductionModalSeam::runMessageBox(const MessageBoxRequest& request) {
  QWidget* parent = request.owner != nullptr && request.owner->widget() != nullptr
                        ? request.owner->widget()->window()
                        : nullptr;
  auto* box = new QMessageBox(iconOf(request.icon()), request.caption, request.text, QMessageBox::NoButton, parent);
  box->setTextFormat(Qt::PlainText);
  const std::vector<ButtonChoice> buttons = buttonsOf(request.buttons());
  const int defaultIndex = static_cast<int>((request.type & MB_DEFMASK) >> 8);
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    QPushButton* button = box->addButton(buttons[i].button);
    if (static_cast<int>(i) == defaultIndex) box->setDefaultButton(button);
    if (buttons[i].answer == request.escapeAnswer()) box->setEscapeButton(button);
  }

  MessageBoxWindow window(box, request.escapeAnswer(), buttons);
  ModalStack::instance().push(&window);
  ArrowWhileModal arrow;
  box->exec();
  ModalStack::instance().remove(&window);

  int answer = window.answer();
  if (!window.modalEnded()) {
    const QMessageBox::StandardButton clicked = box->standardButton(box->clickedButton());
    answer = request.escapeAnswer();
    for (const ButtonChoice& choice : buttons) {
      if (choice.button == clicked) answer = choice.answer;
    }
  }
  window.DestroyWindow();
  return answer;
}

UINT ProductionModalSeam::runPopupMenu(const PopupMenuRequest& request) {
  if (request.menu == nullptr) return 0;
  ArrowWhileModal arrow;
  return Menu::commandIdOf(request.menu->exec(request.screenPosition));
}

}  // namespace gui
