#include "gui/window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "gui/cmd_ui.h"
#include "gui/message_box.h"
#include "message_queue.h"
#include "probe_cmd_ui.h"
#include "window_events.h"

namespace gui {

Window::Window() = default;

Window::~Window() {
  DestroyWindow();
  if (parent_ != nullptr) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

QObject* Window::eventContext() const { return events_.get(); }

void Window::attachWidget(QWidget* widget, Window* parent) {
  widget_ = widget;
  parent_ = parent;
  if (parent != nullptr) parent->children_.push_back(this);
  events_ = std::make_unique<WindowEvents>(*this);
  widget->installEventFilter(events_.get());
  handle_.store(MessageQueue::instance().registerWindow(this).value);
}

void Window::DestroyWindow() {
  if (widget_.isNull()) return;
  OnDestroy();

  std::vector<Window*> children;
  children.swap(children_);
  for (Window* child : children) {
    child->parent_ = nullptr;
    child->DestroyWindow();
    if (child->autoDelete_) delete child;
  }
  for (auto& [id, timer] : timers_) delete timer;
  timers_.clear();
  MessageQueue::instance().unregisterWindow(handle());
  controls_.clear();

  QWidget* widget = widget_.data();
  widget_.clear();
  events_.reset();  // disconnects everything made on this window's behalf
  widget->hide();
  // The widget may be in the middle of its own event handling (a menu entry
  // that closes the window), so it goes once control is back in the loop.
  widget->deleteLater();

  if (parent_ != nullptr) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    parent_ = nullptr;
  }
  PostNcDestroy();
}

bool Window::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return MessageQueue::instance().post(handle(), message, wParam, lParam);
}

LRESULT Window::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!isUiThread()) return MessageQueue::instance().sendAndWait(handle(), message, wParam, lParam);
  return WindowProc(message, wParam, lParam);
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (const auto it = messages_.find(message); it != messages_.end()) {
    const auto handler = it->second;
    return handler(wParam, lParam);
  }
  switch (message) {
    case WM_COMMAND:
      OnCommand(wParam, lParam);
      return 0;
    case WM_NOTIFY: {
      auto* info = reinterpret_cast<NotifyInfo*>(lParam);
      if (info == nullptr) return 0;
      OnNotify(*info);
      return info->result;
    }
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wParam));
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    default:
      return 0;
  }
}

bool Window::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  int code = HIWORD(wParam);
  if (lParam == 0) {
    // A menu entry, button bar button, accelerator or posted command: it does
    // not run while its update handler keeps it disabled.
    code = CN_COMMAND;
    ProbeCmdUI state(id);
    OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &state);
    if (state.enableChanged() && !state.enabled()) return true;
  }
  return OnCmdMsg(id, code, nullptr);
}

void Window::OnNotify(NotifyInfo& info) {
  if (const auto it = notifies_.find({info.controlId, info.code}); it != notifies_.end()) {
    const auto handler = it->second;
    handler(info);
  }
}

void Window::OnTimer(UINT_PTR) {}

void Window::OnClose() { DestroyWindow(); }

void Window::OnSize(int, int) {}

bool Window::OnToolTipText(int, QString&) { return false; }

void Window::mapMessage(UINT message, std::function<LRESULT(WPARAM, LPARAM)> handler) {
  messages_[message] = std::move(handler);
}

void Window::mapNotify(int controlId, int code, std::function<void(NotifyInfo&)> handler) {
  notifies_[{controlId, code}] = std::move(handler);
}

void Window::notify(NotifyInfo& info) { SendMessage(WM_NOTIFY, static_cast<WPARAM>(info.controlId), reinterpret_cast<LPARAM>(&info)); }

UINT_PTR Window::SetTimer(UINT_PTR id, UINT elapseMs) {
  if (events_ == nullptr) return 0;
  QTimer*& timer = timers_[id];
  if (timer == nullptr) {
    timer = new QTimer(events_.get());
    QObject::connect(timer, &QTimer::timeout, events_.get(), [this, id] { SendMessage(WM_TIMER, id, 0); });
  }
  timer->start(static_cast<int>(elapseMs));
  return id;
}

