// Global memory blocks. Every live block is entered in one table under its
// handle, and every call looks the handle up there first, so a stale or
// invented handle fails cleanly instead of touching memory. A fixed block's
// handle is its data address; a moveable block's handle is an odd number
// drawn from a counter, which no data address (always aligned) can equal.

#include "com/hglobal.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

constexpr UINT kKnownAllocFlags = GMEM_MOVEABLE | GMEM_NOCOMPACT | GMEM_NODISCARD | GMEM_ZEROINIT |
                                  GMEM_DISCARDABLE | GMEM_NOT_BANKED | GMEM_SHARE;
constexpr UINT kMaxLocks = GMEM_LOCKCOUNT;

struct Block {
  void* data = nullptr;
  SIZE_T size = 0;
  bool moveable = false;
  UINT locks = 0;  // moveable blocks only; fixed blocks are always at hand
};

std::nullptr_t fail(DWORD error) {
  SetLastError(error);
  return nullptr;
}

class BlockTable {
 public:
  HGLOBAL allocate(UINT flags, SIZE_T size) {
    if ((flags & ~kKnownAllocFlags) != 0) return fail(ERROR_INVALID_PARAMETER);
    // One byte at least, so that even an empty block has an address of its own.
    const SIZE_T bytes = size == 0 ? 1 : size;
    void* data = (flags & GMEM_ZEROINIT) ? std::calloc(bytes, 1) : std::malloc(bytes);
    if (data == nullptr) return fail(ERROR_NOT_ENOUGH_MEMORY);
    const bool moveable = (flags & GMEM_MOVEABLE) != 0;
    try {
      std::lock_guard lock(mutex_);
      HGLOBAL handle = moveable ? nextMoveableHandle() : data;
      blocks_.emplace(handle, Block{data, size, moveable, 0});
      return handle;
    } catch (const std::bad_alloc&) {
      std::free(data);
      return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
  }

  LPVOID lock(HGLOBAL handle) {
    std::lock_guard lock(mutex_);
    Block* block = find(handle);
    if (block == nullptr) return fail(ERROR_INVALID_HANDLE);
    if (block->moveable && block->locks < kMaxLocks) ++block->locks;
    return block->data;
  }

  BOOL unlock(HGLOBAL handle) {
    std::lock_guard lock(mutex_);
    Block* block = find(handle);
    if (block == nullptr) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (!block->moveable || block->locks == 0) {
      SetLastError(ERROR_NOT_LOCKED);
      return FALSE;
    }
    if (--block->locks > 0) return TRUE;
    SetLastError(NO_ERROR);
    return FALSE;
  }

  SIZE_T size(HGLOBAL handle) {
    std::lock_guard lock(mutex_);
    Block* block = find(handle);
    if (block == nullptr) {
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
    }
    return block->size;
  }

  UINT flags(HGLOBAL handle) {
    std::lock_guard lock(mutex_);
    Block* block = find(handle);
    if (block == nullptr) {
      SetLastError(ERROR_INVALID_HANDLE);
      return GMEM_INVALID_HANDLE;
    }
    return block->locks;
  }

  HGLOBAL handleOf(LPCVOID address) {
    if (address == nullptr) return nullptr;
    std::lock_guard lock(mutex_);
    for (const auto& [handle, block] : blocks_) {
      if (block.data == address) return handle;
    }
    return fail(ERROR_INVALID_HANDLE);
  }

  HGLOBAL reallocate(HGLOBAL handle, SIZE_T size, UINT flags) {
    std::lock_guard lock(mutex_);
    Block* block = find(handle);
    if (block == nullptr) return fail(ERROR_INVALID_HANDLE);
    // Only attributes change; none of them mean anything here.
    if (flags & GMEM_MODIFY) return handle;

    const bool mayMove = (flags & GMEM_MOVEABLE) != 0 || (block->moveable && block->locks == 0);
    if (size > block->size && !mayMove) return fail(ERROR_NOT_ENOUGH_MEMORY);
    void* data = block->data;
    if (size > block->size || mayMove) {
      data = std::realloc(block->data, size == 0 ? 1 : size);
      if (data == nullptr) return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    if ((flags & GMEM_ZEROINIT) && size > block->size) {
      std::memset(static_cast<char*>(data) + block->size, 0, size - block->size);
    }
    block->data = data;
    block->size = size;
    if (block->moveable || data == handle) return handle;

    // A fixed block that moved changes its handle; re-keying the table node
    // allocates nothing, so it cannot fail half-way.
    auto node = blocks_.extract(handle);
    node.key() = data;
    blocks_.insert(std::move(node));
    return data;
  }

  HGLOBAL release(HGLOBAL handle) {
    if (handle == nullptr) return nullptr;
    void* data;
    {
      std::lock_guard lock(mutex_);
      auto it = blocks_.find(handle);
      if (it == blocks_.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return handle;
      }
      data = it->second.data;
      blocks_.erase(it);
    }
    std::free(data);
    return nullptr;
  }

 private:
  Block* find(HGLOBAL handle) {
    auto it = blocks_.find(handle);
    return it == blocks_.end() ? nullptr : &it->second;
  }

  // Odd, so never an address returned by the C heap; a handle is used again
  // only after 2^63 (2^31 on 32-bit builds) further moveable blocks.
  HGLOBAL nextMoveableHandle() {
    uintptr_t handle;
    do {
      handle = (++moveableCounter_ << 1) | 1;
    } while (blocks_.count(reinterpret_cast<HGLOBAL>(handle)) != 0);
    return reinterpret_cast<HGLOBAL>(handle);
  }

  std::mutex mutex_;
  std::unordered_map<HGLOBAL, Block> blocks_;  // guarded by mutex_
  uintptr_t moveableCounter_ = 0;              // guarded by mutex_
};

BlockTable& blockTable() {
  // Never destroyed: blocks may still be freed while the process exits.
  static BlockTable* const table = new BlockTable;
  return *table;
}

}  // namespace

extern "C" {

COM_API HGLOBAL GlobalAlloc(UINT flags, SIZE_T size) { return blockTable().allocate(flags, size); }
COM_API LPVOID GlobalLock(HGLOBAL block) { return blockTable().lock(block); }
COM_API BOOL GlobalUnlock(HGLOBAL block) { return blockTable().unlock(block); }
COM_API SIZE_T GlobalSize(HGLOBAL block) { return blockTable().size(block); }
COM_API HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T size, UINT flags) {
  return blockTable().reallocate(block, size, flags);
}
COM_API HGLOBAL GlobalFree(HGLOBAL block) { return blockTable().release(block); }
COM_API UINT GlobalFlags(HGLOBAL block) { return blockTable().flags(block); }
COM_API HGLOBAL GlobalHandle(LPCVOID address) { return blockTable().handleOf(address); }

}  // extern "C"
