#include "frame_widget.h"

#include <QStatusTipEvent>

#include "gui/frame_window.h"

namespace gui {

FrameWidget::FrameWidget(FrameWindow& frame) : frame_(frame) {}

bool FrameWidget::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    frame_.SetMessageText(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QMainWindow::event(event);
}

}  // namespace gui
