// The task allocator. It is the C heap itself, without headers or
// bookkeeping: CoTaskMemFree is free, so the sanitizers see every block a
// party forgets, frees twice or frees with the wrong allocator.

#include <malloc.h>

#include <atomic>
#include <cstdlib>

#include "com/allocator.h"

namespace {

// The process's one IMalloc. It counts references as callers expect, but it
// lives for the whole process: nothing ever deletes it.
class TaskAllocator final : public IMalloc {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMalloc)) {
      *object = static_cast<IMalloc*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // The count is only a courtesy to callers that print it; it starts high so
  // an unbalanced Release never reaches zero.
  ULONG STDMETHODCALLTYPE AddRef() override { return references_.fetch_add(1) + 1; }
  ULONG STDMETHODCALLTYPE Release() override { return references_.fetch_sub(1) - 1; }

  void* STDMETHODCALLTYPE Alloc(SIZE_T size) override { return CoTaskMemAlloc(size); }
  void* STDMETHODCALLTYPE Realloc(void* block, SIZE_T size) override { return CoTaskMemRealloc(block, size); }
  void STDMETHODCALLTYPE Free(void* block) override { CoTaskMemFree(block); }
  // At least the size asked for when the block was allocated (the C heap may
  // round up); -1 for a null block, as COM defines it.
  SIZE_T STDMETHODCALLTYPE GetSize(void* block) override {
    return block == nullptr ? static_cast<SIZE_T>(-1) : malloc_usable_size(block);
  }
  // Whether an arbitrary address came from this heap cannot be told without
  // tracking every block, so the answer is "do not know" (-1); null is never
  // ours.
  int STDMETHODCALLTYPE DidAlloc(void* block) override { return block == nullptr ? 0 : -1; }
  void STDMETHODCALLTYPE HeapMinimize() override { malloc_trim(0); }

 private:
  std::atomic<ULONG> references_{1u << 30};
};

TaskAllocator& taskAllocator() {
  // Never destroyed, so that objects released during process exit can still
  // free their memory through it.
  static TaskAllocator* const allocator = new TaskAllocator;
  return *allocator;
}

}  // namespace

extern "C" {

COM_API HRESULT CoGetMalloc(DWORD memContext, IMalloc** malloc) {
  if (malloc == nullptr) return E_INVALIDARG;
  *malloc = nullptr;
  if (memContext != MEMCTX_TASK) return E_INVALIDARG;
  TaskAllocator& allocator = taskAllocator();
  allocator.AddRef();
  *malloc = &allocator;
  return S_OK;
}

COM_API LPVOID CoTaskMemAlloc(SIZE_T size) { return std::malloc(size); }

COM_API LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size) {
  if (block != nullptr && size == 0) {
    std::free(block);
    return nullptr;
  }
  return std::realloc(block, size);
}

COM_API void CoTaskMemFree(LPVOID block) { std::free(block); }

}  // extern "C"
