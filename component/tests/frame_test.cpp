#include <component/frame.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using component::ExportEntry;
using component::HostImport;
using component::HostSlots;
using component::Registrar;

// A fake host whose slots record every call; the host functions have no
// context argument, so the fake keeps its state in one static instance.
struct FakeHost {
  struct Call {
    std::string name;
    bool extended;
    uint32_t libraryFlag, fourth, hash, version;
  };
  std::vector<Call> calls;
  std::vector<std::string> logTexts;
  std::vector<uint32_t> logIds;
  size_t refuseAt = SIZE_MAX;  // index of the call to refuse
  std::vector<std::string> lookups;
  std::vector<std::string> missing;

  static FakeHost* instance;
  FakeHost() { instance = this; }
  ~FakeHost() { instance = nullptr; }

  static uint32_t registerPlain(const char* name, ComponentFunction, uint32_t flag, uint32_t fourth) {
    instance->calls.push_back({name, false, flag, fourth, 0, 0});
    return instance->calls.size() - 1 == instance->refuseAt ? 1 : 0;
  }
  static uint32_t registerEx(const char* name, ComponentFunction, uint32_t flag, uint32_t hash,
                             uint32_t version) {
    instance->calls.push_back({name, true, flag, 0, hash, version});
    return instance->calls.size() - 1 == instance->refuseAt ? 7 : 0;
  }
  static uint32_t log(uintptr_t logger, uint32_t id, uint32_t logClass, uint32_t error, uint32_t info,
                      const char* text) {
    EXPECT_EQ(logger, 0u);
    EXPECT_EQ(logClass, 4u);
    EXPECT_EQ(error, 1u);
    EXPECT_EQ(info, 0u);
    instance->logIds.push_back(id);
    instance->logTexts.emplace_back(text);
    return 0;
  }
  static void someFunction() {}
  static uint32_t getApi(const char* name, ComponentFunction* slot, uint32_t third) {
    EXPECT_EQ(third, 0u);
    instance->lookups.emplace_back(name);
    for (const std::string& absent : instance->missing) {
      if (absent == name) return 1;
    }
    *slot = &someFunction;
    return 0;
  }
  HostSlots slots() const {
    HostSlots s;
    s.registerApiFunction = &registerPlain;
    s.registerApiFunctionEx = &registerEx;
    s.getApiFunction = &getApi;
    return s;
  }
};
FakeHost* FakeHost::instance = nullptr;

void dummy() {}
uint32_t entryExport() { return 0; }
uint32_t entryImport() { return 0; }
uint32_t entryVersion() { return 0x03040300; }
uint32_t entryHook(uint32_t, uintptr_t, uintptr_t) { return 0; }
uint32_t hostNotify(uint32_t, uint32_t) { return 0; }
void reserved1() {}
void reserved2() {}
void reserved3() {}

TEST(PublishEntries, WritesTheComponentsEntriesAndCopiesEveryHostSlot) {
  ComponentInitRecord record{};
  record.registerApiFunction = &FakeHost::registerPlain;
  record.registerApiFunctionEx = &FakeHost::registerEx;
  record.getApiFunction = &FakeHost::getApi;
  record.hostReserved1 = &reserved1;
  record.hostReserved2 = &reserved2;
  record.hostReserved3 = &reserved3;
  record.hostNotify = &hostNotify;
  HostSlots slots;
  component::publishEntries(record, {0x4002, &entryExport, &entryImport, &entryVersion, &entryHook}, slots);

  EXPECT_EQ(record.componentId, 0x4002u);
  EXPECT_EQ(record.exportFunctions, &entryExport);
  EXPECT_EQ(record.importFunctions, &entryImport);
  EXPECT_EQ(record.getVersion, &entryVersion);
  EXPECT_EQ(record.hookEntry, &entryHook);
  ASSERT_NE(record.extraEntry1, nullptr);
  ASSERT_NE(record.extraEntry2, nullptr);
  EXPECT_EQ(record.extraEntry1(1, 2, 3), 0u);
  EXPECT_EQ(record.extraEntry2(1, 2, 3), 12u);
  // The host's slots are only read, never changed.
  EXPECT_EQ(record.registerApiFunction, &FakeHost::registerPlain);

  EXPECT_EQ(slots.registerApiFunction, &FakeHost::registerPlain);
  EXPECT_EQ(slots.registerApiFunctionEx, &FakeHost::registerEx);
  EXPECT_EQ(slots.getApiFunction, &FakeHost::getApi);
  EXPECT_EQ(slots.hostReserved1, &reserved1);
  EXPECT_EQ(slots.hostReserved2, &reserved2);
  EXPECT_EQ(slots.hostReserved3, &reserved3);
  EXPECT_EQ(slots.hostNotify, &hostNotify);
}

