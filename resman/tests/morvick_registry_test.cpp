// Classes and objects: growth, placement, parents, counts, bad handles and
// running out of memory.

#include "morvick_fixture.h"

#include <vector>

namespace {

using morvick_test::MorvickTest;
using morvick_test::rsm;

using Registry = MorvickTest;

TEST_F(Registry, GrowsByTheCapacityUpToOneHundredThenByFifty) {
  uintptr_t cls = createClass(0);
  struct Step {
    uint32_t registrations;  // total registered after this step
    uint32_t capacity;
  };
  const Step steps[] = {{20, 20}, {21, 40}, {41, 80}, {81, 160}, {161, 210}, {211, 260}};
  std::vector<uintptr_t> objects;
  for (const Step& step : steps) {
    while (objects.size() < step.registrations) objects.push_back(registerObject(cls, 1000 + objects.size()));
    RsmClassInfo info = classInfo(cls);
    EXPECT_EQ(info.capacity, step.capacity) << "after " << step.registrations;
    EXPECT_EQ(info.registered, step.registrations);
    EXPECT_EQ(info.freeFunction, &morvick_test::unregisteringFree);
  }
  // The class with its first block, then one block per growth.
  auto sizes = host->memory().stats(RSM_MEMORY_TAG).sizes;
  ASSERT_EQ(sizes.size(), 6u);
  const uint32_t entrySize = 3 * sizeof(uintptr_t);
  const uint32_t growth[] = {20, 40, 80, 50, 50};
  for (size_t i = 1; i < 5; ++i) EXPECT_EQ(sizes[i + 1] - sizes[1], (growth[i] - 20) * entrySize) << i;
  for (uintptr_t object : objects) rsm.unregisterObject(object);
  EXPECT_EQ(rsm.classDelete(cls), RSM_RESULT_OK);
}

TEST_F(Registry, RegisteringAPresentResourceReturnsItsHandleWhenTheSearchMeetsItFirst) {
  uintptr_t cls = createClass(4);
  uintptr_t first = registerObject(cls, 7);
  uintptr_t second = registerObject(cls, 8);
  uintptr_t third = registerObject(cls, 9);
  // The search starts behind the last placement and meets a free entry
  // before it comes round to resource 8.
  uintptr_t again = registerObject(cls, 8);
  EXPECT_NE(again, second);
  EXPECT_EQ(classInfo(cls).registered, 4u);
  rsm.unregisterObject(third);
  // The search now starts at the first entry, which holds resource 7.
  EXPECT_EQ(registerObject(cls, 7), first);
  EXPECT_EQ(classInfo(cls).registered, 3u);
  EXPECT_EQ(*reinterpret_cast<uintptr_t*>(first), 7u) << "the handle points at the resource";
  EXPECT_EQ(rsm.unregisterObject(first), RSM_RESULT_OK);
  EXPECT_EQ(rsm.unregisterObject(second), RSM_RESULT_OK);
  EXPECT_EQ(rsm.unregisterObject(again), RSM_RESULT_CLASS_EMPTY);
  EXPECT_EQ(rsm.classDelete(cls), RSM_RESULT_OK);
}

TEST_F(Registry, UnregisterCountsDownOnceAndReportsTheEmptyClass) {
  uintptr_t cls = createClass();
  uintptr_t a = registerObject(cls, 1);
  uintptr_t b = registerObject(cls, 2);
  EXPECT_EQ(rsm.unregisterObject(a), RSM_RESULT_OK);
  EXPECT_EQ(rsm.unregisterObject(a), RSM_RESULT_OK) << "a free entry changes nothing";
  EXPECT_EQ(classInfo(cls).registered, 1u);
  EXPECT_EQ(rsm.unregisterObject(b), RSM_RESULT_CLASS_EMPTY);
  EXPECT_EQ(rsm.unregisterObject(b), RSM_RESULT_CLASS_EMPTY);
  EXPECT_EQ(classInfo(cls).registered, 0u);
  EXPECT_EQ(rsm.classDelete(cls), RSM_RESULT_OK);
}

TEST_F(Registry, ParentsAreSetOnceClearedAlwaysAndReadBack) {
  uintptr_t cls = createClass();
  uintptr_t parent = registerObject(cls, 1);
  uintptr_t child = registerObject(cls, 2);
  uint16_t result = 0xFFFF;
  EXPECT_EQ(rsm.getParent(child, &result), 0u);
  EXPECT_EQ(result, RSM_RESULT_OK);
  EXPECT_EQ(rsm.setParent(child, parent), RSM_RESULT_OK);
  EXPECT_EQ(rsm.setParent(child, parent), RSM_RESULT_HAS_PARENT);
  EXPECT_EQ(rsm.setParent(child, 12345), RSM_RESULT_HAS_PARENT);
  EXPECT_EQ(rsm.getParent(child, &result), parent);
  EXPECT_EQ(rsm.setParent(child, 0), RSM_RESULT_OK);
  EXPECT_EQ(rsm.setParent(child, 0), RSM_RESULT_OK);
  EXPECT_EQ(rsm.setParent(child, 12345), RSM_RESULT_OK) << "the parent itself is not checked";
  EXPECT_EQ(rsm.getClass(child, &result), cls);
  EXPECT_EQ(result, RSM_RESULT_OK);
  rsm.unregisterObject(child);
  EXPECT_EQ(rsm.setParent(child, parent), RSM_RESULT_INVALID) << "a free entry takes no parent";
  EXPECT_EQ(rsm.getParent(child, &result), 0u);
  EXPECT_EQ(result, RSM_RESULT_INVALID);
  EXPECT_EQ(rsm.getClass(child, &result), 0u);
  EXPECT_EQ(result, RSM_RESULT_INVALID);
  rsm.unregisterObject(parent);
  EXPECT_EQ(rsm.classDelete(cls), RSM_RESULT_OK);
}

TEST_F(Registry, AClassInUseIsNotDeleted) {
  uintptr_t cls = createClass();
  uintptr_t object = registerObject(cls, 5);
  EXPECT_EQ(rsm.classDelete(cls), RSM_RESULT_CLASS_IN_USE);
  uint16_t result = 0;
  EXPECT_EQ(rsm.check(object, &result), 5u);
  EXPECT_EQ(classInfo(cls).registered, 1u);
  rsm.unregisterObject(object);
  EXPECT_EQ(rsm.classDelete(cls), RSM_RESULT_OK);
  EXPECT_EQ(rsm.classDelete(cls), RSM_RESULT_INVALID) << "a deleted class is no class";
}

TEST_F(Registry, GetInfoCountsClassesAndNeedsNoClass) {
  RsmInfo info{1, 1};
  EXPECT_EQ(rsm.getInfo(&info), RSM_RESULT_OK);
  EXPECT_EQ(info.marker, 0xFFFFFFFFu);
  EXPECT_EQ(info.classCount, 0u);
  uintptr_t a = createClass();
  uintptr_t b = createClass();
  EXPECT_EQ(rsm.getInfo(&info), RSM_RESULT_OK);
  EXPECT_EQ(info.marker, 0xFFFFFFFFu);
  EXPECT_EQ(info.classCount, 2u);
  EXPECT_EQ(rsm.getInfo(nullptr), RSM_RESULT_INVALID);
  EXPECT_EQ(rsm.getSupplierVersion(0xAB), 1u);
  rsm.classDelete(a);
  rsm.classDelete(b);
}

TEST_F(Registry, RegisterNoCheckPlacesAtTheUseCountOrTheFirstFreeEntry) {
  uintptr_t cls = createClass(4);
  uint16_t result = 0xFFFF;
  uintptr_t a = rsm.registerNoCheck(cls, 1, &result);
  EXPECT_EQ(result, RSM_RESULT_OK);
  uintptr_t b = rsm.registerNoCheck(cls, 1, &result);
  EXPECT_EQ(b, a + 3 * sizeof(uintptr_t)) << "no search for the same resource: the next entry";
  rsm.unregisterObject(a);
  // The use count (1) points at b's entry, which is live: the first free
  // entry, a's, is taken instead of overwriting b.
  uintptr_t c = rsm.registerNoCheck(cls, 3, &result);
  EXPECT_EQ(c, a);
  EXPECT_EQ(rsm.check(b, &result), 1u);
  uintptr_t d = rsm.registerNoCheck(cls, 4, &result);
  uintptr_t e = rsm.registerNoCheck(cls, 5, &result);
  EXPECT_EQ(classInfo(cls).capacity, 4u);
  // Full: a new block is added and the object takes its first entry.
  uintptr_t f = rsm.registerNoCheck(cls, 6, &result);
  EXPECT_EQ(result, RSM_RESULT_OK);
  EXPECT_EQ(classInfo(cls).capacity, 8u);
  EXPECT_EQ(rsm.getClass(f, &result), cls);
  // First block full, the added one has room: the first free entry there.
  uintptr_t g = rsm.registerNoCheck(cls, 7, &result);
  EXPECT_EQ(g, f + 3 * sizeof(uintptr_t));
  for (uintptr_t object : {b, c, d, e, f, g}) rsm.unregisterObject(object);
  EXPECT_EQ(rsm.classDelete(cls), RSM_RESULT_OK);
}

TEST_F(Registry, RefusesNullArguments) {
  uint16_t result = 0;
  EXPECT_EQ(rsm.classCreateFkt(nullptr, 0, &result), 0u);
  EXPECT_EQ(result, RSM_RESULT_INVALID);
  uintptr_t cls = createClass();
  EXPECT_EQ(rsm.registerObject(cls, 0, &result), 0u);
  EXPECT_EQ(result, RSM_RESULT_INVALID);
  EXPECT_EQ(rsm.registerObject(0, 5, &result), 0u);
  EXPECT_EQ(result, RSM_RESULT_INVALID);
  EXPECT_EQ(rsm.getClassInfo(cls, nullptr), RSM_RESULT_INVALID);
  EXPECT_NE(rsm.registerObject(cls, 5, nullptr), 0u) << "a null result pointer is allowed";
  EXPECT_EQ(rsm.classFree(cls), RSM_RESULT_OK);
  rsm.classDelete(cls);
}

// Handles that name nothing: never dereferenced, always RSM_RESULT_INVALID.
TEST_F(Registry, GarbageAndStaleHandlesAreRefusedWithoutTouchingMemory) {
  uintptr_t cls = createClass(4);
  uintptr_t object = registerObject(cls, 77);
  uintptr_t other = createClass(4);
  uintptr_t staleObject = registerObject(other, 78);
  rsm.unregisterObject(staleObject);
  uintptr_t staleClass = other;
  ASSERT_EQ(rsm.classDelete(other), RSM_RESULT_OK);
  uintptr_t local = 0;
  const uintptr_t neverUsed = object + 2 * 3 * sizeof(uintptr_t);

  struct Case {
    const char* what;
    uintptr_t handle;
  };
  const Case objects[] = {
      {"small number", 1},
      {"all bits", UINTPTR_MAX},
      {"misaligned", object + 1},
      {"the class as object", cls},
      {"stack address", reinterpret_cast<uintptr_t>(&local)},
      {"stale object", staleObject},
      {"past the last entry", object + 4 * 3 * sizeof(uintptr_t)},
  };
  for (const Case& c : objects) {
    SCOPED_TRACE(c.what);
    uint16_t result = 0;
    EXPECT_EQ(rsm.unregisterObject(c.handle), RSM_RESULT_INVALID);
    EXPECT_EQ(rsm.setParent(c.handle, object), RSM_RESULT_INVALID);
    EXPECT_EQ(rsm.getParent(c.handle, &result), 0u);
    EXPECT_EQ(result, RSM_RESULT_INVALID);
    EXPECT_EQ(rsm.getClass(c.handle, &result), 0u);
    EXPECT_EQ(result, RSM_RESULT_INVALID);
    result = 0;
    EXPECT_EQ(rsm.check(c.handle, &result), 0u);
    EXPECT_EQ(result, RSM_RESULT_INVALID);
  }
  // An entry never used is inside a live block but was never registered.
  EXPECT_EQ(rsm.unregisterObject(neverUsed), RSM_RESULT_INVALID);

  const Case classes[] = {
      {"small number", 1},
      {"all bits", UINTPTR_MAX},
      {"an object as class", object},
      {"stack address", reinterpret_cast<uintptr_t>(&local)},
      {"stale class", staleClass},
      {"inside the class", cls + sizeof(uintptr_t)},
  };
  for (const Case& c : classes) {
    SCOPED_TRACE(c.what);
    uint16_t result = 0;
    RsmClassInfo info{};
    EXPECT_EQ(rsm.registerObject(c.handle, 5, &result), 0u);
    EXPECT_EQ(result, RSM_RESULT_INVALID);
    EXPECT_EQ(rsm.registerNoCheck(c.handle, 5, &result), 0u);
    EXPECT_EQ(result, RSM_RESULT_INVALID);
    EXPECT_EQ(rsm.getClassInfo(c.handle, &info), RSM_RESULT_INVALID);
    EXPECT_EQ(rsm.classFree(c.handle), RSM_RESULT_INVALID);
    EXPECT_EQ(rsm.classDelete(c.handle), RSM_RESULT_INVALID);
  }
  EXPECT_EQ(classInfo(cls).registered, 1u);
  rsm.unregisterObject(object);
  rsm.classDelete(cls);
}

// Every allocation of a scenario fails once in turn; each failure is reported
// as RSM_RESULT_NO_MEMORY and leaves nothing behind.
TEST_F(Registry, RunsOutOfMemoryAtEachAllocationCleanly) {
  // Allocations of the scenario: 1 the class, 2 its second block.
  for (uint64_t failing = 1; failing <= 2; ++failing) {
    SCOPED_TRACE(failing);
    host->memory().failAllocation(failing);
    uint16_t result = 0;
    uintptr_t cls = rsm.classCreateFkt(&morvick_test::unregisteringFree, 2, &result);
    if (failing == 1) {
      EXPECT_EQ(cls, 0u);
      EXPECT_EQ(result, RSM_RESULT_NO_MEMORY);
      EXPECT_EQ(host->semaphores().live(), 0u);
      RsmInfo info{};
      rsm.getInfo(&info);
      EXPECT_EQ(info.classCount, 0u);
      continue;
    }
    ASSERT_NE(cls, 0u);
    uintptr_t a = registerObject(cls, 1);
    uintptr_t b = registerObject(cls, 2);
    EXPECT_EQ(rsm.registerObject(cls, 3, &result), 0u);
    EXPECT_EQ(result, RSM_RESULT_NO_MEMORY);
    EXPECT_NE(rsm.registerNoCheck(cls, 3, &result), 0u) << "the next attempt fails no more";
    EXPECT_EQ(result, RSM_RESULT_OK);
    EXPECT_EQ(classInfo(cls).capacity, 4u);
    EXPECT_EQ(rsm.classFree(cls), RSM_RESULT_OK);
    EXPECT_EQ(classInfo(cls).registered, 0u);
    (void)a;
    (void)b;
    EXPECT_EQ(rsm.classDelete(cls), RSM_RESULT_OK);
  }
  // Semaphores are the other resource a class takes from the host.
  for (uint64_t failing = 1; failing <= 3; ++failing) {
    SCOPED_TRACE(failing);
    host->semaphores().failCreation(failing);
    uint16_t result = 0;
    EXPECT_EQ(rsm.classCreateFkt(&morvick_test::unregisteringFree, 0, &result), 0u);
    EXPECT_EQ(result, RSM_RESULT_NO_MEMORY);
    EXPECT_EQ(host->semaphores().live(), 0u);
    EXPECT_EQ(host->events().openCount(), 0);
  }
}

}  // namespace
