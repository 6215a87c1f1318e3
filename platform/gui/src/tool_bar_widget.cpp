#include "tool_bar_widget.h"

#include <QPainter>

namespace gui {

ToolBarWidget::ToolBarWidget(QWidget* parent) : QToolBar(parent) {
  connect(this, &QToolBar::topLevelChanged, this, &ToolBarWidget::updateCaptionSpace);
}

int ToolBarWidget::captionHeight() const { return fontMetrics().height() + 4; }

void ToolBarWidget::updateCaptionSpace(bool floating) {
  setContentsMargins(0, floating ? captionHeight() : 0, 0, 0);
  update();
}

void ToolBarWidget::paintEvent(QPaintEvent* event) {
  QToolBar::paintEvent(event);
  if (!isFloating()) return;
  QPainter painter(this);
  const QRect caption(0, 0, width(), captionHeight());
  painter.fillRect(caption, palette().color(QPalette::Highlight));
  painter.setPen(palette().color(QPalette::HighlightedText));
  QFont font = painter.font();
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(caption.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
                   painter.fontMetrics().elidedText(windowTitle(), Qt::ElideRight, caption.width() - 8));
}

}  // namespace gui
