// Creating, deleting and describing classes.

#include "application_events.h"
#include "host_services.h"
#include "registry.h"
#include "rsm_api.h"

#include <mutex>
#include <new>

using namespace morvick;

namespace {

constexpr uint32_t kDefaultEntriesPerBlock = 20;

// Allocates and sets up a class with its first block and both semaphores;
// null with the reason in `failure`.
ResourceClass* makeClass(RsmFreeFunction freeFunction, uint32_t entryCount, uint16_t* failure) {
  size_t size = sizeof(ResourceClass) + size_t{entryCount} * sizeof(ResourceEntry);
  if (size > UINT32_MAX || size_t{entryCount} > SIZE_MAX / sizeof(ResourceEntry)) {
    *failure = RSM_RESULT_NO_MEMORY;
    return nullptr;
  }
  void* memory = hostfn::allocate(size);
  if (memory == nullptr) {
    *failure = RSM_RESULT_NO_MEMORY;
    return nullptr;
  }
  auto* cls = new (memory) ResourceClass{};
  constructEntries(cls->firstBlock.entries(), entryCount);
  cls->semScan = hostfn::sysSemCreate(nullptr);
  cls->semState = hostfn::sysSemCreate(nullptr);
  if (cls->semScan == HOST_INVALID_HANDLE || cls->semState == HOST_INVALID_HANDLE) {
    if (cls->semScan != HOST_INVALID_HANDLE) hostfn::sysSemDelete(cls->semScan);
    if (cls->semState != HOST_INVALID_HANDLE) hostfn::sysSemDelete(cls->semState);
    hostfn::release(memory);
    *failure = RSM_RESULT_NO_MEMORY;
    return nullptr;
  }
  cls->freeFunction = freeFunction;
  cls->capacity = entryCount;
  cls->blockCount = 1;
  cls->cursorBlock = &cls->firstBlock;
  cls->firstBlock.ownerClass = cls;
  cls->firstBlock.entryCount = entryCount;
  cls->firstBlock.lastEntry = cls->firstBlock.entries() + entryCount - 1;
  return cls;
}

// Releases a class that is no longer reachable through the index.
void destroyClass(ResourceClass* cls) {
  releaseLookup(cls->lookup);
  hostfn::sysSemDelete(cls->semScan);
  hostfn::sysSemDelete(cls->semState);
  for (ResourceBlock* block = cls->firstBlock.nextBlock; block != nullptr;) {
    ResourceBlock* next = block->nextBlock;
    hostfn::release(block);
    block = next;
  }
  hostfn::release(cls);
}

}  // namespace

uintptr_t RSM_ClassCreateFkt(RsmFreeFunction freeFunction, uint32_t entriesPerBlock, uint16_t* result) {
  if (freeFunction == nullptr) {
    writeResult(result, RSM_RESULT_INVALID);
    return 0;
  }
  // Without the host's services the manager can do nothing; refusing here
  // keeps every later call away from unbound host functions.
  if (!hostfn::ready()) {
    writeResult(result, RSM_RESULT_REFUSED);
    return 0;
  }
  uint16_t failure = RSM_RESULT_OK;
  ResourceClass* cls = makeClass(freeFunction, entriesPerBlock == 0 ? kDefaultEntriesPerBlock : entriesPerBlock,
                                 &failure);
  if (cls == nullptr) {
    writeResult(result, failure);
    return 0;
  }

  Registry& state = registry();
  std::lock_guard lifecycle(state.lifecycle);
  if (state.classCount == 0) {
    state.listSemaphore = hostfn::sysSemCreate(nullptr);
    if (state.listSemaphore == HOST_INVALID_HANDLE) failure = RSM_RESULT_NO_MEMORY;
    else if (!openApplicationEvents()) failure = RSM_RESULT_NO_EVENTS;
    if (failure != RSM_RESULT_OK) {
      if (state.listSemaphore != HOST_INVALID_HANDLE) hostfn::sysSemDelete(state.listSemaphore);
      state.listSemaphore = HOST_INVALID_HANDLE;
      destroyClass(cls);
      writeResult(result, failure);
      return 0;
    }
  }
  {
    std::lock_guard index(state.indexLock);
    cls->serial = ++state.lastSerial;
    state.index.insert(&cls->firstBlock);
    SemaphoreHold list(state.listSemaphore);
    cls->next = state.classList;
    if (cls->next != nullptr) cls->next->prev = cls;
    state.classList = cls;
    ++state.classCount;
  }
  // A first block beyond the threshold gets its lookup at once.
  ensureLookup(ClassRef{cls, cls->serial});
  writeResult(result, RSM_RESULT_OK);
  return reinterpret_cast<uintptr_t>(cls);
}

uint16_t RSM_ClassDelete(uintptr_t classHandle) {
  if (classHandle == 0) return RSM_RESULT_INVALID;
  Registry& state = registry();
  ResourceClass* cls = nullptr;
  {
    std::lock_guard lifecycle(state.lifecycle);
    {
      std::lock_guard index(state.indexLock);
      cls = findClass(classHandle);
      if (cls == nullptr) return RSM_RESULT_INVALID;
      {
        SemaphoreHold hold(cls->semState);
        if (cls->registered != 0) return RSM_RESULT_CLASS_IN_USE;
      }
      // Out of the index, the class is invalid for every caller from here on.
      for (ResourceBlock* block = &cls->firstBlock; block != nullptr; block = block->nextBlock) {
        state.index.erase(block);
      }
      SemaphoreHold list(state.listSemaphore);
      if (cls->prev != nullptr) cls->prev->next = cls->next;
      else state.classList = cls->next;
      if (cls->next != nullptr) cls->next->prev = cls->prev;
      --state.classCount;
    }
    if (state.classCount == 0) {
      closeApplicationEvents();
      hostfn::sysSemDelete(state.listSemaphore);
      state.listSemaphore = HOST_INVALID_HANDLE;
    }
  }
  destroyClass(cls);
  return RSM_RESULT_OK;
}

uint16_t RSM_GetClassInfo(uintptr_t classHandle, RsmClassInfo* info) {
  if (classHandle == 0 || info == nullptr) return RSM_RESULT_INVALID;
  SharedIndexHold index(registry().indexLock);
  ResourceClass* cls = findClass(classHandle);
  if (cls == nullptr) return RSM_RESULT_INVALID;
  SemaphoreHold hold(cls->semState);
  info->freeFunction = cls->freeFunction;
  info->capacity = cls->capacity;
  info->registered = cls->registered;
  return RSM_RESULT_OK;
}

uint16_t RSM_GetInfo(RsmInfo* info) {
  if (info == nullptr) return RSM_RESULT_INVALID;
  Registry& state = registry();
  info->marker = 0xFFFFFFFFu;
  std::lock_guard lifecycle(state.lifecycle);
  // With no class there is no list semaphore to enter: the count is 0.
  if (state.classCount == 0) {
    info->classCount = 0;
    return RSM_RESULT_OK;
  }
  SemaphoreHold list(state.listSemaphore);
  info->classCount = state.classCount;
  return RSM_RESULT_OK;
}

uint16_t RSM_GetSupplierVersion(uint8_t) { return 1; }
