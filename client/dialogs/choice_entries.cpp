#include "dialogs/choice_entries.h"

#include <iterator>

#include "dialogs/combo_box_choice_list.h"
#include "format/choice_fillers.h"

void FillChoices(gui::ComboBox list, std::initializer_list<ChoiceEntry> entries) {
  for (const ChoiceEntry& entry : entries) {
    const int index = list.AddString(QString::fromUtf8(entry.text));
    if (index >= 0) list.SetItemData(index, entry.value);
  }
  list.SetCurSel(list.GetCount() > 0 ? 0 : -1);
}

void FillDialogLocales(gui::ComboBox list, LCID preselected) {
  ComboBoxChoiceList choices(list);
  FillLocaleList(choices, static_cast<DWORD>(std::size(kDialogLocales)), kDialogLocales, preselected);
}
