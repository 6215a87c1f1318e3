#include <gtest/gtest.h>

#include <cstring>

#include "com/allocator.h"
#include "com/interfaces/class_factory.h"

namespace {

TEST(TaskAllocator, CoGetMallocHandsOutTheOneAllocatorForTheTaskContextOnly) {
  IMalloc* first = nullptr;
  IMalloc* second = nullptr;
  ASSERT_EQ(CoGetMalloc(MEMCTX_TASK, &first), S_OK);
  ASSERT_EQ(CoGetMalloc(1, &second), S_OK);
  EXPECT_EQ(first, second);

  const DWORD badContexts[] = {0, 2, 0xFFFFFFFF};
  for (DWORD context : badContexts) {
    IMalloc* other = first;
    EXPECT_EQ(CoGetMalloc(context, &other), E_INVALIDARG) << context;
    EXPECT_EQ(other, nullptr);
  }
  EXPECT_EQ(CoGetMalloc(MEMCTX_TASK, nullptr), E_INVALIDARG);

  // Releasing more often than taken must not destroy the process's allocator.
  first->Release();
  second->Release();
  second->Release();
  ASSERT_EQ(CoGetMalloc(MEMCTX_TASK, &first), S_OK);
  void* block = first->Alloc(8);
  ASSERT_NE(block, nullptr);
  first->Free(block);
  first->Release();
}

TEST(TaskAllocator, InterfaceAndFunctionsShareOneHeap) {
  IMalloc* malloc = nullptr;
  ASSERT_EQ(CoGetMalloc(MEMCTX_TASK, &malloc), S_OK);

  auto* text = static_cast<char*>(malloc->Alloc(6));
  ASSERT_NE(text, nullptr);
  std::memcpy(text, "hello", 6);
  EXPECT_GE(malloc->GetSize(text), 6u);
  EXPECT_NE(malloc->DidAlloc(text), 0) << "yes or do-not-know, never no";
  EXPECT_EQ(malloc->DidAlloc(nullptr), 0);

  text = static_cast<char*>(CoTaskMemRealloc(text, 4096));
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "hello");
  text = static_cast<char*>(malloc->Realloc(text, 16));
  EXPECT_STREQ(text, "hello");
  CoTaskMemFree(text);  // allocated through IMalloc, freed through the function

  void* fromNull = CoTaskMemRealloc(nullptr, 32);
  ASSERT_NE(fromNull, nullptr);
  EXPECT_EQ(CoTaskMemRealloc(fromNull, 0), nullptr) << "a zero size frees";
  malloc->Free(CoTaskMemAlloc(1));
  CoTaskMemFree(nullptr);
  malloc->Free(nullptr);
  malloc->HeapMinimize();

  IUnknown* unknown = nullptr;
  ASSERT_EQ(malloc->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(unknown, static_cast<IUnknown*>(malloc));
  unknown->Release();
  void* other = nullptr;
  EXPECT_EQ(malloc->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
  malloc->Release();
}

}  // namespace
