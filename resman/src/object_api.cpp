// Registering, unregistering, parenting and checking objects.

#include "host_services.h"
#include "registry.h"
#include "rsm_api.h"

#include <mutex>
#include <optional>

using namespace morvick;

namespace {

enum class Placement { Search, NoCheck };

// What a registration found under semState before placing anything.
enum class Admission { Refused, Full, Open };

Admission admit(ResourceClass* cls, uint32_t* capacity) {
  if (registry().freeInProgress.load(std::memory_order_acquire)) return Admission::Refused;
  *capacity = cls->capacity;
  return cls->registered == cls->capacity ? Admission::Full : Admission::Open;
}

// The class doubles up to 100 entries per new block, then grows by 50.
uint32_t growthFor(uint32_t capacity) { return capacity <= 100 ? capacity : 50; }

// Adds a block to a full class. The block is allocated with nothing held;
// linking it needs the index exclusively, because the class may have been
// deleted meanwhile. For RSM_RegisterNoCheck the object takes the new block's
// first entry in the same step, so that no other caller can take it first.
uint16_t grow(const ClassRef& ref, uint32_t capacitySeen, Placement placement, uintptr_t resource,
              uintptr_t* placed) {
  uint32_t count = growthFor(capacitySeen);
  // The free bits of the class's lookup follow the entries.
  size_t size = sizeof(ResourceBlock) + size_t{count} * sizeof(ResourceEntry) + kAddedBlockBitBytes;
  void* memory = hostfn::allocate(size);
  if (memory == nullptr) return RSM_RESULT_NO_MEMORY;
  auto* block = new (memory) ResourceBlock{};
  constructEntries(block->entries(), count);
  block->entryCount = count;
  block->lastEntry = block->entries() + count - 1;

  Registry& state = registry();
  std::unique_lock index(state.indexLock);
  if (!isLive(ref)) {
    index.unlock();
    hostfn::release(memory);
    return RSM_RESULT_INVALID;
  }
  ResourceClass* cls = ref.cls;
  block->ownerClass = cls;
  state.index.insert(block);
  ClassLookup* outgrown = nullptr;
  {
    SemaphoreHold scan(cls->semScan);
    SemaphoreHold hold(cls->semState);
    block->nextBlock = cls->firstBlock.nextBlock;
    cls->firstBlock.nextBlock = block;
    block->slot = cls->blockCount++;
    cls->capacity += count;
    cls->cursorBlock = block;
    cls->cursorIndex = 0;
    // A lookup too small for the grown class is dropped; the caller builds
    // a larger one.
    if (cls->lookup != nullptr && !lookupAddBlock(cls->lookup, cls, block)) {
      outgrown = cls->lookup;
      cls->lookup = nullptr;
    }
    if (placement == Placement::NoCheck) {
      claimEntry(cls, block, block->entries(), resource);
      *placed = reinterpret_cast<uintptr_t>(block->entries());
    }
  }
  index.unlock();
  releaseLookup(outgrown);
  return RSM_RESULT_OK;
}

ResourceBlock* nextInRing(ResourceClass* cls, ResourceBlock* block) {
  return block->nextBlock != nullptr ? block->nextBlock : &cls->firstBlock;
}

// The slot search of RSM_Register, from the cursor around the ring of blocks.
// Needs indexLock shared, semScan and semState: an entry is found and claimed
// in one step, so no other registration can take it in between.
// A walk longer than this in a class without a lookup asks for one.
constexpr uint32_t kLongWalk = 64;

inline uintptr_t searchAndPlace(ResourceClass* cls, uintptr_t resource, bool* wantsLookup) {
  ResourceBlock* block = cls->cursorBlock;
  uint32_t index = cls->cursorIndex;
  // Most searches end at once, on the free entry under the cursor.
  if (index + 1 < block->entryCount) {
    ResourceEntry* entry = block->entries() + index;
    if (entry->resource.load(std::memory_order_relaxed) == 0) {
      claimEntry(cls, block, entry, resource);
      cls->cursorIndex = index + 1;
      return reinterpret_cast<uintptr_t>(entry);
    }
  }
  if (cls->lookup != nullptr) return lookupSearchAndPlace(cls->lookup, cls, resource);
  uintptr_t found = 0;
  uint32_t visited = 0;
  for (; visited < cls->capacity && found == 0; ++visited) {
    if (index >= block->entryCount) {
      block = nextInRing(cls, block);
      index = 0;
    }
    ResourceEntry* entry = block->entries() + index++;
    uintptr_t current = entry->resource.load(std::memory_order_relaxed);
    if (current == resource) {
      found = reinterpret_cast<uintptr_t>(entry);
    } else if (current == 0) {
      claimEntry(cls, block, entry, resource);
      found = reinterpret_cast<uintptr_t>(entry);
    }
  }
  if (index >= block->entryCount) {
    block = nextInRing(cls, block);
    index = 0;
  }
  cls->cursorBlock = block;
  cls->cursorIndex = index;
  if (visited > kLongWalk && cls->capacity > kLookupThreshold) *wantsLookup = true;
  return found;
}

// Where RSM_RegisterNoCheck puts an object when no block was added: the first
// block's entry at the position of its use count if that entry is free, else
// the first free entry along the chain. Needs semState; registered < capacity
// guarantees a free entry.
uintptr_t placeWithoutSearch(ResourceClass* cls, uintptr_t resource, bool* wantsLookup) {
  ResourceBlock* first = &cls->firstBlock;
  if (first->usedCount < first->entryCount) {
    ResourceEntry* entry = first->entries() + first->usedCount;
    if (entry->resource.load(std::memory_order_relaxed) == 0) {
      claimEntry(cls, first, entry, resource);
      return reinterpret_cast<uintptr_t>(entry);
    }
  }
  if (cls->lookup != nullptr) {
    ResourceBlock* block = nullptr;
    ResourceEntry* entry = lookupFirstFree(cls->lookup, cls, &block);
    if (entry == nullptr) return 0;
    claimEntry(cls, block, entry, resource);
    return reinterpret_cast<uintptr_t>(entry);
  }
  // A class this large gets its lookup for the next time.
  if (cls->capacity > kLookupThreshold) *wantsLookup = true;
  for (ResourceBlock* block = first; block != nullptr; block = block->nextBlock) {
    for (uint32_t i = 0; i < block->entryCount; ++i) {
      ResourceEntry* entry = block->entries() + i;
      if (entry->resource.load(std::memory_order_relaxed) == 0) {
        claimEntry(cls, block, entry, resource);
        return reinterpret_cast<uintptr_t>(entry);
      }
    }
  }
  return 0;
}

template <Placement placement>
uintptr_t registerObject(uintptr_t classHandle, uintptr_t resource, uint16_t* result) {
  if (classHandle == 0 || resource == 0) {
    writeResult(result, RSM_RESULT_INVALID);
    return 0;
  }
  Registry& state = registry();
  SharedIndexHold index(state.indexLock);
  ResourceClass* cls = findClass(classHandle);
  if (cls == nullptr) {
    writeResult(result, RSM_RESULT_INVALID);
    return 0;
  }
  ClassRef ref{cls, cls->serial};
  uint32_t capacity = 0;
  Admission admission;
  uintptr_t placed = 0;
  bool wantsLookup = false;
  {
    // The search of RSM_Register runs under semScan; admission and
    // placement under semState.
    std::optional<SemaphoreHold> scan;
    if (placement == Placement::Search) scan.emplace(cls->semScan);
    SemaphoreHold hold(cls->semState);
    admission = admit(cls, &capacity);
    if (admission == Admission::Open) {
      placed = placement == Placement::Search ? searchAndPlace(cls, resource, &wantsLookup)
                                              : placeWithoutSearch(cls, resource, &wantsLookup);
    }
  }
  if (admission == Admission::Refused) {
    writeResult(result, RSM_RESULT_REFUSED);
    return 0;
  }
  if (admission == Admission::Full) {
    index.unlock();
    uint16_t grown = grow(ref, capacity, placement, resource, &placed);
    if (grown != RSM_RESULT_OK) {
      writeResult(result, grown);
      return 0;
    }
    ensureLookup(ref);
    if (placement == Placement::Search) {
      index.lock();
      if (!isLive(ref)) {
        writeResult(result, RSM_RESULT_INVALID);
        return 0;
      }
      SemaphoreHold scan(cls->semScan);
      SemaphoreHold hold(cls->semState);
      placed = searchAndPlace(cls, resource, &wantsLookup);
    }
  }
  if (wantsLookup) {
    index.unlock();
    ensureLookup(ref);
  }
  writeResult(result, placed != 0 ? RSM_RESULT_OK : RSM_RESULT_REFUSED);
  return placed;
}

}  // namespace

