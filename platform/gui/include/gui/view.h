#pragma once

// A pane of a frame window's client area, created in a splitter pane. The
// frame routes commands to its active view first; each view gets
// OnInitialUpdate once, when the frame is first shown.

#include "gui/window.h"

namespace gui {

class FrameWindow;

class View : public Window {
 public:
  ~View() override;

  // Creates the view's window inside `parentWidget`, as a child window of
  // `parentWindow`, in `frame`.
  bool Create(QWidget* parentWidget, Window* parentWindow, FrameWindow* frame);
  FrameWindow* GetParentFrame() const { return frame_; }
  virtual void OnInitialUpdate() {}

 protected:
  // Makes the view's widget (its own control for a tree view, a scrolled
  // form for a form view).
  virtual QWidget* createWidget(QWidget* parent) = 0;
  // After the widget has become the view's window (notifications can be connected).
  virtual void onCreated() {}
  void OnDestroy() override;

 private:
  FrameWindow* frame_ = nullptr;
};

}  // namespace gui
