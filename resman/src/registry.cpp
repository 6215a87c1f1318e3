#include "registry.h"

#include "host_services.h"

#include <new>

namespace morvick {

namespace {
// Constant-initialised, so it exists before any caller and needs no guard.
constinit Registry theRegistry;
}  // namespace

Registry& registry() { return theRegistry; }

ResourceClass* findClass(uintptr_t handle) {
  uintptr_t firstBlock = handle + kFirstBlockOffset;
  ResourceBlock* block = registry().index.findEntry(firstBlock + sizeof(ResourceBlock));
  if (block == nullptr || reinterpret_cast<uintptr_t>(block) != firstBlock) return nullptr;
  if (reinterpret_cast<uintptr_t>(block->ownerClass) != handle) return nullptr;
  return block->ownerClass;
}

ResourceEntry* findEntry(uintptr_t handle) {
  return registry().index.findEntry(handle) ? reinterpret_cast<ResourceEntry*>(handle) : nullptr;
}

ResourceEntry* findUsedEntry(uintptr_t handle) {
  ResourceBlock* block = registry().index.findEntry(handle);
  if (block == nullptr) return nullptr;
  auto* entry = reinterpret_cast<ResourceEntry*>(handle);
  return entry->block.load(std::memory_order_acquire) == block ? entry : nullptr;
}

bool isLive(const ClassRef& ref) {
  ResourceClass* cls = findClass(reinterpret_cast<uintptr_t>(ref.cls));
  return cls != nullptr && cls->serial == ref.serial;
}

SemaphoreHold::SemaphoreHold(uintptr_t semaphore) : semaphore_(semaphore) { hostfn::sysSemEnter(semaphore_); }

SemaphoreHold::~SemaphoreHold() { hostfn::sysSemLeave(semaphore_); }

void constructEntries(ResourceEntry* first, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) new (first + i) ResourceEntry{};
}

void claimEntry(ResourceClass* cls, ResourceBlock* block, ResourceEntry* entry, uintptr_t resource) {
  entry->parent.store(0, std::memory_order_relaxed);
  entry->block.store(block, std::memory_order_release);
  entry->resource.store(resource, std::memory_order_release);
  ++cls->registered;
  ++block->usedCount;
}

void writeResult(uint16_t* result, uint16_t code) {
  if (result != nullptr) *result = code;
}

}  // namespace morvick
