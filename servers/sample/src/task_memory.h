#pragma once

// Memory that the server hands to its clients. Every string, array and
// record a client receives comes from the task allocator, and the client
// frees it with CoTaskMemFree; these helpers make such blocks and free them
// again when a call fails half-way, so that a failed call hands out nothing.

#include <cstddef>
#include <cstring>
#include <limits>
#include <new>
#include <string_view>
#include <type_traits>
#include <utility>

#include "com/allocator.h"
#include "win/types.h"

namespace sample {

// A zeroed array of count elements from the task allocator; null when memory
// runs out. An empty array is still a valid block, so that callers can hand
// out "no elements" the same way as any other array.
template <class T>
T* allocateTaskArray(size_t count) {
  static_assert(std::is_trivially_copyable_v<T> || std::is_standard_layout_v<T>);
  if (count > std::numeric_limits<size_t>::max() / sizeof(T)) return nullptr;
  const size_t bytes = count == 0 ? 1 : count * sizeof(T);
  void* block = CoTaskMemAlloc(bytes);
  if (block != nullptr) std::memset(block, 0, bytes);
  return static_cast<T*>(block);
}

// A terminated copy of text from the task allocator; null when memory runs
// out.
inline LPWSTR copyToTaskString(std::u16string_view text) {
  auto* copy = allocateTaskArray<WCHAR>(text.size() + 1);
  if (copy != nullptr && !text.empty()) std::memcpy(copy, text.data(), text.size() * sizeof(WCHAR));
  return copy;
}

// Owns a task-allocator block until it is handed out with release().
template <class T>
class TaskBlock {
 public:
  TaskBlock() = default;
  explicit TaskBlock(T* block) noexcept : block_(block) {}
  TaskBlock(const TaskBlock&) = delete;
  TaskBlock& operator=(const TaskBlock&) = delete;
  TaskBlock(TaskBlock&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  ~TaskBlock() { CoTaskMemFree(block_); }

  T* get() const noexcept { return block_; }
  T& operator[](size_t index) const noexcept { return block_[index]; }
  explicit operator bool() const noexcept { return block_ != nullptr; }
  [[nodiscard]] T* release() noexcept { return std::exchange(block_, nullptr); }

 private:
  T* block_ = nullptr;
};

template <class T>
TaskBlock<T> makeTaskArray(size_t count) {
  return TaskBlock<T>(allocateTaskArray<T>(count));
}

// Runs a method body and turns running out of memory into E_OUTOFMEMORY, so
// that no exception crosses an interface.
template <class Body>
HRESULT guarded(Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace sample
