#pragma once

// An index of the live blocks ordered by address, so that a handle can be
// checked without reading the memory it points to: an object handle is valid
// only if it points exactly at an entry of a block in the index. It is an AVL
// tree threaded through the blocks themselves and therefore never allocates.
// The caller guards it (Registry::indexLock).

#include "resource_types.h"

namespace morvick {

class BlockIndex {
 public:
  void insert(ResourceBlock* block);
  void erase(ResourceBlock* block);
  // The block holding an entry at exactly this address, or null. Inline: it
  // runs in every call that takes a handle.
  ResourceBlock* findEntry(uintptr_t address) const {
    ResourceBlock* node = root_;
    while (node != nullptr) {
      const auto first = reinterpret_cast<uintptr_t>(node->entries());
      if (address < first) {
        node = node->indexLeft;
      } else if (address > reinterpret_cast<uintptr_t>(node->lastEntry)) {
        node = node->indexRight;
      } else {
        return (address - first) % sizeof(ResourceEntry) == 0 ? node : nullptr;
      }
    }
    return nullptr;
  }
  bool empty() const { return root_ == nullptr; }

 private:
  ResourceBlock* root_ = nullptr;
};

}  // namespace morvick
