#pragma once

// A server's string enumerator for tests: hands out copies of its strings
// from the task allocator, as a server does, and records what it was asked.

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "com/allocator.h"
#include "com/object.h"

namespace format::testing {

class FakeEnumString final : public com::Object<FakeEnumString, IEnumString> {
 public:
  explicit FakeEnumString(std::vector<std::u16string> items) : items_(std::move(items)) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG count, LPOLESTR* elements, ULONG* fetched) override {
    requestedCounts.push_back(count);
    ULONG given = 0;
    while (given < count && position_ < items_.size() && !stuck) {
      const std::u16string& item = items_[position_++];
      const size_t bytes = (item.size() + 1) * sizeof(char16_t);
      elements[given] = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
      std::memcpy(elements[given], item.c_str(), bytes);
      ++given;
    }
    if (fetched != nullptr) *fetched = given;
    // A stuck enumerator claims success without handing anything out.
    return given == count || stuck ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return resetResult;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumString**) override { return E_NOTIMPL; }

  HRESULT resetResult = S_OK;
  bool stuck = false;
  std::vector<ULONG> requestedCounts;

 private:
  std::vector<std::u16string> items_;
  size_t position_ = 0;
};

// Numbered strings "item 0", "item 1", ...
inline std::vector<std::u16string> numberedItems(int count) {
  std::vector<std::u16string> items;
  for (int i = 0; i < count; ++i) {
    const std::string text = "item " + std::to_string(i);
    items.emplace_back(text.begin(), text.end());
  }
  return items;
}

}  // namespace format::testing
