#pragma once

// A ChoiceList in memory, sorted or not, that can be told to refuse entries
// or their item data, as a drop-down list may when memory runs out.

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "format/choice_list.h"

namespace format::testing {

class MemoryChoiceList : public ChoiceList {
 public:
  struct Entry {
    std::string text;
    DWORD_PTR data = 0;
  };

  explicit MemoryChoiceList(bool sorted = false) : sorted_(sorted) {}

  int addString(const std::string& text) override {
    if (refusedTexts.count(text) != 0) return -1;
    auto at = entries.end();
    if (sorted_) {
      at = std::upper_bound(entries.begin(), entries.end(), text,
                            [](const std::string& t, const Entry& e) { return t < e.text; });
    }
    const auto inserted = entries.insert(at, Entry{text, 0});
    return static_cast<int>(inserted - entries.begin());
  }
  bool setItemData(int index, DWORD_PTR data) override {
    if (!valid(index) || refusedData.count(entries[index].text) != 0) return false;
    entries[index].data = data;
    return true;
  }
  DWORD_PTR itemData(int index) const override { return valid(index) ? entries[index].data : 0; }
  void removeAt(int index) override {
    if (valid(index)) entries.erase(entries.begin() + index);
  }
  void select(int index) override { selected = valid(index) ? index : -1; }
  int count() const override { return static_cast<int>(entries.size()); }

  std::vector<std::string> texts() const {
    std::vector<std::string> result;
    for (const Entry& entry : entries) result.push_back(entry.text);
    return result;
  }
  std::string selectedText() const { return selected < 0 ? "(none)" : entries[selected].text; }

  std::vector<Entry> entries;
  int selected = -1;
  std::set<std::string> refusedTexts;
  std::set<std::string> refusedData;

 private:
  bool valid(int index) const { return index >= 0 && index < count(); }
  bool sorted_;
};

}  // namespace format::testing
