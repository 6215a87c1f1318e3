#pragma once

// The widget of a frame window. Status tips of menu entries and tool bar
// buttons become the frame's message text; when the mouse leaves them the
// idle prompt comes back.

#include <QMainWindow>

namespace gui {

class FrameWindow;

class FrameWidget : public QMainWindow {
 public:
  explicit FrameWidget(FrameWindow& frame);

 protected:
  bool event(QEvent* event) override;

 private:
  FrameWindow& frame_;
};

}  // namespace gui
