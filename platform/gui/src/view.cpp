#include "gui/view.h"

#include <QWidget>

#include "gui/frame_window.h"

namespace gui {

View::~View() {
  DestroyWindow();
  if (frame_ != nullptr) frame_->removeView(this);
}

bool View::Create(QWidget* parentWidget, Window* parentWindow, FrameWindow* frame) {
  if (IsWindow()) return false;
  QWidget* widget = createWidget(parentWidget);
  if (widget == nullptr) return false;
  attachWidget(widget, parentWindow);
  frame_ = frame;
  if (frame != nullptr) frame->addView(this);
  onCreated();
  return true;
}

void View::OnDestroy() {
  if (frame_ != nullptr) frame_->removeView(this);
  frame_ = nullptr;
}

}  // namespace gui
