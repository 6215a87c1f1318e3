#pragma once

// The resource manager's module-wide state and the locks that keep it sound.
//
// Lock order, outermost first: lifecycle → indexLock → semScan → semState;
// the list semaphore is entered only inside lifecycle (and inside indexLock
// while the class list changes). Nothing is held while a free function runs
// or while memory is allocated.
//
// - lifecycle (a mutex of the manager's own): the first and the last class,
//   i.e. creating and deleting the list semaphore and opening and closing the
//   application events, so that those never race with other callers.
// - indexLock (a reader/writer lock of the manager's own, see index_lock.h):
//   the block index and the class list. Every function that reads a class or
//   an entry through a handle holds it shared, so no class can be freed under
//   it; adding or removing blocks and classes holds it exclusively.
// - the list semaphore and each class's semScan and semState: host
//   semaphores, as the host expects the manager to use them.

#include "block_index.h"
#include "class_lookup.h"
#include "host_services.h"
#include "index_lock.h"
#include "resource_types.h"

#include <component/host_api.h>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace morvick {

struct Registry {
  std::mutex lifecycle;
  IndexLock indexLock;
  BlockIndex index;                     // guarded by indexLock
  ResourceClass* classList = nullptr;   // guarded by indexLock (and the list semaphore)
  uint64_t lastSerial = 0;              // guarded by indexLock
  uint32_t classCount = 0;              // guarded by lifecycle and the list semaphore
  uintptr_t listSemaphore = HOST_INVALID_HANDLE;  // guarded by lifecycle
  uintptr_t events[2] = {HOST_INVALID_HANDLE, HOST_INVALID_HANDLE};  // guarded by lifecycle
  // One free operation at a time in the whole manager. Tested and set under
  // a class's semState, but the frees of two classes use two semaphores, so
  // the test-and-set itself is atomic.
  std::atomic<bool> freeInProgress{false};
};

// Constant-initialised, so it exists before any caller and needs no guard.
extern constinit Registry theRegistry;
inline Registry& registry() { return theRegistry; }

// A class handle remembered across a time without indexLock.
struct ClassRef {
  ResourceClass* cls = nullptr;
  uint64_t serial = 0;
};

// The following need indexLock held (shared or exclusive).
// The class a handle names, or null; the handle's memory is not read unless
// the index shows that it is a live class.
inline ResourceClass* findClass(uintptr_t handle) {
  const uintptr_t firstBlock = handle + kFirstBlockOffset;
  ResourceBlock* block = registry().index.findEntry(firstBlock + sizeof(ResourceBlock));
  if (block == nullptr || reinterpret_cast<uintptr_t>(block) != firstBlock) return nullptr;
  if (reinterpret_cast<uintptr_t>(block->ownerClass) != handle) return nullptr;
  return block->ownerClass;
}
// The entry a handle points at exactly, or null.
inline ResourceEntry* findEntry(uintptr_t handle) {
  return registry().index.findEntry(handle) ? reinterpret_cast<ResourceEntry*>(handle) : nullptr;
}
// An entry that is valid for the functions that need a used entry: it has
// been registered at least once.
inline ResourceEntry* findUsedEntry(uintptr_t handle) {
  ResourceBlock* block = registry().index.findEntry(handle);
  if (block == nullptr) return nullptr;
  auto* entry = reinterpret_cast<ResourceEntry*>(handle);
  return entry->block.load(std::memory_order_acquire) == block ? entry : nullptr;
}
inline bool isLive(const ClassRef& ref) {
  ResourceClass* cls = findClass(reinterpret_cast<uintptr_t>(ref.cls));
  return cls != nullptr && cls->serial == ref.serial;
}

// Holds a host semaphore for a scope.
class SemaphoreHold {
 public:
  explicit SemaphoreHold(uintptr_t semaphore) : semaphore_(semaphore) { hostfn::sysSemEnter(semaphore_); }
  ~SemaphoreHold() { hostfn::sysSemLeave(semaphore_); }
  SemaphoreHold(const SemaphoreHold&) = delete;
  SemaphoreHold& operator=(const SemaphoreHold&) = delete;

 private:
  uintptr_t semaphore_;
};

// Gives a class beyond kLookupThreshold entries its lookup, if it has none
// and memory allows. Called with nothing held.
void ensureLookup(const ClassRef& ref);
// Takes a class's lookup away, for a stretch that would change it all over.
// Called with nothing held.
void dropLookup(const ClassRef& ref);

// Starts the lifetime of freshly allocated entries.
void constructEntries(ResourceEntry* first, uint32_t count);

// Takes a free entry for a resource. Needs the class's semState.
inline void claimEntry(ResourceClass* cls, ResourceBlock* block, ResourceEntry* entry, uintptr_t resource) {
  entry->parent.store(0, std::memory_order_relaxed);
  entry->block.store(block, std::memory_order_release);
  entry->resource.store(resource, std::memory_order_release);
  ++cls->registered;
  ++block->usedCount;
  if (cls->lookup != nullptr) lookupClaimed(cls->lookup, block, entry);
}

inline void writeResult(uint16_t* result, uint16_t code) {
  if (result != nullptr) *result = code;
}

}  // namespace morvick
