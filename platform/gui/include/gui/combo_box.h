#pragma once

// A combo box: a drop-down list of entries with item data, optionally with
// an editable text field. Indexes count from 0; CB_ERR (-1) reports a
// failure or no selection.

#include "gui/control.h"

namespace gui {

constexpr int CB_ERR = -1;

class ComboBox : public Control {
 public:
  using Control::Control;

  int AddString(const QString& text);  // in order when the box is sorted
  int InsertString(int index, const QString& text);
  int DeleteString(int index);
  void ResetContent();
  int GetCount() const;
  int GetCurSel() const;
  int SetCurSel(int index);  // -1 clears the selection (and an editable text)
  QString GetLBText(int index) const;
  int SetItemData(int index, DWORD_PTR data);
  DWORD_PTR GetItemData(int index) const;
  int FindStringExact(int startAfter, const QString& text) const;
  // Selects the first entry starting with `text` (ignoring case).
  int SelectString(int startAfter, const QString& text);
  void LimitText(int maxChars);
  bool isEditable() const;
};

}  // namespace gui
