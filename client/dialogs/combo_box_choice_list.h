#pragma once

// A dialog's drop-down list as the choice-list fillers of client/format
// write to it.

#include "format/choice_list.h"
#include "gui/combo_box.h"

class ComboBoxChoiceList : public format::ChoiceList {
 public:
  explicit ComboBoxChoiceList(gui::ComboBox comboBox) : comboBox_(comboBox) {}

  int addString(const std::string& text) override;
  bool setItemData(int index, DWORD_PTR data) override;
  DWORD_PTR itemData(int index) const override;
  void removeAt(int index) override;
  void select(int index) override;
  int count() const override;

 private:
  gui::ComboBox comboBox_;
};
