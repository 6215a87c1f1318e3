#pragma once

// The base of every window of the layer: frame, views, dialogs, control bars.
// A Window owns one Qt widget (while its window exists) and gives it the
// desktop platform's programming model: messages with wParam/lParam posted
// from any thread and delivered in order on the user-interface thread,
// commands routed by id, window timers by id, controls addressed by id.

#include <QPointer>
#include <QWidget>
#include <QRect>
#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "gui/command_target.h"
#include "gui/controls.h"
#include "gui/notify_info.h"
#include "gui/types.h"
#include "gui/window_handle.h"

class QObject;
class QTimer;


namespace gui {

class WindowEvents;

class Window : public CommandTarget {
 public:
  Window();
  ~Window() override;

  // ---- the window ------------------------------------------------------------------
  QWidget* widget() const { return widget_.data(); }
  WindowHandle handle() const { return WindowHandle{handle_.load()}; }
  bool IsWindow() const { return !widget_.isNull(); }
  Window* GetParent() const { return parent_; }
  // Destroys the window (not this object): OnDestroy, then the child windows,
  // then the widget. Child windows created as auto-delete are deleted too.
  void DestroyWindow();

  // ---- messages ------------------------------------------------------------------------
  // Queues a message for this window; callable from any thread. Messages are
  // delivered in the order posted, on the user-interface thread, by its event
  // loop. Returns false when the window does not exist (any more).
  bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  // Delivers a message at once. From another thread it waits until the
  // user-interface thread has delivered it.
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // Dispatches a message: WM_COMMAND to OnCommand, WM_NOTIFY to OnNotify,
  // WM_TIMER to OnTimer, WM_CLOSE to OnClose, others to mapped handlers.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // A command (lParam 0: menu, tool bar, accelerator or posted) or a control
  // notification (lParam identifies the control). A command whose update
  // handler disables it does not run, as for a greyed menu entry.
  virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
  virtual void OnNotify(NotifyInfo& info);
  virtual void OnTimer(UINT_PTR id);
  virtual void OnClose();  // default: DestroyWindow()
  virtual void OnDestroy() {}
  virtual void OnSize(int cx, int cy);
  // Tool-tip text of a child control (see EnableToolTips); false for none.
  virtual bool OnToolTipText(int controlId, QString& text);

  void mapMessage(UINT message, std::function<LRESULT(WPARAM, LPARAM)> handler);
  template <class T>
  void mapMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
    T* self = static_cast<T*>(this);
    mapMessage(message, std::function<LRESULT(WPARAM, LPARAM)>(
                            [self, handler](WPARAM w, LPARAM l) { return (self->*handler)(w, l); }));
  }
  void mapNotify(int controlId, int code, std::function<void(NotifyInfo&)> handler);
  template <class T>
  void mapNotify(int controlId, int code, void (T::*handler)(NotifyInfo&)) {
    T* self = static_cast<T*>(this);
    mapNotify(controlId, code,
              std::function<void(NotifyInfo&)>([self, handler](NotifyInfo& info) { (self->*handler)(info); }));
  }

  // ---- timers ------------------------------------------------------------------------
  // Starts (or restarts) timer `id`; OnTimer(id) runs every `elapseMs`.
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
  bool KillTimer(UINT_PTR id);
  bool hasTimer(UINT_PTR id) const { return timers_.count(id) != 0; }

  // ---- appearance ----------------------------------------------------------------------
  void SetWindowText(const QString& text);
  QString GetWindowText() const;
  virtual void ShowWindow(int command);
  bool IsWindowVisible() const;
  void EnableWindow(bool enable = true);
  bool IsWindowEnabled() const;
  void MoveWindow(const QRect& rect);
  virtual QRect GetClientRect() const;
  void Invalidate();
  void UpdateWindow();
  void SetFocus();
  void SetForegroundWindow();
  // Shows a message box owned by this window; an empty caption means the
  // application's name. Runs through the modal seam.
  int MessageBox(const QString& text, const QString& caption = {}, UINT type = MB_OK);

  // ---- controls from a template ----------------------------------------------------------
  QWidget* GetDlgItem(int id) const;
  Control control(int id) const { return Control(GetDlgItem(id)); }
  Edit edit(int id) const { return Edit(GetDlgItem(id)); }
  Button button(int id) const { return Button(GetDlgItem(id)); }
  ListBox listBox(int id) const { return ListBox(GetDlgItem(id)); }
  ComboBox comboBox(int id) const { return ComboBox(GetDlgItem(id)); }
  TreeCtrl treeCtrl(int id) const { return TreeCtrl(GetDlgItem(id)); }
  ListCtrl listCtrl(int id) const { return ListCtrl(GetDlgItem(id)); }
  IpAddressCtrl ipAddress(int id) const { return IpAddressCtrl(GetDlgItem(id)); }
  BitmapButton bitmapButton(int id) const { return BitmapButton(GetDlgItem(id)); }
  void SetDlgItemText(int id, const QString& text);
  QString GetDlgItemText(int id) const;
  int IsDlgButtonChecked(int id) const;
  void CheckDlgButton(int id, int check);
  // Checks `checkId` and clears the other radio buttons with ids first..last.
  void CheckRadioButton(int firstId, int lastId, int checkId);
  int GetCheckedRadioButton(int firstId, int lastId) const;
  void GotoDlgCtrl(int id);
  // Asks OnToolTipText for the tool tips of the child controls.
  void EnableToolTips(bool enable = true);
  // The template controls in template order, with their style flags.
  struct ControlEntry {
    int id;
    unsigned style;
    QWidget* widget;
  };
  const std::vector<ControlEntry>& controls() const { return controls_; }
  // Registers a control made from a template (the template builder's job).
  void registerControl(int id, unsigned style, QWidget* control);
  // Whether a modal window has ended while it is still on the modal stack.
  virtual bool modalEnded() const { return false; }

 protected:
  // Makes `widget` this window's widget: gives it a handle, routes its events
  // here and, with a parent, makes this a child window destroyed with it.
  void attachWidget(QWidget* widget, Window* parent);
  // Called last when the window has been destroyed.
  virtual void PostNcDestroy() {}

 public:
  // Child windows created through a parent (views in a splitter) are deleted
  // when the parent's window is destroyed.
  void setAutoDelete(bool autoDelete) { autoDelete_ = autoDelete; }
  // Sends a WM_NOTIFY built from `info` to this window.
  void notify(NotifyInfo& info);
  // The context object of signal connections made for this window: they end
  // when the window is destroyed. Null while no window exists.
  QObject* eventContext() const;

 private:
  friend class WindowEvents;

  QPointer<QWidget> widget_;
  std::atomic<std::uint64_t> handle_{0};  // read by posting threads
  Window* parent_ = nullptr;
  std::vector<Window*> children_;
  bool autoDelete_ = false;
  std::unique_ptr<WindowEvents> events_;
  std::map<UINT_PTR, QTimer*> timers_;
  std::vector<ControlEntry> controls_;
  std::map<UINT, std::function<LRESULT(WPARAM, LPARAM)>> messages_;
  std::map<std::pair<int, int>, std::function<void(NotifyInfo&)>> notifies_;
  bool toolTipsEnabled_ = false;
};

// Delivers the window messages posted so far to the user-interface thread.
// The event loop does this by itself; tests that pump by hand may call it.
void deliverPostedMessages();

}  // namespace gui
