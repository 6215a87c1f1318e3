#include "com/hglobal.h"

#include <gtest/gtest.h>

#include <cstring>

#include "com/interfaces/data_object.h"
#include "com/interfaces/persist.h"
#include "com/object.h"

namespace {

TEST(HGlobal, MoveableBlocksCountLocks) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 64);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 64u);
  auto* first = static_cast<BYTE*>(GlobalLock(block));
  ASSERT_NE(first, nullptr);
  EXPECT_NE(static_cast<void*>(first), block) << "a moveable block has a handle of its own";
  for (int k = 0; k < 64; ++k) ASSERT_EQ(first[k], 0);
  EXPECT_EQ(GlobalLock(block), first);
  EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 2u);
  EXPECT_EQ(GlobalHandle(first), block);

  EXPECT_TRUE(GlobalUnlock(block));
  SetLastError(ERROR_INVALID_FUNCTION);
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR)) << "unlocked by this call";
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(HGlobal, FixedBlocksAreTheirOwnAddress) {
  HGLOBAL block = GlobalAlloc(GPTR, 16);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalLock(block), block);
  EXPECT_EQ(GlobalFlags(block), 0u);
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
  EXPECT_EQ(GlobalFree(block), nullptr);

  HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(GlobalSize(empty), 0u);
  EXPECT_NE(GlobalLock(empty), nullptr);
  GlobalFree(empty);

  SetLastError(NO_ERROR);
  EXPECT_EQ(GlobalAlloc(0x10000000, 8), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// Every call refuses a handle that is not a live block, without touching it.
TEST(HGlobal, InvalidHandlesFailCleanly) {
  int notABlock = 0;
  HGLOBAL freedFixed = GlobalAlloc(GMEM_FIXED, 8);
  HGLOBAL freedMoveable = GlobalAlloc(GMEM_MOVEABLE, 8);
  ASSERT_EQ(GlobalFree(freedFixed), nullptr);
  ASSERT_EQ(GlobalFree(freedMoveable), nullptr);
  HGLOBAL live = GlobalAlloc(GMEM_MOVEABLE, 8);
  void* liveData = GlobalLock(live);

  struct Case {
    const char* what;
    HGLOBAL handle;
  };
  const Case cases[] = {
      {"null", nullptr},
      {"stack address", &notABlock},
      {"freed fixed block", freedFixed},
      {"freed moveable block", freedMoveable},
      {"made-up value", reinterpret_cast<HGLOBAL>(0x1234)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(NO_ERROR);
    EXPECT_EQ(GlobalLock(c.handle), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(GlobalUnlock(c.handle));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GlobalSize(c.handle), 0u);
    EXPECT_EQ(GlobalReAlloc(c.handle, 32, GMEM_MOVEABLE), nullptr);
    EXPECT_EQ(GlobalFlags(c.handle), static_cast<UINT>(GMEM_INVALID_HANDLE));
    if (c.handle != nullptr) {
      EXPECT_EQ(GlobalFree(c.handle), c.handle);
    }
  }
  // A moveable block's data address is not a handle either.
  EXPECT_EQ(GlobalSize(liveData), 0u);
  EXPECT_EQ(GlobalFree(liveData), liveData);
  EXPECT_EQ(GlobalFree(live), nullptr) << "a locked block is freed too";
}

TEST(HGlobal, ReAllocMovesOnlyWhereAllowed) {
  struct Case {
    const char* what;
    UINT allocFlags;
    bool locked;
    UINT reallocFlags;
    SIZE_T newSize;
    bool succeeds;
  };
  const Case cases[] = {
      {"fixed, grow in place refused", GMEM_FIXED, false, 0, 4096, false},
      {"fixed, grow with GMEM_MOVEABLE", GMEM_FIXED, false, GMEM_MOVEABLE, 4096, true},
      {"fixed, shrink", GMEM_FIXED, false, 0, 4, true},
      {"moveable unlocked, grow", GMEM_MOVEABLE, false, 0, 4096, true},
      {"moveable locked, grow refused", GMEM_MOVEABLE, true, 0, 4096, false},
      {"moveable locked, grow with GMEM_MOVEABLE", GMEM_MOVEABLE, true, GMEM_MOVEABLE, 4096, true},
      {"zero-initialised growth", GMEM_MOVEABLE, false, GMEM_ZEROINIT, 4096, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HGLOBAL block = GlobalAlloc(c.allocFlags, 8);
    std::memcpy(GlobalLock(block), "1234567", 8);
    if (!c.locked) GlobalUnlock(block);

    HGLOBAL resized = GlobalReAlloc(block, c.newSize, c.reallocFlags);
    if (!c.succeeds) {
      EXPECT_EQ(resized, nullptr);
      EXPECT_EQ(GlobalSize(block), 8u) << "the block is unchanged";
      resized = block;
    } else {
      ASSERT_NE(resized, nullptr);
      EXPECT_EQ(GlobalSize(resized), c.newSize);
      if (c.allocFlags & GMEM_MOVEABLE) {
        EXPECT_EQ(resized, block) << "a moveable handle stays";
      }
      if (resized != block) {
        EXPECT_EQ(GlobalSize(block), 0u) << "the old fixed handle is gone";
      }
      const auto* data = static_cast<const char*>(GlobalLock(resized));
      EXPECT_EQ(std::memcmp(data, "1234567", c.newSize < 8 ? c.newSize : 8), 0);
      if (c.reallocFlags & GMEM_ZEROINIT) {
        for (SIZE_T k = 8; k < c.newSize; ++k) ASSERT_EQ(data[k], 0) << k;
      }
    }
    EXPECT_EQ(GlobalFree(resized), nullptr);
  }
}

class Owner final : public com::Object<Owner, IPersist> {
 public:
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
  ULONG references() {
    AddRef();
    return Release();
  }
};

TEST(ReleaseStgMedium, FreesTheMediumOrReleasesItsOwner) {
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = GlobalAlloc(GMEM_MOVEABLE, 32);
  HGLOBAL block = medium.hGlobal;
  ReleaseStgMedium(&medium);
  EXPECT_EQ(GlobalSize(block), 0u) << "freed";
  EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_NULL));
  ReleaseStgMedium(&medium);  // a second release does nothing
  ReleaseStgMedium(nullptr);

  com::Ptr<Owner> owner = com::makeObject<Owner>();
  STGMEDIUM owned{};
  owned.tymed = TYMED_HGLOBAL;
  owned.hGlobal = GlobalAlloc(GMEM_MOVEABLE, 32);
  block = owned.hGlobal;
  owned.pUnkForRelease = owner->identity();
  owner->AddRef();
  ReleaseStgMedium(&owned);
  EXPECT_EQ(owner->references(), 1u);
  EXPECT_EQ(GlobalSize(block), 32u) << "the owner keeps its data";
  GlobalFree(block);
}

}  // namespace
