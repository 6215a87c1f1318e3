#pragma once

// com::Enumerator: an IEnumXxx over a vector, for every enumerator interface
// of the Next/Skip/Reset/Clone shape. The items are fixed when the enumerator
// is made; clones share them and keep their own position.
//
//   return com::EnumString::create({u"Group1", u"Group2"}, enumerator);
//
// Next copies items out through the policy (strings into the task allocator,
// interface pointers with a reference each) and returns S_OK when it filled
// all that was asked for, S_FALSE when it ran out; fetched may be null only
// when one item is asked for. Skip returns S_FALSE when it reached the end
// before skipping all. An enumerator may be used from several threads.

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "com/allocator.h"
#include "com/interfaces/enum_guid.h"
#include "com/interfaces/enumerators.h"
#include "com/object.h"

namespace com {

// How an item is held and handed out. A policy has:
//   using Stored = ...;   the type kept in the vector
//   using Out = ...;      the element type of Next's array
//   static bool copy(const Stored&, Out*);   false when memory ran out
//   static void destroy(Out*);               undoes a copy
template <class Interface, class Policy>
class Enumerator final : public Object<Enumerator<Interface, Policy>, Interface> {
 public:
  using Stored = typename Policy::Stored;
  using Out = typename Policy::Out;
  using Items = std::vector<Stored>;

  explicit Enumerator(std::shared_ptr<const Items> items, size_t position = 0)
      : items_(std::move(items)), position_(position) {}

  // Makes an enumerator over items and hands it to *out.
  static HRESULT create(Items items, Interface** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    try {
      auto shared = std::make_shared<const Items>(std::move(items));
      Ptr<Enumerator> enumerator = makeObject<Enumerator>(std::move(shared));
      if (!enumerator) return E_OUTOFMEMORY;
      *out = enumerator.detach();
      return S_OK;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, Out* elements, ULONG* fetched) override {
    if (fetched != nullptr) *fetched = 0;
    if (elements == nullptr) return E_POINTER;
    if (fetched == nullptr && count != 1) return E_INVALIDARG;
    std::lock_guard lock(mutex_);
    const size_t available = items_->size() - position_;
    const ULONG taken = static_cast<ULONG>(std::min<size_t>(count, available));
    for (ULONG k = 0; k < taken; ++k) {
      if (!Policy::copy((*items_)[position_ + k], &elements[k])) {
        for (ULONG undo = 0; undo < k; ++undo) Policy::destroy(&elements[undo]);
        return E_OUTOFMEMORY;
      }
    }
    position_ += taken;
    if (fetched != nullptr) *fetched = taken;
    return taken == count ? S_OK : S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    std::lock_guard lock(mutex_);
    const size_t available = items_->size() - position_;
    if (count > available) {
      position_ = items_->size();
      return S_FALSE;
    }
    position_ += count;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Reset() override {
    std::lock_guard lock(mutex_);
    position_ = 0;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Clone(Interface** copy) override {
    if (copy == nullptr) return E_POINTER;
    *copy = nullptr;
    size_t position;
    {
      std::lock_guard lock(mutex_);
      position = position_;
    }
    Ptr<Enumerator> clone = makeObject<Enumerator>(items_, position);
    if (!clone) return E_OUTOFMEMORY;
    *copy = clone.detach();
    return S_OK;
  }

 private:
  const std::shared_ptr<const Items> items_;
  std::mutex mutex_;
  size_t position_;  // guarded by mutex_
};

// Strings, handed out as task-allocator copies that the caller frees.
struct StringCopy {
  using Stored = std::u16string;
  using Out = LPOLESTR;
  static bool copy(const Stored& from, Out* to) {
    const size_t bytes = (from.size() + 1) * sizeof(OLECHAR);
    *to = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (*to == nullptr) return false;
    std::memcpy(*to, from.c_str(), bytes);
    return true;
  }
  static void destroy(Out* item) {
    CoTaskMemFree(*item);
    *item = nullptr;
  }
};

// Interface pointers, handed out with a reference each.
template <class Item>
struct InterfaceCopy {
  using Stored = Ptr<Item>;
  using Out = Item*;
  static bool copy(const Stored& from, Out* to) {
    from.copyTo(to);
    return true;
  }
  static void destroy(Out* item) {
    if (*item != nullptr) (*item)->Release();
    *item = nullptr;
  }
};

// Identifiers (classes, categories), copied by value.
struct GuidCopy {
  using Stored = GUID;
  using Out = GUID;
  static bool copy(const Stored& from, Out* to) {
    *to = from;
    return true;
  }
  static void destroy(Out*) {}
};

using EnumString = Enumerator<IEnumString, StringCopy>;
using EnumGUID = Enumerator<IEnumGUID, GuidCopy>;
using EnumUnknown = Enumerator<IEnumUnknown, InterfaceCopy<IUnknown>>;

}  // namespace com
