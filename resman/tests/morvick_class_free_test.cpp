// RSM_ClassFree: passes over the parentless objects, free functions that
// call back, that misbehave or that belong to the control program.

#include "morvick_fixture.h"

#include <cstring>
#include <vector>

namespace {

using morvick_test::MorvickTest;
using morvick_test::rsm;

using ClassFree = MorvickTest;

std::vector<uintptr_t> freed;
std::vector<uint16_t> nestedResults;
int calls = 0;
uintptr_t classToDelete = 0;

uint16_t recordingFree(uintptr_t object) {
  freed.push_back(*reinterpret_cast<uintptr_t*>(object));
  rsm.unregisterObject(object);
  return 0;
}

uint16_t nestedFree(uintptr_t object) {
  rsm.unregisterObject(object);
  nestedResults.push_back(rsm.classFree(0));
  return 0;
}

uint16_t refusingFree(uintptr_t) {
  ++calls;
  return 3;
}

uint16_t lyingFree(uintptr_t) {
  ++calls;
  return 0;
}

// Unregisters every object of its class at the first call and deletes it.
std::vector<uintptr_t> classObjects;
uint16_t deletingFree(uintptr_t) {
  ++calls;
  for (uintptr_t object : classObjects) rsm.unregisterObject(object);
  EXPECT_EQ(rsm.classDelete(classToDelete), RSM_RESULT_OK);
  return 0;
}

class ClassFreeTest : public MorvickTest {
 protected:
  void SetUp() override {
    MorvickTest::SetUp();
    freed.clear();
    calls = 0;
    nestedResults.clear();
  }
};

TEST_F(ClassFreeTest, FreesParentlessObjectsOfOneClassOrOfAllNewestFirst) {
  uintptr_t older = createClass(0, &recordingFree);
  uintptr_t newer = createClass(0, &recordingFree);
  uintptr_t a = registerObject(older, 1);
  uintptr_t b = registerObject(older, 2);
  registerObject(newer, 3);
  uintptr_t child = registerObject(newer, 4);
  ASSERT_EQ(rsm.setParent(child, a), RSM_RESULT_OK);
  ASSERT_EQ(rsm.setParent(b, a), RSM_RESULT_OK);

  EXPECT_EQ(rsm.classFree(older), RSM_RESULT_OK);
  EXPECT_EQ(freed, (std::vector<uintptr_t>{1}));
  freed.clear();
  rsm.setParent(child, 0);
  rsm.setParent(b, 0);
  EXPECT_EQ(rsm.classFree(0), RSM_RESULT_OK);
  EXPECT_EQ(freed, (std::vector<uintptr_t>{3, 4, 2})) << "newest class first, entries in order";
  EXPECT_EQ(classInfo(older).registered, 0u);
  EXPECT_EQ(classInfo(newer).registered, 0u);
  EXPECT_EQ(rsm.classFree(0), RSM_RESULT_OK) << "nothing to free";
  rsm.classDelete(older);
  rsm.classDelete(newer);
  EXPECT_EQ(rsm.classFree(0), RSM_RESULT_OK) << "no class at all";
}

TEST_F(ClassFreeTest, ReturnsTheLastResultAndStopsAfterAPassWhoseLastCallFailed) {
  uintptr_t cls = createClass(0, &refusingFree);
  uintptr_t a = registerObject(cls, 1);
  uintptr_t b = registerObject(cls, 2);
  EXPECT_EQ(rsm.classFree(cls), 3u);
  EXPECT_EQ(calls, 2) << "one pass";
  rsm.unregisterObject(a);
  rsm.unregisterObject(b);
  rsm.classDelete(cls);
}

TEST_F(ClassFreeTest, EndsPassesThatMakeNoProgress) {
  uintptr_t cls = createClass(0, &lyingFree);
  uintptr_t a = registerObject(cls, 1);
  uintptr_t b = registerObject(cls, 2);
  EXPECT_EQ(rsm.classFree(cls), RSM_RESULT_CLASS_IN_USE) << "objects remain registered";
  EXPECT_EQ(calls, 2) << "a second pass would call the same functions again";
  EXPECT_EQ(classInfo(cls).registered, 2u);
  rsm.unregisterObject(a);
  rsm.unregisterObject(b);
  rsm.classDelete(cls);
}

TEST_F(ClassFreeTest, IsBusyInsideAFreeFunctionUnlessTheLastObjectIsBeingFreed) {
  uintptr_t cls = createClass(0, &nestedFree);
  registerObject(cls, 1);
  registerObject(cls, 2);
  EXPECT_EQ(rsm.classFree(cls), RSM_RESULT_OK);
  // The last object's call runs with the flag already cleared.
  EXPECT_EQ(nestedResults, (std::vector<uint16_t>{RSM_RESULT_FREE_BUSY, RSM_RESULT_OK}));
  EXPECT_EQ(rsm.classDelete(cls), RSM_RESULT_OK);
}

TEST_F(ClassFreeTest, RefusesRegistrationsWhileAFreeIsRunning) {
  static uintptr_t target = 0;
  static uint16_t registerResult = 0;
  target = createClass();
  auto registeringFree = +[](uintptr_t object) -> uint16_t {
    rsm.registerObject(target, 99, &registerResult);
    rsm.unregisterObject(object);
    return 0;
  };
  uintptr_t cls = createClass(0, registeringFree);
  registerObject(cls, 1);
  registerObject(cls, 2);
  EXPECT_EQ(rsm.classFree(cls), RSM_RESULT_OK);
  EXPECT_EQ(classInfo(target).registered, 1u) << "only the call for the last object could register";
  rsm.classFree(target);
  rsm.classDelete(target);
  rsm.classDelete(cls);
}

TEST_F(ClassFreeTest, SurvivesAFreeFunctionThatDeletesItsClass) {
  for (bool all : {false, true}) {
    SCOPED_TRACE(all);
    calls = 0;
    uintptr_t survivor = createClass(0, &recordingFree);
    classToDelete = createClass(0, &deletingFree);
    classObjects.clear();
    for (uintptr_t r = 1; r <= 3; ++r) classObjects.push_back(registerObject(classToDelete, r));
    registerObject(survivor, 50);
    freed.clear();
    EXPECT_EQ(rsm.classFree(all ? 0 : classToDelete), RSM_RESULT_OK);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(freed, all ? std::vector<uintptr_t>{50} : std::vector<uintptr_t>{});
    RsmInfo info{};
    rsm.getInfo(&info);
    EXPECT_EQ(info.classCount, 1u);
    rsm.classFree(survivor);
    EXPECT_EQ(rsm.classDelete(survivor), RSM_RESULT_OK);
  }
}

// A free function of the control program: its address lies in a code area,
// and the host calls the function whose address is stored there.
uint32_t controlProgramFree(void* parameters, uint32_t size) {
  EXPECT_EQ(size, sizeof(uintptr_t));
  uintptr_t object;
  std::memcpy(&object, parameters, sizeof object);
  freed.push_back(*reinterpret_cast<uintptr_t*>(object));
  rsm.unregisterObject(object);
  return 0x10000;  // only the low 16 bits are the result
}

TEST_F(ClassFreeTest, CallsControlProgramFreeFunctionsThroughTheHost) {
  host->applications().add("Other");  // no code areas
  HostApplication& application = host->applications().add("Plant");
  alignas(uintptr_t) unsigned char codeArea[64] = {};
  auto function = reinterpret_cast<uintptr_t>(&controlProgramFree);
  std::memcpy(codeArea + 16, &function, sizeof function);
  application.codeAreaStart[0] = 0x1000;  // an area elsewhere
  application.codeAreaSize[0] = 0x10;
  application.codeAreaStart[1] = reinterpret_cast<uintptr_t>(codeArea);
  application.codeAreaSize[1] = sizeof codeArea;

  auto freeFunction = reinterpret_cast<RsmFreeFunction>(codeArea + 16);
  uintptr_t cls = createClass(0, freeFunction);
  uintptr_t object = registerObject(cls, 42);
  EXPECT_EQ(rsm.classFree(cls), RSM_RESULT_OK);
  EXPECT_EQ(freed, std::vector<uintptr_t>{42});
  auto iec = host->applications().iecCalls();
  ASSERT_EQ(iec.size(), 1u);
  EXPECT_EQ(iec[0].function, function);
  EXPECT_EQ(iec[0].size, sizeof(uintptr_t));
  uintptr_t passed;
  std::memcpy(&passed, iec[0].parameters.data(), sizeof passed);
  EXPECT_EQ(passed, object);

  // Just past the area's end the function is called directly again.
  freed.clear();
  application.codeAreaSize[1] = 16;
  uintptr_t direct = createClass(0, &recordingFree);
  registerObject(direct, 7);
  application.codeAreaStart[1] = reinterpret_cast<uintptr_t>(&recordingFree) - 16;
  EXPECT_EQ(rsm.classFree(direct), RSM_RESULT_OK);
  EXPECT_EQ(freed, std::vector<uintptr_t>{7});
  EXPECT_EQ(host->applications().iecCalls().size(), 1u);
  rsm.classDelete(cls);
  rsm.classDelete(direct);
}

}  // namespace
