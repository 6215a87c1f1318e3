#pragma once

// The registry's records. A class is one allocation: the class, its first
// block and that block's entries; every later block is one allocation of the
// block and its entries. Handles are the addresses of these records.

#include <resman/rsm.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace morvick {

struct ClassLookup;
struct ResourceBlock;
struct ResourceClass;

// Entry fields are atomic: callers read and change them without any lock
// (RSM_Check, RSM_SetParent) while other threads register or free.
struct ResourceEntry {
  std::atomic<uintptr_t> resource;  // 0 = free
  std::atomic<uintptr_t> parent;    // 0 = none
  std::atomic<ResourceBlock*> block;  // set when the entry is first used
};

// Callers read the resource as the first pointer-width word behind a handle.
static_assert(std::is_standard_layout_v<ResourceEntry>);
static_assert(offsetof(ResourceEntry, resource) == 0);
static_assert(sizeof(ResourceEntry) == 3 * sizeof(uintptr_t));
static_assert(std::atomic<uintptr_t>::is_always_lock_free);

struct ResourceBlock {
  ResourceClass* ownerClass;
  ResourceBlock* nextBlock;  // guarded by the class's semScan and semState together
  uint32_t entryCount;
  uint32_t usedCount;        // guarded by semState
  ResourceEntry* lastEntry;
  // Links of the address-ordered index of live blocks (BlockIndex).
  ResourceBlock* indexLeft;
  ResourceBlock* indexRight;
  int32_t indexHeight;
  // Its number in the class: the first block 0, then each added block the
  // next one; the ring of blocks runs from 0 down from the highest.
  uint32_t slot;

  ResourceEntry* entries() { return reinterpret_cast<ResourceEntry*>(this + 1); }
};

struct ResourceClass {
  uintptr_t semScan;   // held during the slot search of RSM_Register
  uintptr_t semState;  // guards counters, the block chain and claiming entries
  RsmFreeFunction freeFunction;
  ResourceClass* next;  // class list, newest first
  ResourceClass* prev;
  uint32_t capacity;    // entries over all blocks
  uint32_t registered;  // entries in use over all blocks
  uint32_t cursorIndex;  // where the next search starts; guarded by semScan
  ResourceBlock* cursorBlock;
  // Tells a class apart from a later one at the same address.
  uint64_t serial;
  uint32_t blockCount;  // the first block and every added one
  // Finds free entries and present resources in a large class (see
  // class_lookup.h); null while the class has none.
  ClassLookup* lookup;
  ResourceBlock firstBlock;  // last member: its entries follow the class
};

static_assert(std::is_standard_layout_v<ResourceClass>);
static_assert(offsetof(ResourceClass, firstBlock) + sizeof(ResourceBlock) == sizeof(ResourceClass),
              "the first block's entries must follow the class directly");
static_assert(sizeof(ResourceBlock) % alignof(ResourceEntry) == 0);

inline constexpr uintptr_t kFirstBlockOffset = offsetof(ResourceClass, firstBlock);

}  // namespace morvick