bool Window::KillTimer(UINT_PTR id) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return false;
  delete it->second;
  timers_.erase(it);
  return true;
}

void Window::SetWindowText(const QString& text) {
  if (widget_) Control(widget_).SetWindowText(text);
}

QString Window::GetWindowText() const { return widget_ ? Control(widget_).GetWindowText() : QString(); }

void Window::ShowWindow(int command) {
  if (widget_.isNull()) return;
  switch (command) {
    case SW_HIDE: widget_->hide(); break;
    case SW_SHOWMAXIMIZED: widget_->showMaximized(); break;
    case SW_SHOWMINIMIZED: widget_->showMinimized(); break;
    default: widget_->show(); break;
  }
}

bool Window::IsWindowVisible() const { return widget_ && widget_->isVisible(); }

void Window::EnableWindow(bool enable) {
  if (widget_) widget_->setEnabled(enable);
}

bool Window::IsWindowEnabled() const { return widget_ && widget_->isEnabled(); }

void Window::MoveWindow(const QRect& rect) {
  if (widget_) widget_->setGeometry(rect);
}

QRect Window::GetClientRect() const { return widget_ ? widget_->rect() : QRect(); }

void Window::Invalidate() {
  if (widget_) widget_->update();
}

void Window::UpdateWindow() {
  if (widget_) widget_->repaint();
}

void Window::SetFocus() {
  if (widget_) widget_->setFocus(Qt::OtherFocusReason);
}

void Window::SetForegroundWindow() {
  if (widget_.isNull()) return;
  widget_->raise();
  widget_->activateWindow();
}

int Window::MessageBox(const QString& text, const QString& caption, UINT type) {
  return gui::MessageBox(this, text, caption, type);
}

QWidget* Window::GetDlgItem(int id) const {
  for (const ControlEntry& entry : controls_) {
    if (entry.id == id) return entry.widget;
  }
  return nullptr;
}

void Window::SetDlgItemText(int id, const QString& text) { control(id).SetWindowText(text); }

QString Window::GetDlgItemText(int id) const { return control(id).GetWindowText(); }

int Window::IsDlgButtonChecked(int id) const { return button(id).GetCheck(); }

void Window::CheckDlgButton(int id, int check) { button(id).SetCheck(check); }

void Window::CheckRadioButton(int firstId, int lastId, int checkId) {
  for (const ControlEntry& entry : controls_) {
    if (entry.id >= firstId && entry.id <= lastId && entry.id != checkId) {
      Button(entry.widget).SetCheck(BST_UNCHECKED);
    }
  }
  if (checkId >= firstId && checkId <= lastId) button(checkId).SetCheck(BST_CHECKED);
}

int Window::GetCheckedRadioButton(int firstId, int lastId) const {
  for (const ControlEntry& entry : controls_) {
    if (entry.id >= firstId && entry.id <= lastId && Button(entry.widget).GetCheck() == BST_CHECKED) {
      return entry.id;
    }
  }
  return 0;
}

void Window::GotoDlgCtrl(int id) {
  QWidget* control = GetDlgItem(id);
  if (control == nullptr) return;
  control->setFocus(Qt::OtherFocusReason);
  if (auto* line = qobject_cast<QLineEdit*>(control)) line->selectAll();
}

void Window::EnableToolTips(bool enable) {
  toolTipsEnabled_ = enable;
  if (!enable || events_ == nullptr) return;
  for (const ControlEntry& entry : controls_) entry.widget->installEventFilter(events_.get());
}

void Window::registerControl(int id, unsigned style, QWidget* control) {
  controls_.push_back({id, style, control});
  if (toolTipsEnabled_ && events_ != nullptr) control->installEventFilter(events_.get());
}

}  // namespace gui
