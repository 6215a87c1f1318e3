#pragma once

// The widget of a tool bar. A floating Qt tool bar has no title bar of its
// own, so while it floats it shows its window text as a caption in front of
// its buttons.

#include <QToolBar>

class QLabel;

namespace gui {

class ToolBarWidget : public QToolBar {
 public:
  explicit ToolBarWidget(QWidget* parent);

  // The bar's buttons and separators, without the caption.
  QList<QAction*> buttonActions() const;
  bool isCaptionShown() const;
  QString captionText() const;

 protected:
  bool event(QEvent* event) override;

 private:
  QLabel* caption_;
  QAction* captionAction_;
};

}  // namespace gui
