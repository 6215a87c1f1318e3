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
// - indexLock (a reader/writer lock of the manager's own): the block index and
//   the class list. Every function that reads a class or an entry through a
//   handle holds it shared, so no class can be freed under it; adding or
//   removing blocks and classes holds it exclusively.
// - the list semaphore and each class's semScan and semState: host
//   semaphores, as the host expects the manager to use them.

#include "block_index.h"
#include "resource_types.h"

#include <component/host_api.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <pthread.h>

namespace morvick {

// A reader/writer lock that prefers writers, so that a steady stream of
// registrations cannot starve class creation and deletion.
class IndexLock {
 public:
  void lock() { pthread_rwlock_wrlock(&lock_); }
  void unlock() { pthread_rwlock_unlock(&lock_); }
  void lock_shared() { pthread_rwlock_rdlock(&lock_); }
  void unlock_shared() { pthread_rwlock_unlock(&lock_); }

 private:
  pthread_rwlock_t lock_ = PTHREAD_RWLOCK_WRITER_NONRECURSIVE_INITIALIZER_NP;
};

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

Registry& registry();

// A class handle remembered across a time without indexLock.
struct ClassRef {
  ResourceClass* cls = nullptr;
  uint64_t serial = 0;
};

// The following need indexLock held (shared or exclusive).
// The class a handle names, or null; the handle's memory is not read unless
// the index shows that it is a live class.
ResourceClass* findClass(uintptr_t handle);
// The entry a handle points at exactly, or null.
ResourceEntry* findEntry(uintptr_t handle);
// An entry that is valid for the functions that need a used entry: it has
// been registered at least once.
ResourceEntry* findUsedEntry(uintptr_t handle);
bool isLive(const ClassRef& ref);

// Holds a host semaphore for a scope.
class SemaphoreHold {
 public:
  explicit SemaphoreHold(uintptr_t semaphore);
  ~SemaphoreHold();
  SemaphoreHold(const SemaphoreHold&) = delete;
  SemaphoreHold& operator=(const SemaphoreHold&) = delete;

 private:
  uintptr_t semaphore_;
};

// Starts the lifetime of freshly allocated entries.
void constructEntries(ResourceEntry* first, uint32_t count);

// Takes a free entry for a resource. Needs the class's semState.
void claimEntry(ResourceClass* cls, ResourceBlock* block, ResourceEntry* entry, uintptr_t resource);

void writeResult(uint16_t* result, uint16_t code);

}  // namespace morvick
