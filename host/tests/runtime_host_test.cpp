#include <host/runtime_host.h>

#include <gtest/gtest.h>

namespace {

using host::RuntimeHost;

struct AddParameters {
  uint32_t left;
  uint32_t right;
  uint32_t sum;
};

TEST(RuntimeHostLoading, RunsTheEntryAndKeepsTheRegisteredFunctionsByName) {
  RuntimeHost host;
  host::LoadedComponent* probe = host.load(PROBE_COMPONENT_PATH);
  ASSERT_NE(probe, nullptr) << host.loadError();
  EXPECT_EQ(probe->entryResult(), 0u);
  EXPECT_EQ(probe->record().componentId, 0x7777u);
  EXPECT_EQ(probe->getVersion(), 0x01020304u);
  EXPECT_EQ(probe->hook(15), 15u);

  ASSERT_EQ(probe->exportFunctions(), 0u);
  auto registrations = host.registrations();
  ASSERT_EQ(registrations.size(), 4u);
  EXPECT_EQ(registrations[0].name, "probeadd");
  EXPECT_TRUE(registrations[0].extended);
  EXPECT_EQ(registrations[0].signatureHash, 0x1234u);
  EXPECT_EQ(registrations[0].version, 0x03040000u);
  EXPECT_EQ(registrations[0].libraryFlag, 1u);
  EXPECT_EQ(registrations[3].name, "ProbeBound");
  EXPECT_FALSE(registrations[3].extended);
  EXPECT_EQ(registrations[3].libraryFlag, 0u);

  AddParameters parameters{40, 2, 0};
  ASSERT_TRUE(host.callWrapper("probeadd", &parameters));
  EXPECT_EQ(parameters.sum, 42u);
  EXPECT_FALSE(host.callWrapper("ProbeAdd", &parameters)) << "an API function is no wrapper";
  EXPECT_FALSE(host.callWrapper("nosuch", &parameters));
  auto add = host.function<uint32_t (*)(uint32_t, uint32_t)>("ProbeAdd");
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add(1, 2), 3u);

  auto bound = host.function<uint32_t (*)()>("ProbeBound");
  EXPECT_EQ(bound(), 0u);
  ASSERT_EQ(probe->importFunctions(), 0u);
  EXPECT_EQ(bound(), 1u);
  EXPECT_EQ(host.requestedHostFunctions(),
            (std::vector<std::string>{"LogAdd", "SysMemAllocData", "SysIntEnableAll"}));

  EXPECT_TRUE(host.unloadAll()) << "the library must leave the process";
  EXPECT_EQ(host.find("ProbeAdd"), nullptr);
  EXPECT_TRUE(host.violations().empty());
}

TEST(RuntimeHostLoading, ReportsLibrariesThatCannotBeLoaded) {
  RuntimeHost host;
  EXPECT_EQ(host.load("/nonexistent/libnothing.so"), nullptr);
  EXPECT_FALSE(host.loadError().empty());
  EXPECT_EQ(host.start("/nonexistent/libnothing.so"), nullptr);
}

TEST(RuntimeHostFaults, RefusesTheNthRegistrationAndLogsThroughLogAdd) {
  RuntimeHost host;
  host::LoadedComponent* probe = host.load(PROBE_COMPONENT_PATH);
  ASSERT_NE(probe, nullptr);
  ASSERT_EQ(probe->importFunctions(), 0u);
  host.refuseRegistration(4);
  EXPECT_EQ(probe->exportFunctions(), 1u);
  auto registrations = host.registrations();
  ASSERT_EQ(registrations.size(), 4u);
  EXPECT_FALSE(registrations[3].accepted);
  EXPECT_EQ(host.find("ProbeBound"), nullptr);
  auto log = host.logEntries();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].text, "Export of ApiFunction [ProbeBound] failed\n");
  EXPECT_EQ(log[0].componentId, 0x7777u);
}

TEST(RuntimeHostFaults, LacksNamedHostFunctions) {
  struct Case {
    const char* removed;
    uint32_t expected;
  };
  for (const Case& c : {Case{"SysIntEnableAll", 0}, Case{"SysMemAllocData", 1}}) {
    RuntimeHost host;
    host.removeHostFunction(c.removed);
    host::LoadedComponent* probe = host.load(PROBE_COMPONENT_PATH);
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(probe->importFunctions(), c.expected) << c.removed;
  }
}

TEST(RuntimeHostFaults, RefusesASecondFunctionUnderTheSameName) {
  RuntimeHost host;
  host::LoadedComponent* probe = host.load(PROBE_COMPONENT_PATH);
  ASSERT_NE(probe, nullptr);
  ASSERT_EQ(probe->exportFunctions(), 0u);
  EXPECT_EQ(probe->exportFunctions(), 1u);
}

TEST(RuntimeHostLoading, LetsATestAdjustTheRecordBeforeTheEntryRuns) {
  RuntimeHost host;
  host::LoadedComponent* probe =
      host.load(PROBE_COMPONENT_PATH, [](ComponentInitRecord& record) { record.getApiFunction = nullptr; });
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->importFunctions(), 1u) << "nothing can be bound without getApiFunction";
}

}  // namespace
