#pragma once

// Routes the Qt events of a window's widget (and of its controls, for tool
// tips) to the Window, and serves as the context object of every signal
// connection made on the window's behalf: when the window goes, so do they.

#include <QObject>

namespace gui {

class Window;

class WindowEvents : public QObject {
 public:
  explicit WindowEvents(Window& window) : window_(window) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Window& window_;
};

}  // namespace gui
