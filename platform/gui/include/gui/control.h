#pragma once

// A child control of a window, addressed the way the desktop platform
// addresses controls. Controls are small value handles over the real Qt
// widget (which belongs to its window); a handle whose widget is gone does
// nothing and reads empty.

#include <QFont>
#include <QPointer>
#include <QWidget>
#include <QRect>
#include <QString>

#include "gui/types.h"



namespace gui {

class Control {
 public:
  Control() = default;
  explicit Control(QWidget* widget) : widget_(widget) {}

  QWidget* widget() const { return widget_.data(); }
  bool IsNull() const { return widget_.isNull(); }
  int GetDlgCtrlID() const;

  void SetWindowText(const QString& text);
  QString GetWindowText() const;
  void EnableWindow(bool enable = true);
  bool IsWindowEnabled() const;
  void ShowWindow(int command);
  // Whether the control is shown within its window (whatever the window's state).
  bool IsWindowVisible() const;
  // Position and size in the coordinates of the window that holds the control.
  QRect GetWindowRect() const;
  void MoveWindow(const QRect& rect);
  void SetFont(const QFont& font);
  QFont GetFont() const;
  // Size of `text` in the control's font.
  QSize GetTextExtent(const QString& text) const;
  void SetFocus();
  void Invalidate();
  void UpdateWindow();

 protected:
  QPointer<QWidget> widget_;
};

// The id property under which the template builder records a control's id.
constexpr const char* kControlIdProperty = "gui.controlId";
// The property that holds the tool tip a control showed last (empty: none).
constexpr const char* kToolTipShownProperty = "gui.toolTipShown";

}  // namespace gui
