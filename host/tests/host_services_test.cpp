#include <host/runtime_host.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

using host::RuntimeHost;

TEST(HostMemory, AccountsPerTagAndFailsTheNthAllocation) {
  RuntimeHost host;
  auto& memory = host.memory();
  uint32_t result = 99;
  void* a = memory.allocate("Morvick", 100, &result);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(static_cast<unsigned char*>(a)[0], 0xA5) << "fresh blocks are not zeroed";
  void* b = memory.allocate("Other", 8, nullptr);
  host::TagStats stats = memory.stats("Morvick");
  EXPECT_EQ(stats.liveBlocks, 1u);
  EXPECT_EQ(stats.liveBytes, 100u);
  EXPECT_EQ(stats.sizes, std::vector<uint32_t>{100});

  memory.failAllocation(2);
  void* c = memory.allocate("Morvick", 4, nullptr);
  EXPECT_NE(c, nullptr);
  EXPECT_EQ(memory.allocate("Morvick", 4, &result), nullptr);
  EXPECT_EQ(result, 1u);
  void* d = memory.allocate("Morvick", 4, nullptr);
  EXPECT_NE(d, nullptr) << "only the nth allocation fails";
  EXPECT_EQ(memory.stats("Morvick").refused, 1u);

  for (void* block : {a, c, d}) EXPECT_EQ(memory.free("Morvick", block), 0u);
  EXPECT_EQ(memory.free("Other", b), 0u);
  EXPECT_EQ(memory.stats("Morvick").liveBlocks, 0u);
  EXPECT_EQ(memory.stats("Morvick").liveBytes, 0u);
  EXPECT_TRUE(host.violations().empty());
}

TEST(HostMemory, RecordsDoubleFreesAndFreesUnderAnotherTag) {
  RuntimeHost host;
  void* block = host.memory().allocate("Morvick", 16, nullptr);
  EXPECT_NE(host.memory().free("Gantrel", block), 0u);
  EXPECT_EQ(host.memory().free("Morvick", block), 0u);
  EXPECT_NE(host.memory().free("Morvick", block), 0u);
  EXPECT_EQ(host.violations().size(), 2u);
}

TEST(HostSemaphores, ExcludeThreadsAndRecordBrokenRules) {
  RuntimeHost host;
  auto& semaphores = host.semaphores();
  uintptr_t semaphore = semaphores.create(nullptr);
  ASSERT_NE(semaphore, HOST_INVALID_HANDLE);
  EXPECT_EQ(semaphores.live(), 1u);
  EXPECT_EQ(semaphores.enter(semaphore), 0u);
  EXPECT_EQ(host::HostSemaphores::heldByThisThread(), 1);
  EXPECT_NE(semaphores.enter(semaphore), 0u) << "re-entering would deadlock; it is refused";
  host.memory().free("Morvick", host.memory().allocate("Morvick", 1, nullptr));
  EXPECT_NE(semaphores.destroy(semaphore), 0u) << "a held semaphore cannot be deleted";
  EXPECT_EQ(host.violations().size(), 3u);
  EXPECT_EQ(semaphores.leave(semaphore), 0u);
  EXPECT_NE(semaphores.leave(semaphore), 0u);
  EXPECT_EQ(host::HostSemaphores::heldByThisThread(), 0);

  uintptr_t other = semaphores.create(nullptr);
  EXPECT_EQ(semaphores.destroy(other), 0u);
  semaphores.failCreation(1);
  uint32_t result = 0;
  EXPECT_EQ(semaphores.create(&result), HOST_INVALID_HANDLE);
  EXPECT_EQ(result, 1u);
  EXPECT_EQ(semaphores.created(), 2u);
}

int fired = 0;
HostEventParameter* lastParameter = nullptr;
void countingCallback(HostEventParameter* parameter) {
  ++fired;
  lastParameter = parameter;
}

TEST(HostEvents, OpenRefuseFireAndClose) {
  RuntimeHost host;
  auto& events = host.events();
  events.refuse(0x1001B);
  uint32_t result = 0;
  EXPECT_EQ(events.open(0x1001B, 2, &result), HOST_INVALID_HANDLE);
  EXPECT_EQ(result, 1u);
  uintptr_t event = events.open(0x1001A, 2, &result);
  ASSERT_NE(event, HOST_INVALID_HANDLE);
  EXPECT_EQ(events.registerCallback(event, &countingCallback, 0), 0u);

  fired = 0;
  HostEventParameter parameter{};
  EXPECT_EQ(events.fire(0x1001B, &parameter), 0);
  EXPECT_EQ(events.fire(0x1001A, &parameter), 1);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(lastParameter, &parameter);

  EXPECT_EQ(events.unregisterCallback(event, &countingCallback), 0u);
  EXPECT_EQ(events.fire(0x1001A, &parameter), 0);
  EXPECT_EQ(events.close(event), 0u);
  EXPECT_EQ(events.openCount(), 0);
  EXPECT_NE(events.close(event), 0u);
  EXPECT_EQ(events.openRequests(), (std::vector<uint32_t>{0x1001B, 0x1001A}));
  events.accept(0x1001B);
  uintptr_t reopened = events.open(0x1001B, 2, nullptr);
  EXPECT_NE(reopened, HOST_INVALID_HANDLE);
  events.close(reopened);
  EXPECT_EQ(host.violations().size(), 1u);
}

uint32_t iecFunction(void* parameters, uint32_t size) {
  uint32_t value;
  std::memcpy(&value, parameters, sizeof value);
  return value + size;
}

TEST(HostApplications, ListsApplicationsAndCallsTheControlProgram) {
  RuntimeHost host;
  auto& applications = host.applications();
  EXPECT_EQ(applications.first(), nullptr);
  HostApplication& first = applications.add("Plant");
  HostApplication& second = applications.add("Line");
  EXPECT_EQ(applications.first(), &first);
  EXPECT_EQ(applications.next(&first), &second);
  EXPECT_EQ(applications.next(&second), nullptr);
  EXPECT_STREQ(second.name, "Line");
  EXPECT_EQ(second.state, 0u);

  uint32_t parameter = 40;
  EXPECT_EQ(applications.callIec(reinterpret_cast<uintptr_t>(&iecFunction), &parameter, 2), 42u);
  applications.setIecHandler([](uintptr_t, void*, uint32_t size) { return size * 2; });
  EXPECT_EQ(applications.callIec(1234, &parameter, 4), 8u);
  auto calls = applications.iecCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].function, 1234u);
  EXPECT_EQ(calls[1].size, 4u);
  EXPECT_EQ(calls[1].parameters.size(), 4u);
}

}  // namespace