uintptr_t RSM_Register(uintptr_t classHandle, uintptr_t resource, uint16_t* result) {
  return registerObject<Placement::Search>(classHandle, resource, result);
}

uintptr_t RSM_RegisterNoCheck(uintptr_t classHandle, uintptr_t resource, uint16_t* result) {
  return registerObject<Placement::NoCheck>(classHandle, resource, result);
}

uint16_t RSM_Unregister(uintptr_t object) {
  if (object == 0) return RSM_RESULT_INVALID;
  SharedIndexHold index(registry().indexLock);
  ResourceEntry* entry = findUsedEntry(object);
  if (entry == nullptr) return RSM_RESULT_INVALID;
  ResourceBlock* block = entry->block.load(std::memory_order_relaxed);
  ResourceClass* cls = block->ownerClass;
  SemaphoreHold hold(cls->semState);
  if (entry->resource.load(std::memory_order_relaxed) != 0) {
    if (cls->lookup != nullptr) lookupReleasing(cls->lookup, block, entry);
    entry->resource.store(0, std::memory_order_release);
    entry->parent.store(0, std::memory_order_relaxed);
    --cls->registered;
    --block->usedCount;
  }
  return cls->registered == 0 ? RSM_RESULT_CLASS_EMPTY : RSM_RESULT_OK;
}

