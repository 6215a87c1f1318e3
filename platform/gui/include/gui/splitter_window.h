#pragma once

// A static splitter: a fixed grid of one row or one column of panes, each
// holding a view or another splitter. Pane sizes start at their ideal sizes
// (SetRowInfo / SetColumnInfo, or the size a view was created with); the
// last pane takes the rest and absorbs later resizing.
//
//   outer_.CreateStatic(this, 2, 1);
//   inner_.CreateStatic(&outer_, 1, 2, 0, 0);   // nested in row 0
//   inner_.CreateView<CGroupView>(0, 0, QSize(width / 2, 0));
//   outer_.SetRowInfo(0, height - 250, 0);

#include <QSize>
#include <memory>
#include <vector>

#include "gui/window.h"

class QSplitter;

namespace gui {

class FrameWindow;
class View;

class SplitterWindow : public Window {
 public:
  // The splitter fills the frame's client area.
  bool CreateStatic(FrameWindow* frame, int rows, int cols);
  // The splitter fills pane (row, col) of `parent`.
  bool CreateStatic(SplitterWindow* parent, int rows, int cols, int row, int col);

  // Creates a view in pane (row, col); the splitter's window owns it from
  // then on (it is deleted when the window is destroyed).
  bool CreateView(int row, int col, std::unique_ptr<View> view, QSize initialSize);
  template <class V, class... Args>
  V* CreateView(int row, int col, QSize initialSize, Args&&... args) {
    auto view = std::make_unique<V>(std::forward<Args>(args)...);
    V* created = view.get();
    return CreateView(row, col, std::move(view), initialSize) ? created : nullptr;
  }

  Window* GetPane(int row, int col) const;
  int GetRowCount() const { return rows_; }
  int GetColumnCount() const { return cols_; }
  void SetRowInfo(int row, int ideal, int min);
  void SetColumnInfo(int col, int ideal, int min);
  // Current and minimum size of a row or column.
  void GetRowInfo(int row, int& current, int& min) const;
  void GetColumnInfo(int col, int& current, int& min) const;
  // Applies the ideal sizes now.
  void RecalcLayout();

  QSplitter* splitter() const;
  FrameWindow* frame() const { return frame_; }

 protected:
  void OnSize(int cx, int cy) override;

 private:
  bool createIn(QWidget* parentWidget, Window* parentWindow, FrameWindow* frame, int rows, int cols);
  int paneIndex(int row, int col) const;
  void setPaneWidget(int index, QWidget* widget);
  void setIdeal(int index, int ideal, int min);
  void getInfo(int index, int& current, int& min) const;

  FrameWindow* frame_ = nullptr;
  int rows_ = 0;
  int cols_ = 0;
  std::vector<Window*> panes_;
  std::vector<int> ideal_;
  std::vector<int> min_;
  bool sized_ = false;
};

}  // namespace gui
