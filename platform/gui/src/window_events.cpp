#include "window_events.h"

#include <QHelpEvent>
#include <QResizeEvent>
#include <QToolTip>
#include <QWidget>

#include "gui/window.h"

namespace gui {

bool WindowEvents::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_.widget()) {
    switch (event->type()) {
      case QEvent::Close:
        // Closing goes through WM_CLOSE, whose handler decides; posting keeps
        // the widget alive until its own event handling has finished.
        event->ignore();
        window_.PostMessage(WM_CLOSE);
        return true;
      case QEvent::Resize: {
        const QSize size = static_cast<QResizeEvent*>(event)->size();
        window_.OnSize(size.width(), size.height());
        break;
      }
      default:
        break;
    }
    return false;
  }
  if (event->type() == QEvent::ToolTip && window_.toolTipsEnabled_) {
    auto* control = qobject_cast<QWidget*>(watched);
    const int id = control == nullptr ? 0 : control->property(kControlIdProperty).toInt();
    QString text;
    if (control == nullptr || !window_.OnToolTipText(id, text)) text.clear();
    if (control != nullptr) control->setProperty(kToolTipShownProperty, text);
    if (!text.isEmpty()) {
      QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, control);
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return false;
}

}  // namespace gui
