#pragma once

// The widget of a tool bar. While it floats it draws its window text as a
// small caption above the buttons, since a floating Qt tool bar has no
// title bar of its own.

#include <QToolBar>

namespace gui {

class ToolBarWidget : public QToolBar {
 public:
  explicit ToolBarWidget(QWidget* parent);

  int captionHeight() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void updateCaptionSpace(bool floating);
};

}  // namespace gui