const ExportEntry kTable[] = {
    {"wrap_a", &dummy, COMPONENT_LIBRARY_CALL, Registrar::Extended, 0xD6D9FDA1, 0x03040000},
    {"wrap_b", &dummy, COMPONENT_LIBRARY_CALL, Registrar::Plain, 0, 0},
    {"Api_A", &dummy, COMPONENT_API_FUNCTION, Registrar::Plain, 0, 0},
    {"Api_B", &dummy, COMPONENT_API_FUNCTION, Registrar::Plain, 0, 0},
    {"Api_C", &dummy, COMPONENT_API_FUNCTION, Registrar::Extended, 5, 6},
};

TEST(ExportFunctions, RegistersTheWholeTableInOrderThroughTheChosenSlot) {
  FakeHost host;
  ASSERT_EQ(component::exportFunctions(host.slots(), kTable, 0x111, &FakeHost::log), 0u);
  ASSERT_EQ(host.calls.size(), std::size(kTable));
  for (size_t i = 0; i < std::size(kTable); ++i) {
    SCOPED_TRACE(kTable[i].name);
    EXPECT_EQ(host.calls[i].name, kTable[i].name);
    EXPECT_EQ(host.calls[i].extended, kTable[i].registrar == Registrar::Extended);
    EXPECT_EQ(host.calls[i].libraryFlag, kTable[i].libraryFlag);
    EXPECT_EQ(host.calls[i].fourth, 0u);
    EXPECT_EQ(host.calls[i].hash, kTable[i].signatureHash);
    EXPECT_EQ(host.calls[i].version, kTable[i].version);
  }
  EXPECT_TRUE(host.logTexts.empty());
}

TEST(ExportFunctions, StopsAtTheFirstRefusalAndLogsOnlyRefusedApiFunctionsOnce) {
  struct Case {
    size_t refuseAt;
    const char* expectedLog;  // null: no log entry
  };
  const Case cases[] = {
      {0, nullptr},  // a wrapper, refused through the extended slot
      {1, nullptr},  // a wrapper, refused through the plain slot
      {2, "Export of ApiFunction [Api_A] failed\n"},
      {3, "Export of ApiFunction [Api_B] failed\n"},
      {4, "Export of ApiFunction [Api_C] failed\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refuseAt);
    FakeHost host;
    host.refuseAt = c.refuseAt;
    EXPECT_EQ(component::exportFunctions(host.slots(), kTable, 0x4002, &FakeHost::log), 1u);
    EXPECT_EQ(host.calls.size(), c.refuseAt + 1) << "nothing is registered after a refusal";
    if (c.expectedLog) {
      ASSERT_EQ(host.logTexts.size(), 1u);
      EXPECT_EQ(host.logTexts[0], c.expectedLog);
      EXPECT_EQ(host.logIds[0], 0x4002u);
    } else {
      EXPECT_TRUE(host.logTexts.empty());
    }
  }
}

TEST(ExportFunctions, FailsCleanlyWithoutLogFunctionOrRegistrationSlots) {
  FakeHost host;
  host.refuseAt = 2;
  EXPECT_EQ(component::exportFunctions(host.slots(), kTable, 0x4002, nullptr), 1u);
  EXPECT_EQ(host.calls.size(), 3u);

  // A host without registration slots refuses everything; the first entry is
  // a wrapper, so nothing is logged.
  FakeHost bare;
  EXPECT_EQ(component::exportFunctions(HostSlots{}, kTable, 0x4002, &FakeHost::log), 1u);
  EXPECT_TRUE(bare.calls.empty());
  EXPECT_TRUE(bare.logTexts.empty());
}

TEST(ImportFunctions, AsksForEveryNameInOrderAndFailsOnlyForMissingRequiredOnes) {
  struct Case {
    std::vector<std::string> missing;
    uint32_t expected;
  };
  const Case cases[] = {
      {{}, 0},
      {{"Optional"}, 0},
      {{"RequiredB"}, 1},
      {{"RequiredA", "Optional"}, 1},
  };
  for (const Case& c : cases) {
    FakeHost host;
    host.missing = c.missing;
    ComponentFunction a = nullptr, b = nullptr, optional = nullptr;
    const HostImport imports[] = {
        {"Optional", &optional, false}, {"RequiredA", &a, true}, {"RequiredB", &b, true}};
    EXPECT_EQ(component::importFunctions(&FakeHost::getApi, imports), c.expected);
    EXPECT_EQ(host.lookups, (std::vector<std::string>{"Optional", "RequiredA", "RequiredB"}))
        << "every name is asked for, even after a missing one";
  }
  ComponentFunction slot = nullptr;
  const HostImport required[] = {{"RequiredA", &slot, true}};
  EXPECT_EQ(component::importFunctions(nullptr, required), 1u);
}

TEST(HostFunction, IsNullUntilBoundAndCallsWithItsRealType) {
  component::HostFunction<int(int, int)> add;
  EXPECT_FALSE(add.bound());
  *add.slot() = component::asComponentFunction(+[](int a, int b) { return a + b; });
  ASSERT_TRUE(add.bound());
  EXPECT_EQ(add(2, 3), 5);
}

}  // namespace
