#include "workspace/task_memory.h"

#include "com/allocator.h"

void FreeTaskMemory(const CServerSession& session, void* block) {
  if (block == nullptr) return;
  if (IMalloc* allocator = session.GetTaskAllocator()) {
    allocator->Free(block);
  } else {
    CoTaskMemFree(block);
  }
}
