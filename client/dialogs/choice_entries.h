#pragma once

// Fixed choice lists of the parameter dialogs: entries with the number each
// stands for, and the five locales that the locale lists offer.

#include <initializer_list>

#include "gui/combo_box.h"
#include "win/types.h"

struct ChoiceEntry {
  const char* text;
  DWORD_PTR value;
};

// Adds the entries in the order given (a sorted list puts them in its own
// order), each with its value as item data, and selects the first one shown.
void FillChoices(gui::ComboBox list, std::initializer_list<ChoiceEntry> entries);

// The locales a user may pick for a server call: language-neutral, the
// system's and the user's default, English (United States) and German
// (Germany), in that order.
inline constexpr LCID kDialogLocales[] = {0x0000, 0x0800, 0x0400, 0x0409, 0x0407};

// Fills the list with the locales above and selects `preselected`, or no
// entry when it is not one of them.
void FillDialogLocales(gui::ComboBox list, LCID preselected);
