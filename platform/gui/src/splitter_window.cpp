#include "gui/splitter_window.h"

#include <QMainWindow>
#include <QSplitter>

#include "gui/frame_window.h"
#include "gui/view.h"

namespace gui {
namespace {

constexpr int kMaxPanes = 16;
constexpr int kSplitterBarWidth = 6;

}  // namespace

QSplitter* SplitterWindow::splitter() const { return static_cast<QSplitter*>(widget()); }

bool SplitterWindow::createIn(QWidget* parentWidget, Window* parentWindow, FrameWindow* frame, int rows, int cols) {
  // One row or one column: grids are made by nesting splitters.
  if (IsWindow() || rows < 1 || cols < 1 || (rows > 1 && cols > 1) || rows * cols > kMaxPanes) return false;
  rows_ = rows;
  cols_ = cols;
  frame_ = frame;
  const int count = rows * cols;
  auto* splitter = new QSplitter(rows > 1 ? Qt::Vertical : Qt::Horizontal, parentWidget);
  splitter->setChildrenCollapsible(false);
  splitter->setHandleWidth(kSplitterBarWidth);
  splitter->setOpaqueResize(true);
  for (int i = 0; i < count; ++i) {
    splitter->addWidget(new QWidget());
    splitter->setStretchFactor(i, i == count - 1 ? 1 : 0);
  }
  panes_.assign(static_cast<std::size_t>(count), nullptr);
  ideal_.assign(static_cast<std::size_t>(count), 0);
  min_.assign(static_cast<std::size_t>(count), 0);
  sized_ = false;
  attachWidget(splitter, parentWindow);
  return true;
}

bool SplitterWindow::CreateStatic(FrameWindow* frame, int rows, int cols) {
  if (frame == nullptr || frame->mainWindow() == nullptr) return false;
  if (!createIn(frame->mainWindow(), frame, frame, rows, cols)) return false;
  frame->mainWindow()->setCentralWidget(splitter());
  return true;
}

bool SplitterWindow::CreateStatic(SplitterWindow* parent, int rows, int cols, int row, int col) {
  if (parent == nullptr || !parent->IsWindow()) return false;
  const int index = parent->paneIndex(row, col);
  if (index < 0 || parent->panes_[static_cast<std::size_t>(index)] != nullptr) return false;
  // Created without a parent: a splitter adopts a child that names it as
  // parent at its end, not in the pane it is meant for.
  if (!createIn(nullptr, parent, parent->frame_, rows, cols)) return false;
  parent->setPaneWidget(index, splitter());
  parent->panes_[static_cast<std::size_t>(index)] = this;
  splitter()->setFrameShape(QFrame::NoFrame);
  return true;
}

bool SplitterWindow::CreateView(int row, int col, std::unique_ptr<View> view, QSize initialSize) {
  const int index = paneIndex(row, col);
  if (!IsWindow() || view == nullptr || index < 0 || panes_[static_cast<std::size_t>(index)] != nullptr) return false;
  if (!view->Create(nullptr, this, frame_)) return false;
  view->setAutoDelete(true);
  View* created = view.release();
  setPaneWidget(index, created->widget());
  panes_[static_cast<std::size_t>(index)] = created;
  const int ideal = rows_ > 1 ? initialSize.height() : initialSize.width();
  if (ideal > 0 && ideal_[static_cast<std::size_t>(index)] == 0) setIdeal(index, ideal, 0);
  return true;
}

Window* SplitterWindow::GetPane(int row, int col) const {
  const int index = paneIndex(row, col);
  return index < 0 ? nullptr : panes_[static_cast<std::size_t>(index)];
}

int SplitterWindow::paneIndex(int row, int col) const {
  if (row < 0 || col < 0 || row >= rows_ || col >= cols_) return -1;
  return rows_ > 1 ? row : col;
}

void SplitterWindow::setPaneWidget(int index, QWidget* widget) {
  QWidget* placeholder = splitter()->replaceWidget(index, widget);
  delete placeholder;
  splitter()->setStretchFactor(index, index == static_cast<int>(panes_.size()) - 1 ? 1 : 0);
}

void SplitterWindow::setIdeal(int index, int ideal, int min) {
  ideal_[static_cast<std::size_t>(index)] = ideal;
  min_[static_cast<std::size_t>(index)] = min;
}

void SplitterWindow::SetRowInfo(int row, int ideal, int min) {
  if (row >= 0 && row < rows_ && rows_ > 1) setIdeal(row, ideal, min);
}

void SplitterWindow::SetColumnInfo(int col, int ideal, int min) {
  if (col >= 0 && col < cols_ && cols_ > 1) setIdeal(col, ideal, min);
}

void SplitterWindow::getInfo(int index, int& current, int& min) const {
  const QList<int> sizes = splitter() == nullptr ? QList<int>() : splitter()->sizes();
  current = index < sizes.size() ? sizes[index] : 0;
  min = min_[static_cast<std::size_t>(index)];
}

void SplitterWindow::GetRowInfo(int row, int& current, int& min) const {
  current = min = 0;
  if (row >= 0 && row < rows_) getInfo(rows_ > 1 ? row : 0, current, min);
}

void SplitterWindow::GetColumnInfo(int col, int& current, int& min) const {
  current = min = 0;
  if (col >= 0 && col < cols_) getInfo(cols_ > 1 ? col : 0, current, min);
}

void SplitterWindow::RecalcLayout() {
  QSplitter* split = splitter();
  if (split == nullptr) return;
  const int count = static_cast<int>(panes_.size());
  const int length = split->orientation() == Qt::Vertical ? split->height() : split->width();
  const int total = length - split->handleWidth() * (count - 1);
  if (total <= 0) return;
  QList<int> sizes;
  int used = 0;
  for (int i = 0; i < count - 1; ++i) {
    const int ideal = ideal_[static_cast<std::size_t>(i)];
    const int size = qBound(0, ideal > 0 ? ideal : total / count, total - used);
    sizes << size;
    used += size;
  }
  sizes << total - used;
  split->setSizes(sizes);
  sized_ = true;
}

void SplitterWindow::OnSize(int cx, int cy) {
  // The ideal sizes apply once the splitter has its first real size.
  if (!sized_ && cx > 0 && cy > 0) RecalcLayout();
}

}  // namespace gui
