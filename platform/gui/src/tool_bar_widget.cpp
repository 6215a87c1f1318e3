#include "tool_bar_widget.h"

#include <QEvent>
#include <QLabel>
#include <QTimer>

namespace gui {

ToolBarWidget::ToolBarWidget(QWidget* parent) : QToolBar(parent), caption_(new QLabel(this)) {
  QFont font = caption_->font();
  font.setBold(true);
  caption_->setFont(font);
  caption_->setTextFormat(Qt::PlainText);
  caption_->setAutoFillBackground(true);
  caption_->setBackgroundRole(QPalette::Highlight);
  caption_->setForegroundRole(QPalette::HighlightedText);
  caption_->setContentsMargins(6, 2, 8, 2);
  captionAction_ = addWidget(caption_);
  captionAction_->setVisible(false);
  connect(this, &QToolBar::topLevelChanged, this, [this](bool floating) {
    captionAction_->setVisible(floating);
    // Once floating, the bar makes room for its caption.
    if (floating) QTimer::singleShot(0, this, [this] {
        if (isFloating()) adjustSize();
      });
  });
}

QList<QAction*> ToolBarWidget::buttonActions() const {
  QList<QAction*> buttons = actions();
  buttons.removeOne(captionAction_);
  return buttons;
}

bool ToolBarWidget::isCaptionShown() const { return captionAction_->isVisible(); }

QString ToolBarWidget::captionText() const { return caption_->text(); }

bool ToolBarWidget::event(QEvent* event) {
  if (event->type() == QEvent::WindowTitleChange) caption_->setText(windowTitle());
  return QToolBar::event(event);
}

}  // namespace gui
