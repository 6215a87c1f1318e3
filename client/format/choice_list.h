#pragma once

// The drop-down list of a dialog as the choice-list fillers see it. The GUI
// layer's drop-down lists implement it; each entry has a text and a number
// (its item data) that the dialog reads back for the chosen entry.

#include <string>

#include "win/types.h"

namespace format {

class ChoiceList {
 public:
  virtual ~ChoiceList() = default;

  // Adds an entry and returns its index: at the end, or at its place in
  // alphabetical order when the list is sorted. -1 when it cannot be added.
  virtual int addString(const std::string& text) = 0;
  // false when the entry's item data cannot be set.
  virtual bool setItemData(int index, DWORD_PTR data) = 0;
  virtual DWORD_PTR itemData(int index) const = 0;
  virtual void removeAt(int index) = 0;
  // Selects the entry; -1 selects none.
  virtual void select(int index) = 0;
  virtual int count() const = 0;
};

}  // namespace format
