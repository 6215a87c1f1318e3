#include "gui/control.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

#include "ip_address_edit.h"

namespace gui {

int Control::GetDlgCtrlID() const {
  if (widget_.isNull()) return 0;
  const QVariant id = widget_->property(kControlIdProperty);
  return id.isValid() ? id.toInt() : 0;
}

void Control::SetWindowText(const QString& text) {
  QWidget* w = widget_.data();
  if (w == nullptr) return;
  if (auto* line = qobject_cast<QLineEdit*>(w)) {
    line->setText(text);
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
    plain->setPlainText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
    group->setTitle(text);
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    if (combo->isEditable()) {
      combo->setEditText(text);
    } else {
      combo->setCurrentIndex(combo->findText(text, Qt::MatchFixedString));
    }
  } else if (auto* address = dynamic_cast<IpAddressEdit*>(w)) {
    address->setText(text);
  } else {
    w->setWindowTitle(text);
  }
}

QString Control::GetWindowText() const {
  const QWidget* w = widget_.data();
  if (w == nullptr) return {};
  if (auto* line = qobject_cast<const QLineEdit*>(w)) return line->text();
  if (auto* plain = qobject_cast<const QPlainTextEdit*>(w)) return plain->toPlainText();
  if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
  if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
  if (auto* group = qobject_cast<const QGroupBox*>(w)) return group->title();
  if (auto* combo = qobject_cast<const QComboBox*>(w)) return combo->currentText();
  if (auto* address = dynamic_cast<const IpAddressEdit*>(w)) return address->text();
  return w->windowTitle();
}

void Control::EnableWindow(bool enable) {
  if (widget_) widget_->setEnabled(enable);
}

bool Control::IsWindowEnabled() const { return widget_ && widget_->isEnabled(); }

void Control::ShowWindow(int command) {
  if (widget_) widget_->setVisible(command != SW_HIDE);
}

bool Control::IsWindowVisible() const {
  if (widget_.isNull()) return false;
  return widget_->isVisibleTo(widget_->window());
}

QRect Control::GetWindowRect() const { return widget_ ? widget_->geometry() : QRect(); }

void Control::MoveWindow(const QRect& rect) {
  if (widget_) widget_->setGeometry(rect);
}

void Control::SetFont(const QFont& font) {
  if (widget_) widget_->setFont(font);
}

QFont Control::GetFont() const { return widget_ ? widget_->font() : QFont(); }

QSize Control::GetTextExtent(const QString& text) const {
  const QFontMetrics metrics(GetFont());
  return QSize(metrics.horizontalAdvance(text), metrics.height());
}

void Control::SetFocus() {
  if (widget_) widget_->setFocus(Qt::OtherFocusReason);
}

void Control::Invalidate() {
  if (widget_) widget_->update();
}

void Control::UpdateWindow() {
  if (widget_) widget_->repaint();
}

}  // namespace gui
