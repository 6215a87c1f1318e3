#pragma once

// A list control in report view: rows of text in columns with a header,
// one row selected at a time. Rows and columns count from 0; -1 reports a
// failure or no row.

#include "gui/control.h"
#include "gui/image_list.h"

namespace gui {

constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;
constexpr UINT LVNI_ALL = 0x0000;
constexpr UINT LVNI_SELECTED = 0x0002;
constexpr UINT LVIS_FOCUSED = 0x0001;
constexpr UINT LVIS_SELECTED = 0x0002;

class ListCtrl : public Control {
 public:
  using Control::Control;

  int InsertColumn(int column, const QString& heading, int format = LVCFMT_LEFT, int width = -1);
  int GetColumnCount() const;
  int GetColumnWidth(int column) const;
  bool SetColumnWidth(int column, int width);
  // Width of `text` in the control's font, as a column width is measured.
  int GetStringWidth(const QString& text) const;

  int InsertItem(int row, const QString& text, int image = -1);
  bool SetItemText(int row, int column, const QString& text);
  QString GetItemText(int row, int column) const;
  bool DeleteItem(int row);
  bool DeleteAllItems();
  int GetItemCount() const;
  bool SetItemData(int row, DWORD_PTR data);
  DWORD_PTR GetItemData(int row) const;

  // The next row after `start` (-1: from the first) that has the state in
  // `flags` (LVNI_SELECTED), or -1.
  int GetNextItem(int start, UINT flags) const;
  bool SetItemState(int row, UINT state, UINT mask);
  UINT GetItemState(int row, UINT mask) const;
  bool EnsureVisible(int row);
  QRect GetItemRect(int row) const;  // in the control's viewport

  void SetImageList(const ImageList& images);
};

}  // namespace gui
