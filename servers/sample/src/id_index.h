#pragma once

// A lookup from IDs to indices, built once: an open-addressing table of
// (hash, index) pairs in one array. A lookup touches one slot (rarely a few)
// and then the ID it finds, so looking up 100,000 IDs in a row costs little
// more per ID than looking up 10,000, unlike a node-based hash map whose
// nodes are spread over the heap.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace sample {

class IdIndex {
 public:
  // idOf(index) gives the ID of each of count entries; the IDs must stay
  // where they are while the index is used.
  template <class IdOf>
  void build(uint32_t count, IdOf&& idOf) {
    size_t capacity = 16;
    while (capacity < static_cast<size_t>(count) * 2) capacity *= 2;
    slots_.assign(capacity, Slot{0, kEmpty});
    mask_ = capacity - 1;
    for (uint32_t index = 0; index < count; ++index) {
      const uint32_t hash = hashOf(idOf(index));
      size_t at = hash & mask_;
      while (slots_[at].index != kEmpty) at = (at + 1) & mask_;
      slots_[at] = Slot{hash, index};
    }
  }

  template <class IdOf>
  std::optional<uint32_t> find(std::u16string_view id, IdOf&& idOf) const {
    if (slots_.empty()) return std::nullopt;
    const uint32_t hash = hashOf(id);
    for (size_t at = hash & mask_; slots_[at].index != kEmpty; at = (at + 1) & mask_) {
      if (slots_[at].hash == hash && idOf(slots_[at].index) == id) return slots_[at].index;
    }
    return std::nullopt;
  }

 private:
  static constexpr uint32_t kEmpty = UINT32_MAX;
  struct Slot {
    uint32_t hash;
    uint32_t index;
  };
  static uint32_t hashOf(std::u16string_view id) {
    const size_t full = std::hash<std::u16string_view>{}(id);
    return static_cast<uint32_t>(full ^ (full >> 32));
  }

  std::vector<Slot> slots_;
  size_t mask_ = 0;
};

}  // namespace sample