uint16_t RSM_SetParent(uintptr_t object, uintptr_t parent) {
  if (object == 0) return RSM_RESULT_INVALID;
  SharedIndexHold index(registry().indexLock);
  ResourceEntry* entry = findUsedEntry(object);
  if (entry == nullptr || entry->resource.load(std::memory_order_acquire) == 0) return RSM_RESULT_INVALID;
  if (parent == 0) {
    entry->parent.store(0, std::memory_order_release);
    return RSM_RESULT_OK;
  }
  // Two callers setting a parent at once: exactly one of them wins.
  uintptr_t none = 0;
  return entry->parent.compare_exchange_strong(none, parent, std::memory_order_acq_rel) ? RSM_RESULT_OK
                                                                                         : RSM_RESULT_HAS_PARENT;
}

uintptr_t RSM_GetParent(uintptr_t object, uint16_t* result) {
  SharedIndexHold index(registry().indexLock);
  ResourceEntry* entry = object != 0 ? findUsedEntry(object) : nullptr;
  if (entry == nullptr || entry->resource.load(std::memory_order_acquire) == 0) {
    writeResult(result, RSM_RESULT_INVALID);
    return 0;
  }
  writeResult(result, RSM_RESULT_OK);
  return entry->parent.load(std::memory_order_acquire);
}

uintptr_t RSM_GetClass(uintptr_t object, uint16_t* result) {
  SharedIndexHold index(registry().indexLock);
  ResourceEntry* entry = object != 0 ? findUsedEntry(object) : nullptr;
  if (entry == nullptr || entry->resource.load(std::memory_order_acquire) == 0) {
    writeResult(result, RSM_RESULT_INVALID);
    return 0;
  }
  writeResult(result, RSM_RESULT_OK);
  return reinterpret_cast<uintptr_t>(entry->block.load(std::memory_order_relaxed)->ownerClass);
}

uintptr_t RSM_Check(uintptr_t object, uint16_t* result) {
  uintptr_t resource = 0;
  if (object == 0 || !morvick::readEntryResource(object, &resource) || resource == 0) {
    writeResult(result, RSM_RESULT_INVALID);
    return 0;
  }
  writeResult(result, RSM_RESULT_OK);
  return resource;
}

namespace morvick {

bool readEntryResource(uintptr_t object, uintptr_t* resource) {
  SharedIndexHold index(registry().indexLock);
  ResourceEntry* entry = findEntry(object);
  if (entry == nullptr) return false;
  *resource = entry->resource.load(std::memory_order_acquire);
  return true;
}

}  // namespace morvick
