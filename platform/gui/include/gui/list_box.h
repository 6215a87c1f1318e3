#pragma once

// A list box: a list of text entries, each with a number of item data.
// Indexes count from 0; LB_ERR (-1) reports a failure or no selection.

#include "gui/control.h"

namespace gui {

constexpr int LB_ERR = -1;

class ListBox : public Control {
 public:
  using Control::Control;

  // Appends an entry, or inserts it in order in a sorted list box; returns its index.
  int AddString(const QString& text);
  int InsertString(int index, const QString& text);  // index -1: at the end
  int DeleteString(int index);                         // returns the remaining count
  void ResetContent();
  int GetCount() const;
  int GetCurSel() const;
  int SetCurSel(int index);  // -1 clears the selection
  QString GetText(int index) const;
  int GetTextLen(int index) const;
  int SetItemData(int index, DWORD_PTR data);
  DWORD_PTR GetItemData(int index) const;
  // First entry from `startAfter` + 1 (wrapping) whose text equals `text`
  // ignoring case; LB_ERR when there is none.
  int FindStringExact(int startAfter, const QString& text) const;
  // The widest scroll position of the entries, in pixels: the list scrolls
  // horizontally when an entry is wider than the box.
  void SetHorizontalExtent(int extent);
  int GetHorizontalExtent() const;
};

// Where a new entry goes in a list kept sorted: before the first entry that
// compares greater, ignoring case (shared by list and combo boxes).
int sortedInsertIndex(const QStringList& entries, const QString& text);

}  // namespace gui
