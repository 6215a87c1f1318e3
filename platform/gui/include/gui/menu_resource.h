#pragma once

// A menu as resource data: a list of entries, each a command with an id, a
// separator or a pop-up with entries of its own. Texts keep their "&"
// mnemonics; "\t" separates a shortcut text shown at the right.

#include <QString>
#include <vector>

#include "gui/types.h"

namespace gui {

struct MenuItem {
  enum class Kind { Command, Separator, Popup };

  Kind kind = Kind::Command;
  UINT id = 0;       // command id; 0 for separators and pop-ups
  QString text;      // with "&" mnemonics
  bool grayed = false;  // greyed when the menu is built
  bool checked = false;
  std::vector<MenuItem> items;  // entries of a pop-up

  static MenuItem command(UINT id, QString text, bool grayed = false) {
    MenuItem item;
    item.id = id;
    item.text = std::move(text);
    item.grayed = grayed;
    return item;
  }
  static MenuItem separator() {
    MenuItem item;
    item.kind = Kind::Separator;
    return item;
  }
  static MenuItem popup(QString text, std::vector<MenuItem> items, bool grayed = false) {
    MenuItem item;
    item.kind = Kind::Popup;
    item.text = std::move(text);
    item.items = std::move(items);
    item.grayed = grayed;
    return item;
  }
};

// The entries of a menu bar, or of a menu loaded for a context pop-up (whose
// entries are then pop-ups themselves, the first one usually being tracked).
struct MenuResource {
  std::vector<MenuItem> items;
};

}  // namespace gui
