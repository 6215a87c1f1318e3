#include "gui/control_bar.h"

#include "gui/frame_window.h"

namespace gui {

ControlBar::~ControlBar() {
  if (frame_ != nullptr) frame_->removeControlBar(this);
}

void ControlBar::attachToFrame(QWidget* widget, FrameWindow* frame) {
  attachWidget(widget, frame);
  frame_ = frame;
  frame->addControlBar(this);
}

}  // namespace gui
