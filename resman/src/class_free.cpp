// Freeing the parentless objects of one class or of every class.
//
// The free functions run with nothing held and may do anything, including
// unregistering other objects or deleting their own class; other threads may
// delete classes too. So after every free call the walk makes sure, under the
// index lock, that its class is still the live class it started with before
// it touches it again.

#include "host_services.h"
#include "registry.h"
#include "rsm_api.h"

#include <cstring>
#include <mutex>

using namespace morvick;

namespace {

// Whether a free function lies in a code area of an application, i.e.
// belongs to the control program.
bool inControlProgram(RsmFreeFunction freeFunction) {
  auto address = reinterpret_cast<uintptr_t>(freeFunction);
  for (HostApplication* application = hostfn::appGetFirstApp(nullptr); application != nullptr;
       application = hostfn::appGetNextApp(application, nullptr)) {
    for (int area = 0; area < HOST_CODE_AREA_COUNT; ++area) {
      uintptr_t start = application->codeAreaStart[area];
      if (start == 0) break;
      if (address >= start && address - start < application->codeAreaSize[area]) return true;
    }
  }
  return false;
}

uint16_t callFreeFunction(RsmFreeFunction freeFunction, bool controlProgram, uintptr_t object) {
  if (!controlProgram) return freeFunction(object);
  // The control program's function is reached through the word stored at
  // its address; it takes a parameter block holding the object handle.
  uintptr_t function = 0;
  std::memcpy(&function, reinterpret_cast<const void*>(freeFunction), sizeof function);
  uintptr_t parameters = object;
  return static_cast<uint16_t>(hostfn::sysCpuCallIecFuncWithParams(function, &parameters, sizeof parameters));
}

struct Pass {
  bool called = false;
  bool progress = false;  // some called object stopped being a candidate
  uint16_t lastResult = RSM_RESULT_OK;
};

enum class ClassOutcome {
  Done,  // the class was walked (or its last free call may have deleted it)
  Gone,  // the class was deleted before or during the walk
  Busy,  // another free operation holds the flag
};

bool isCandidate(const ResourceEntry* entry) {
  return entry->resource.load(std::memory_order_acquire) != 0 &&
         entry->parent.load(std::memory_order_acquire) == 0;
}

// Frees the parentless objects of one class. `next` receives the class that
// followed it in the list when the walk began.
ClassOutcome walkClassObjects(const ClassRef& ref, ClassRef* next, Pass& pass) {
  Registry& state = registry();
  SharedIndexHold index(state.indexLock);
  if (!isLive(ref)) return ClassOutcome::Gone;
  ResourceClass* cls = ref.cls;
  if (next != nullptr) {
    *next = cls->next != nullptr ? ClassRef{cls->next, cls->next->serial} : ClassRef{};
  }
  const RsmFreeFunction freeFunction = cls->freeFunction;
  const bool controlProgram = inControlProgram(freeFunction);

  {
    SemaphoreHold hold(cls->semState);
    if (state.freeInProgress.exchange(true, std::memory_order_acq_rel)) return ClassOutcome::Busy;
  }
  bool flagCleared = false;
  auto clearFlag = [&] {
    SemaphoreHold hold(cls->semState);
    state.freeInProgress.store(false, std::memory_order_release);
    flagCleared = true;
  };

  // Entries are read without semState (their fields are atomic); the chain
  // and the use count of each block are read under it when the walk enters
  // the block. Blocks live as long as their class.
  for (ResourceBlock* block = &cls->firstBlock; block != nullptr;) {
    uint32_t toVisit;
    ResourceBlock* nextBlock;
    {
      SemaphoreHold hold(cls->semState);
      toVisit = block->usedCount;
      nextBlock = block->nextBlock;
    }
    for (uint32_t position = 0; position < block->entryCount && toVisit > 0; ++position) {
      ResourceEntry* entry = block->entries() + position;
      if (!isCandidate(entry)) continue;
      const uintptr_t resource = entry->resource.load(std::memory_order_relaxed);
      const bool last = nextBlock == nullptr && toVisit == 1;
      // The free function of the last object may delete the class: the flag
      // goes first, so that it may also start a new free operation.
      if (last) clearFlag();
      index.unlock();

      const uint16_t result = callFreeFunction(freeFunction, controlProgram, reinterpret_cast<uintptr_t>(entry));
      pass.called = true;
      pass.lastResult = result;
      --toVisit;

      index.lock();
      if (!isLive(ref)) {
        pass.progress = true;
        if (!flagCleared) state.freeInProgress.store(false, std::memory_order_release);
        return ClassOutcome::Gone;
      }
      if (entry->resource.load(std::memory_order_acquire) != resource || !isCandidate(entry)) {
        pass.progress = true;
      }
      if (last) return ClassOutcome::Done;
    }
    block = nextBlock;
  }
  if (!flagCleared) clearFlag();
  return ClassOutcome::Done;
}

// Freeing unregisters objects all over the class, one at a time; a large
// class's lookup would follow each of them to a random place in its table.
// The class does without it from here on and gets a new one, built in one
// pass over its blocks, when it grows or a registration has to walk far.
ClassOutcome freeClassObjects(const ClassRef& ref, ClassRef* next, Pass& pass) {
  dropLookup(ref);
  return walkClassObjects(ref, next, pass);
}

ClassRef newestClassLocked() {
  ResourceClass* cls = registry().classList;
  return cls != nullptr ? ClassRef{cls, cls->serial} : ClassRef{};
}

ClassRef newestClass() {
  SharedIndexHold index(registry().indexLock);
  return newestClassLocked();
}

}  // namespace

uint16_t RSM_ClassFree(uintptr_t classHandle) {
  ClassRef only;
  if (classHandle != 0) {
    SharedIndexHold index(registry().indexLock);
    ResourceClass* cls = findClass(classHandle);
    if (cls == nullptr) return RSM_RESULT_INVALID;
    only = ClassRef{cls, cls->serial};
  }
  uint16_t result = RSM_RESULT_OK;
  for (;;) {
    Pass pass;
    ClassRef current = classHandle != 0 ? only : newestClass();
    while (current.cls != nullptr) {
      ClassRef next;
      ClassOutcome outcome = freeClassObjects(current, classHandle != 0 ? nullptr : &next, pass);
      if (outcome == ClassOutcome::Busy) return RSM_RESULT_FREE_BUSY;
      if (pass.called) result = pass.lastResult;
      if (classHandle != 0) {
        // The one class to free is gone: there is nothing left to free.
        if (outcome == ClassOutcome::Gone) return result;
        break;
      }
      // A class deleted under the walk has lost its place in the list; the
      // walk goes on from the newest class rather than from freed memory.
      if (outcome == ClassOutcome::Gone) {
        current = newestClass();
        continue;
      }
      if (next.cls != nullptr) {
        SharedIndexHold index(registry().indexLock);
        if (!isLive(next)) next = newestClassLocked();
      }
      current = next;
    }
    if (!pass.called || pass.lastResult != RSM_RESULT_OK) break;
    // Free functions that report success without unregistering would make
    // the next pass call them again for the same objects, without end.
    if (!pass.progress) return RSM_RESULT_CLASS_IN_USE;
  }
  return result;
}
