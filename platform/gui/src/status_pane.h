#pragma once

// One indicator pane of a status bar: a sunken box with the pane's text, or
// whatever the bar's DrawItem paints for an owner-drawn pane.

#include <QWidget>

namespace gui {

class StatusBar;

class StatusPane : public QWidget {
 public:
  StatusPane(StatusBar& bar, int index, QWidget* parent);

  // Room taken by the frame and padding around the text area.
  static constexpr int kHorizontalPadding = 4;
  static constexpr int kVerticalPadding = 1;
  // The text area inside the pane.
  QRect textRect() const;
  void setTextWidth(int width);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  StatusBar& bar_;
  int index_;
};

}  // namespace gui
