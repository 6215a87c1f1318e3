#include "status_pane.h"

#include <QPainter>

#include "gui/status_bar.h"

namespace gui {

StatusPane::StatusPane(StatusBar& bar, int index, QWidget* parent) : QWidget(parent), bar_(bar), index_(index) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  setMinimumHeight(fontMetrics().height() + 2 * kVerticalPadding + 2);
}

QRect StatusPane::textRect() const {
  return rect().adjusted(kHorizontalPadding, kVerticalPadding + 1, -kHorizontalPadding, -kVerticalPadding - 1);
}

void StatusPane::setTextWidth(int width) { setFixedWidth(width + 2 * kHorizontalPadding); }

void StatusPane::paintEvent(QPaintEvent*) {
  const StatusBar::Pane& pane = bar_.panes_[static_cast<std::size_t>(index_)];
  QPainter painter(this);
  if ((pane.style & SBPS_NOBORDERS) == 0) {
    // A thin sunken box (raised for SBPS_POPOUT).
    const QRect box = rect().adjusted(0, 0, -1, -1);
    const QColor dark = palette().color(QPalette::Mid);
    const QColor light = palette().color(QPalette::Light);
    const bool raised = (pane.style & SBPS_POPOUT) != 0;
    painter.setPen(raised ? light : dark);
    painter.drawLine(box.topLeft(), box.topRight());
    painter.drawLine(box.topLeft(), box.bottomLeft());
    painter.setPen(raised ? dark : light);
    painter.drawLine(box.bottomLeft(), box.bottomRight());
    painter.drawLine(box.topRight(), box.bottomRight());
  }
  painter.setPen(palette().color(QPalette::WindowText));
  if (pane.style & SBPS_OWNERDRAW) {
    painter.save();
    bar_.DrawItem(painter, textRect(), index_);
    painter.restore();
    return;
  }
  if (pane.style & SBPS_DISABLED) return;
  painter.drawText(textRect(), Qt::AlignVCenter | Qt::AlignLeft, pane.text);
}

}  // namespace gui
