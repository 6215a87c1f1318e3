// The application events: opened with the first class, closed with the last,
// and freeing every parentless object when they concern a matching
// application.

#include "morvick_fixture.h"

#include <cstring>

namespace {

using morvick_test::MorvickTest;
using morvick_test::rsm;

using Events = MorvickTest;

TEST_F(Events, AreOpenWhileClassesExist) {
  EXPECT_EQ(host->events().openCount(), 0);
  uintptr_t a = createClass();
  EXPECT_EQ(host->events().openCount(RSM_EVENT_APPLICATION_A), 1);
  EXPECT_EQ(host->events().openCount(RSM_EVENT_APPLICATION_B), 1);
  EXPECT_EQ(host->events().callbackCount(), 2);
  uintptr_t b = createClass();
  EXPECT_EQ(host->events().openCount(), 2) << "opened once for all classes";
  EXPECT_EQ(host->semaphores().live(), 5u) << "the list semaphore and two per class";
  rsm.classDelete(a);
  EXPECT_EQ(host->events().openCount(), 2);
  rsm.classDelete(b);
  EXPECT_EQ(host->events().openCount(), 0);
  EXPECT_EQ(host->events().callbackCount(), 0);
}

TEST_F(Events, ARefusedEventFailsTheFirstClassAndOnlyItIsOpenedLater) {
  host->events().refuse(RSM_EVENT_APPLICATION_B);
  uint16_t result = 0;
  EXPECT_EQ(rsm.classCreateFkt(&morvick_test::unregisteringFree, 0, &result), 0u);
  EXPECT_EQ(result, RSM_RESULT_NO_EVENTS);
  EXPECT_EQ(host->semaphores().live(), 0u);
  EXPECT_EQ(host->memory().stats(RSM_MEMORY_TAG).liveBlocks, 0u);
  RsmInfo info{};
  rsm.getInfo(&info);
  EXPECT_EQ(info.classCount, 0u);

  host->events().accept(RSM_EVENT_APPLICATION_B);
  uintptr_t cls = createClass();
  EXPECT_EQ(host->events().openRequests(),
            (std::vector<uint32_t>{RSM_EVENT_APPLICATION_A, RSM_EVENT_APPLICATION_B, RSM_EVENT_APPLICATION_B}));
  EXPECT_EQ(host->events().openCount(), 2);
  rsm.classDelete(cls);
}

class EventFreeTest : public MorvickTest {
 protected:
  void SetUp() override {
    MorvickTest::SetUp();
    application = &host->applications().add("Plant");
    cls = createClass();
    child = registerObject(cls, 2);
    parentless = registerObject(cls, 1);
    rsm.setParent(child, parentless);
  }
  void TearDown() override {
    rsm.setParent(child, 0);
    rsm.classFree(cls);
    rsm.classDelete(cls);
    MorvickTest::TearDown();
  }
  bool parentlessFreedBy(uint32_t eventId, uint16_t kind, uint16_t phase, const char* text) {
    HostEventData data{application, text};
    HostEventParameter parameter{};
    parameter.kind = kind;
    parameter.phase = phase;
    parameter.data = &data;
    EXPECT_EQ(host->events().fire(eventId, &parameter), 1);
    uint16_t result = 0;
    return rsm.check(parentless, &result) == 0;
  }

  HostApplication* application = nullptr;
  uintptr_t cls = 0, child = 0, parentless = 0;
};

TEST_F(EventFreeTest, FreesParentlessObjectsForAMatchingApplication) {
  struct Case {
    const char* what;
    uint32_t eventId;
    uint16_t kind, phase;
    const char* text;
    uint32_t state;
    bool frees;
  };
  const Case cases[] = {
      {"other name", RSM_EVENT_APPLICATION_A, 1, 0, "Plant2", 0, false},
      {"name differs in case", RSM_EVENT_APPLICATION_A, 1, 0, "plant", 0, false},
      {"phase 2", RSM_EVENT_APPLICATION_A, 1, 2, "Plant", 0, false},
      {"kind 2", RSM_EVENT_APPLICATION_B, 2, 0, "Plant", 0, false},
      {"application not running", RSM_EVENT_APPLICATION_B, 1, 1, "Plant", 3, false},
      {"matching, phase 1, event B", RSM_EVENT_APPLICATION_B, 1, 1, "Plant", 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    application->state = c.state;
    EXPECT_EQ(parentlessFreedBy(c.eventId, c.kind, c.phase, c.text), c.frees);
  }
  uint16_t result = 0;
  EXPECT_EQ(rsm.check(child, &result), 2u) << "objects with a parent stay";
}

TEST_F(EventFreeTest, MatchesEvenAtPhaseZeroOnEventA) {
  EXPECT_TRUE(parentlessFreedBy(RSM_EVENT_APPLICATION_A, 1, 0, "Plant"));
}

TEST_F(EventFreeTest, IgnoresMalformedParameters) {
  host->events().fire(RSM_EVENT_APPLICATION_A, nullptr);
  HostEventParameter parameter{};
  parameter.kind = 1;
  host->events().fire(RSM_EVENT_APPLICATION_A, &parameter);  // no event data
  HostEventData data{nullptr, "Plant"};
  parameter.data = &data;
  host->events().fire(RSM_EVENT_APPLICATION_A, &parameter);  // no application
  data = HostEventData{application, nullptr};
  host->events().fire(RSM_EVENT_APPLICATION_A, &parameter);  // no text
  std::memset(application->name, 'P', sizeof application->name);
  EXPECT_FALSE(parentlessFreedBy(RSM_EVENT_APPLICATION_A, 1, 0, "Plant")) << "unterminated name";
  uint16_t result = 0;
  EXPECT_EQ(rsm.check(parentless, &result), 1u);
}

}  // namespace
