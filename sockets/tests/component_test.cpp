// Gantrel on the component frame: the record exchange, the registration of
// its functions in the host's order, and its hooks.

#include <host/runtime_host.h>
#include <sockets/syssock_api.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <vector>

namespace {

const std::vector<std::string> kWrappers = {
    "syssockfdzero",        "syssockfdinit",      "syssockfdisset",        "syssockshutdown",
    "syssocksetsubnetmask", "syssocksetoption",   "syssocksetipaddress",   "syssocksendtoudp",
    "syssocksendto",        "syssocksend",        "syssockselect",         "syssockrecvfromudp2",
    "syssockrecvfromudp",   "syssockrecvfrom",    "syssockrecv",           "syssockping",
    "syssocklisten",        "syssockioctl",       "syssockinetntoa",       "syssockinetaddr",
    "syssockgetsubnetmask", "syssockgetrecvsizeudp", "syssockgetoshandle", "syssockgetoption",
    "syssockgethostname",   "syssockgethostbyname", "syssockcreateudp",    "syssockcreate",
    "syssockconnect",       "syssockcloseudp",    "syssockclose",          "syssockaccept",
    "syssockbind",          "syssockhtonl",       "syssockntohs",          "syssockntohl",
    "syssockhtons"};
const std::vector<std::string> kApiFunctions = {
    "SysSockFdZero",      "SysSockFdInit",       "SysSockFdIsset",         "SysSockGetSubnetMask",
    "SysSockSetSubnetMask", "SysSockPing",       "SysSockGetOSHandle",     "SysSockGetRecvSizeUdp",
    "SysSockRecvFromUdp", "SysSockSendToUdp",    "SysSockCloseUdp",        "SysSockCreateUdp",
    "SysSockSendTo",      "SysSockRecvFrom",     "SysSockSend",            "SysSockRecv",
    "SysSockIoctl",       "SysSockShutdown",     "SysSockSelect",          "SysSockConnect",
    "SysSockSetIPAddress", "SysSockAccept",      "SysSockListen",          "SysSockNtohl",
    "SysSockNtohs",       "SysSockHtonl",        "SysSockHtons",           "SysSockInetAddr",
    "SysSockInetNtoa",    "SysSockGetHostByName", "SysSockGetHostName",    "SysSockBind",
    "SysSockGetOption",   "SysSockSetOption",    "SysSockClose",           "SysSockCreate"};

TEST(GantrelComponent, EntryPublishesItsEntriesAndCallsNothingOfTheHost) {
  host::RuntimeHost host;
  host::LoadedComponent* gantrel = host.load(GANTREL_LIBRARY_PATH);
  ASSERT_NE(gantrel, nullptr) << host.loadError();
  const ComponentInitRecord& record = gantrel->record();
  EXPECT_EQ(gantrel->entryResult(), 0u);
  EXPECT_EQ(record.componentId, 0x111u);
  EXPECT_EQ(gantrel->getVersion(), 0x03040300u);
  EXPECT_EQ(record.extraEntry1(1, 2, 3), 0u);
  EXPECT_EQ(record.extraEntry2(1, 2, 3), 12u);
  EXPECT_EQ(gantrel->importFunctions(), 0u);
  EXPECT_TRUE(host.requestedHostFunctions().empty()) << "binds no host function";
  EXPECT_TRUE(host.notifications().empty());
  EXPECT_TRUE(host.unloadAll());
}

TEST(GantrelComponent, RegistersThirtySevenWrappersThenThirtySixApiFunctions) {
  host::RuntimeHost host;
  host::LoadedComponent* gantrel = host.load(GANTREL_LIBRARY_PATH);
  ASSERT_NE(gantrel, nullptr) << host.loadError();
  ASSERT_EQ(gantrel->exportFunctions(), 0u);
  std::vector<host::Registration> registrations = host.registrations();
  ASSERT_EQ(registrations.size(), 37u + 36u);
  const uint32_t hashes[] = {0xD6D9FDA1, 0x09C72D7D, 0x25248CA6};
  for (size_t i = 0; i < registrations.size(); ++i) {
    const host::Registration& r = registrations[i];
    const bool isWrapper = i < kWrappers.size();
    const bool extended = i < 3;
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.name, isWrapper ? kWrappers[i] : kApiFunctions[i - kWrappers.size()]);
    EXPECT_EQ(r.libraryFlag, isWrapper ? 1u : 0u);
    EXPECT_EQ(r.extended, extended);
    EXPECT_EQ(r.signatureHash, extended ? hashes[i] : 0u);
    EXPECT_EQ(r.version, extended ? 0x03040000u : 0u);
    EXPECT_EQ(r.reserved, 0u);
    EXPECT_NE(r.function, nullptr);
    EXPECT_TRUE(r.accepted);
  }
}

TEST(GantrelComponent, ARefusedRegistrationEndsTheExportSilently) {
  for (uint64_t refused : {1u, 3u, 4u, 37u, 38u, 41u, 73u}) {
    SCOPED_TRACE(refused);
    host::RuntimeHost host;
    host::LoadedComponent* gantrel = host.load(GANTREL_LIBRARY_PATH);
    ASSERT_NE(gantrel, nullptr);
    host.refuseRegistration(refused);
    EXPECT_EQ(gantrel->exportFunctions(), 1u);
    EXPECT_EQ(host.registrations().size(), refused) << "nothing after the refusal";
    EXPECT_TRUE(host.logEntries().empty()) << "Gantrel binds no log function";
  }
}

TEST(GantrelComponent, HooksAreHarmless) {
  host::RuntimeHost host;
  host::LoadedComponent* gantrel = host.start(GANTREL_LIBRARY_PATH);
  ASSERT_NE(gantrel, nullptr) << host.loadError();
  auto create = host.function<SysSockCreateFunction>("SysSockCreate");
  auto close = host.function<SysSockCloseFunction>("SysSockClose");
  uint32_t result = 0xDEAD;
  SocketHandle before = create(SYSSOCK_AF_INET, SYSSOCK_SOCK_DGRAM, 0, &result);
  ASSERT_EQ(result, RESULT_OK);
  for (uint32_t hook : {1u, 15u, 0u, 2u, 99u, 0xFFFFFFFFu}) EXPECT_EQ(gantrel->hook(hook, 5, 6), 0u) << hook;
  // After the "stop" hook sockets still work, and the one made before is intact.
  SocketHandle after = create(SYSSOCK_AF_INET, SYSSOCK_SOCK_DGRAM, 0, &result);
  EXPECT_EQ(result, RESULT_OK);
  EXPECT_EQ(close(before), RESULT_OK);
  EXPECT_EQ(close(after), RESULT_OK);
}

TEST(GantrelComponent, EntryRefusesANullRecord) {
  void* library = dlopen(GANTREL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto entry = reinterpret_cast<ComponentEntryFunction>(dlsym(library, COMPONENT_ENTRY_NAME));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry(nullptr), 1u);
  dlclose(library);
}

}  // namespace
