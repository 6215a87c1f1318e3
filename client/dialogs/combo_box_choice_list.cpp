#include "dialogs/combo_box_choice_list.h"

#include <QString>

int ComboBoxChoiceList::addString(const std::string& text) {
  const int index = comboBox_.AddString(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
  return index < 0 ? -1 : index;
}

bool ComboBoxChoiceList::setItemData(int index, DWORD_PTR data) {
  return comboBox_.SetItemData(index, data) != gui::CB_ERR;
}

DWORD_PTR ComboBoxChoiceList::itemData(int index) const { return comboBox_.GetItemData(index); }

void ComboBoxChoiceList::removeAt(int index) { comboBox_.DeleteString(index); }

void ComboBoxChoiceList::select(int index) { comboBox_.SetCurSel(index); }

int ComboBoxChoiceList::count() const {
  const int entries = comboBox_.GetCount();
  return entries < 0 ? 0 : entries;
}
