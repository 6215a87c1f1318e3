#pragma once

// A bar docked in a frame window (tool bar, status bar). The frame updates
// its bars' elements from the command update handlers while it runs.

#include "gui/window.h"

namespace gui {

class FrameWindow;

class ControlBar : public Window {
 public:
  ~ControlBar() override;

  FrameWindow* frame() const { return frame_; }
  // Runs the update handlers of this bar's elements through `target`.
  virtual void OnUpdateCmdUI(CommandTarget& target, bool disableIfNoHandler) = 0;

 protected:
  // Attaches the bar's widget to `frame` and registers it for updates.
  void attachToFrame(QWidget* widget, FrameWindow* frame);

 private:
  friend class FrameWindow;
  FrameWindow* frame_ = nullptr;
};

}  // namespace gui
