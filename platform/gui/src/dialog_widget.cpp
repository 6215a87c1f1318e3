#include "dialog_widget.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include "gui/dialog.h"

namespace gui {

DialogWidget::DialogWidget(Dialog& dialog, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      dialog_(dialog) {}

void DialogWidget::reject() { dialog_.SendMessage(WM_COMMAND, MakeCommandParam(IDCANCEL), 0); }

void DialogWidget::accept() { dialog_.SendMessage(WM_COMMAND, MakeCommandParam(IDOK), 0); }

void DialogWidget::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && event->modifiers() == Qt::NoModifier) {
    bool hasDefault = false;
    for (const QPushButton* button : findChildren<QPushButton*>()) {
      hasDefault = hasDefault || (button->isDefault() && button->isEnabled() && button->isVisible());
    }
    auto* focusedButton = qobject_cast<QPushButton*>(focusWidget());
    const bool multiLine = qobject_cast<QPlainTextEdit*>(focusWidget()) != nullptr;
    if (!hasDefault && focusedButton == nullptr && !multiLine) {
      // Without a default button Enter still means OK.
      dialog_.SendMessage(WM_COMMAND, MakeCommandParam(IDOK), 0);
      return;
    }
  }
  QDialog::keyPressEvent(event);
}

}  // namespace gui
