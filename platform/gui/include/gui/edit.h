#pragma once

// A text field (single- or multi-line).

#include "gui/control.h"

namespace gui {

class Edit : public Control {
 public:
  using Control::Control;

  // Limits the length of the text the user can type (0: no limit).
  void LimitText(int maxChars);
  void SetSel(int start, int end);  // end -1: to the end of the text
  void ReplaceSel(const QString& text);
  void SetReadOnly(bool readOnly = true);
  bool IsReadOnly() const;
};

}  // namespace gui
