// Morvick on the component frame: the record exchange, the registration of
// its functions and the binding of the host's functions.

#include "morvick_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kWrappers = {
    "rsm_classfree",      "rsm_getparent", "rsm_check",       "rsm_getclassinfo",
    "rsm_setparent",      "rsm_register",  "rsm_getsupplierversion", "rsm_getclass",
    "rsm_classcreatefkt", "rsm_getinfo",   "rsm_classdelete", "rsm_unregister"};
const std::vector<std::string> kApiFunctions = {
    "RSM_RegisterNoCheck", "RSM_GetSupplierVersion", "RSM_GetInfo",      "RSM_Check",
    "RSM_Unregister",      "RSM_GetParent",          "RSM_SetParent",    "RSM_Register",
    "RSM_GetClassInfo",    "RSM_GetClass",           "RSM_ClassDelete",  "RSM_ClassFree",
    "RSM_ClassCreateFkt"};

TEST(MorvickComponent, EntryPublishesItsEntriesAndNotifiesTheHostOnce) {
  host::RuntimeHost host;
  host::LoadedComponent* morvick = host.load(MORVICK_LIBRARY_PATH);
  ASSERT_NE(morvick, nullptr) << host.loadError();
  const ComponentInitRecord& record = morvick->record();
  EXPECT_EQ(morvick->entryResult(), 0u);
  EXPECT_EQ(record.componentId, 0x4002u);
  EXPECT_EQ(morvick->getVersion(), 0x03040300u);
  EXPECT_EQ(record.extraEntry1(1, 2, 3), 0u);
  EXPECT_EQ(record.extraEntry2(1, 2, 3), 12u);
  for (uint32_t hook : {0u, 1u, 15u, 99u}) EXPECT_EQ(morvick->hook(hook, 5, 6), 0u);
  EXPECT_EQ(host.notifications(), (std::vector<std::pair<uint32_t, uint32_t>>{{0x4002, 0x4002}}));
  EXPECT_TRUE(host.unloadAll());
}

TEST(MorvickComponent, EntryMakesNoNotificationWithoutHostNotify) {
  host::RuntimeHost host;
  host::LoadedComponent* morvick =
      host.load(MORVICK_LIBRARY_PATH, [](ComponentInitRecord& record) { record.hostNotify = nullptr; });
  ASSERT_NE(morvick, nullptr);
  EXPECT_EQ(morvick->entryResult(), 0u);
  EXPECT_TRUE(host.notifications().empty());
}

TEST(MorvickComponent, RegistersTwelveWrappersThenThirteenApiFunctions) {
  host::RuntimeHost host;
  host::LoadedComponent* morvick = host.load(MORVICK_LIBRARY_PATH);
  ASSERT_NE(morvick, nullptr);
  ASSERT_EQ(morvick->exportFunctions(), 0u);
  auto registrations = host.registrations();
  ASSERT_EQ(registrations.size(), kWrappers.size() + kApiFunctions.size());
  for (size_t i = 0; i < registrations.size(); ++i) {
    const host::Registration& r = registrations[i];
    bool isWrapper = i < kWrappers.size();
    EXPECT_EQ(r.name, isWrapper ? kWrappers[i] : kApiFunctions[i - kWrappers.size()]);
    EXPECT_EQ(r.extended, isWrapper) << r.name;
    EXPECT_EQ(r.libraryFlag, isWrapper ? 1u : 0u) << r.name;
    EXPECT_EQ(r.signatureHash, 0u);
    EXPECT_EQ(r.version, 0u);
    EXPECT_EQ(r.reserved, 0u);
    EXPECT_NE(r.function, nullptr);
  }
}

TEST(MorvickComponent, ARefusedRegistrationEndsTheExportAndOnlyApiFunctionsAreLogged) {
  struct Case {
    uint64_t refuse;     // nth registration refused
    bool importFirst;    // LogAdd bound before the export
    const char* logged;  // expected single log text, or null
  };
  const Case cases[] = {
      {1, true, nullptr},                                        // first wrapper
      {12, true, nullptr},                                       // last wrapper
      {13, true, "Export of ApiFunction [RSM_RegisterNoCheck] failed\n"},
      {16, true, "Export of ApiFunction [RSM_Check] failed\n"},  // the fourth API function
      {25, true, "Export of ApiFunction [RSM_ClassCreateFkt] failed\n"},
      {16, false, nullptr},                                      // LogAdd not bound yet
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refuse);
    host::RuntimeHost host;
    host::LoadedComponent* morvick = host.load(MORVICK_LIBRARY_PATH);
    ASSERT_NE(morvick, nullptr);
    if (c.importFirst) {
      ASSERT_EQ(morvick->importFunctions(), 0u);
    }
    host.refuseRegistration(c.refuse);
    EXPECT_EQ(morvick->exportFunctions(), 1u);
    EXPECT_EQ(host.registrations().size(), c.refuse) << "nothing is registered after the refusal";
    auto log = host.logEntries();
    if (c.logged == nullptr) {
      EXPECT_TRUE(log.empty());
      continue;
    }
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].text, c.logged);
    EXPECT_EQ(log[0].logger, 0u);
    EXPECT_EQ(log[0].componentId, 0x4002u);
    EXPECT_EQ(log[0].logClass, 4u);
    EXPECT_EQ(log[0].errorId, 1u);
    EXPECT_EQ(log[0].infoId, 0u);
  }
}

TEST(MorvickComponent, BindsSeventeenHostFunctionsAndNeedsFourteen) {
  const std::vector<std::string> order = {
      "LogAdd", "EventUnregisterCallbackFunction", "EventRegisterCallbackFunction", "EventClose",
      "EventOpen", "SysSemLeave", "SysSemEnter", "SysSemDelete", "SysSemCreate", "SysMemFreeData",
      "SysMemAllocData", "IoMgrGetConfigApplication", "AppGetNextApp", "AppGetFirstApp",
      "SysCpuCallIecFuncWithParams", "SysIntDisableAll", "SysIntEnableAll"};
  const std::vector<std::string> optional = {"LogAdd", "SysIntDisableAll", "SysIntEnableAll"};
  for (const std::string& missing : order) {
    SCOPED_TRACE(missing);
    host::RuntimeHost host;
    host.removeHostFunction(missing);
    host::LoadedComponent* morvick = host.load(MORVICK_LIBRARY_PATH);
    ASSERT_NE(morvick, nullptr);
    bool isOptional = std::find(optional.begin(), optional.end(), missing) != optional.end();
    EXPECT_EQ(morvick->importFunctions(), isOptional ? 0u : 1u);
    EXPECT_EQ(host.requestedHostFunctions(), order) << "every name is asked for, in order";
  }
}

TEST(MorvickComponent, RefusesToCreateClassesWithoutTheRequiredHostFunctions) {
  host::RuntimeHost host;
  host.removeHostFunction("SysSemCreate");
  host::LoadedComponent* morvick = host.load(MORVICK_LIBRARY_PATH);
  ASSERT_NE(morvick, nullptr);
  ASSERT_EQ(morvick->exportFunctions(), 0u);
  EXPECT_EQ(morvick->importFunctions(), 1u);
  auto create = host.function<RsmClassCreateFktFunction>("RSM_ClassCreateFkt");
  uint16_t result = 0;
  EXPECT_EQ(create(&morvick_test::unregisteringFree, 0, &result), 0u);
  EXPECT_EQ(result, RSM_RESULT_REFUSED);
  EXPECT_EQ(host.memory().totalAllocations(), 0u);
}

}  // namespace
