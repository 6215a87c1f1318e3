#pragma once

// What a test's script does with an open context menu: read its entries and
// choose one (or none).

#include <QString>
#include <vector>

#include "gui/types.h"

class QMenu;

namespace gui::testing {

class PopupMenuDriver {
 public:
  struct Entry {
    UINT id = 0;       // 0 for separators and pop-ups
    QString text;      // with its "&" mnemonics
    bool enabled = true;
    bool separator = false;
    bool popup = false;
  };

  explicit PopupMenuDriver(QMenu* menu) : menu_(menu) {}

  std::vector<Entry> entries() const;
  // Texts of the command entries, without mnemonics, in menu order.
  std::vector<QString> commandTexts() const;
  // Chooses an enabled entry by command id or by text (with or without "&").
  void choose(UINT id);
  void choose(const QString& text);
  UINT chosen() const { return chosen_; }

 private:
  QMenu* menu_;
  UINT chosen_ = 0;
};

}  // namespace gui::testing
