// The sample server and the server list as a client finds them: registered
// by their libraries into a registry of the test's own, then created through
// the registry (ProgID, CurVer, CLSID, library) with CoCreateInstanceEx.

#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "com/objbase.h"
#include "com/oleauto.h"
#include "com/ptr.h"
#include "opc/opcda.h"
#include "win/registry.h"

extern char** environ;

namespace {

// A registry of the test's own while the object lives.
class ScratchRegistry {
 public:
  ScratchRegistry() {
    char pattern[] = "/tmp/velmora-opc-XXXXXX";
    if (mkdtemp(pattern) != nullptr) dir_ = pattern;
    setenv("VELMORA_REGISTRY", (dir_ + "/registry.reg").c_str(), 1);
  }
  ~ScratchRegistry() {
    unsetenv("VELMORA_REGISTRY");
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

 private:
  std::string dir_;
};

int runRegsvr(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), REGSVR_PATH);
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, REGSVR_PATH, nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::string defaultValue(const char* key) {
  char value[256] = {};
  LONG size = sizeof(value);
  if (RegQueryValueA(HKEY_CLASSES_ROOT, key, value, &size) != ERROR_SUCCESS) return "<missing>";
  return value;
}

std::u16string wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::u16string takeString(LPOLESTR text) {
  std::u16string result = text == nullptr ? u"" : text;
  CoTaskMemFree(text);
  return result;
}

com::Ptr<IOPCServer> createServer(const char* progId, HRESULT* result = nullptr) {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(wide(progId).c_str(), &clsid);
  com::Ptr<IOPCServer> server;
  if (SUCCEEDED(hr)) {
    MULTI_QI request{&IID_IOPCServer, nullptr, S_OK};
    hr = CoCreateInstanceEx(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, nullptr, 1, &request);
    if (SUCCEEDED(hr)) server = com::Ptr<IOPCServer>::attach(static_cast<IOPCServer*>(request.pItf));
  }
  if (result != nullptr) *result = hr;
  return server;
}

size_t flatItemCount(IOPCServer* server, const char16_t* filter) {
  com::Ptr<IOPCBrowseServerAddressSpace> browse;
  server->QueryInterface(IID_IOPCBrowseServerAddressSpace, browse.putVoid());
  com::Ptr<IEnumString> names;
  browse->BrowseOPCItemIDs(OPC_FLAT, filter, VT_EMPTY, 0, names.put());
  size_t count = 0;
  LPOLESTR batch[100];
  ULONG fetched = 0;
  HRESULT hr;
  do {
    hr = names->Next(100, batch, &fetched);
    for (ULONG i = 0; i < fetched; ++i) CoTaskMemFree(batch[i]);
    count += fetched;
  } while (hr == S_OK);
  return count;
}

// The libraries are registered once per suite (registering is slow); tests
// that add registry entries remove them again.
class SampleActivationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("VELMORA_SAMPLE_MANY_ITEMS", "50", 1);
    registry = new ScratchRegistry;
    registered = runRegsvr({SAMPLE_SERVER_PATH, SERVER_LIST_PATH}) == 0;
  }
  static void TearDownTestSuite() {
    delete registry;
    registry = nullptr;
    unsetenv("VELMORA_SAMPLE_MANY_ITEMS");
  }

  void SetUp() override {
    ASSERT_TRUE(registered);
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  }
  // Leaving COM unloads the libraries, so the leak check sees all they made.
  void TearDown() override { CoUninitialize(); }

  static inline ScratchRegistry* registry = nullptr;
  static inline bool registered = false;
};

TEST_F(SampleActivationTest, TheBuildRegistersEveryClassWithItsMarks) {
  EXPECT_EQ(defaultValue("Pelkor.DataSample\\CurVer"), "Pelkor.DataSample.1");
  EXPECT_NE(defaultValue("Pelkor.DataSample\\OPC"), "<missing>");
  EXPECT_EQ(defaultValue("Pelkor.DataSample.FailingStatus\\CurVer"), "Pelkor.DataSample.FailingStatus.1");
  const std::string clsid = defaultValue("Pelkor.DataSample.1\\CLSID");
  EXPECT_EQ(clsid, "{B475D66A-1569-4828-A8F8-0F6CED3129BB}");
  for (const char* category : {"{63D5F430-CFE4-11D1-B2C8-0060083BA1FB}", "{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}"}) {
    EXPECT_NE(defaultValue(("CLSID\\" + clsid + "\\Implemented Categories\\" + category).c_str()), "<missing>");
  }
}

TEST_F(SampleActivationTest, AVersionIndependentProgIdLeadsToTheServer) {
  com::Ptr<IOPCServer> server = createServer("Pelkor.DataSample");
  ASSERT_TRUE(server);
  OPCSERVERSTATUS* status = nullptr;
  ASSERT_EQ(server->GetStatus(&status), S_OK);
  EXPECT_EQ(takeString(status->szVendorInfo), u"Pelkor Data Sample Server");
  CoTaskMemFree(status);
  // The many-items size comes from the environment.
  EXPECT_EQ(flatItemCount(server.get(), u"ManyItems.*"), 50u);
}

TEST_F(SampleActivationTest, TheManyItemsSizeCanComeFromTheRegistry) {
  unsetenv("VELMORA_SAMPLE_MANY_ITEMS");
  const char size[] = "30";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "Pelkor.DataSample\\Settings", &key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "ManyItems", 0, REG_SZ, reinterpret_cast<const BYTE*>(size), sizeof(size)),
            ERROR_SUCCESS);
  RegCloseKey(key);
  com::Ptr<IOPCServer> server = createServer("Pelkor.DataSample");
  ASSERT_TRUE(server);
  EXPECT_EQ(flatItemCount(server.get(), u"ManyItems.*"), 30u);
  setenv("VELMORA_SAMPLE_MANY_ITEMS", "50", 1);
  EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "Pelkor.DataSample\\Settings"), ERROR_SUCCESS);
}

TEST_F(SampleActivationTest, EachFaultVariantShowsItsFault) {
  struct Case {
    const char* progId;
    std::function<void(IOPCServer*)> check;
  };
  auto groupOf = [](IOPCServer* server) {
    com::Ptr<IUnknown> group;
    OPCHANDLE handle;
    DWORD revised;
    EXPECT_EQ(server->AddGroup(u"G", TRUE, 1000, 1, nullptr, nullptr, 0, &handle, &revised, IID_IUnknown,
                               group.put()),
              S_OK);
    return group;
  };
  const Case cases[] = {
      {"Pelkor.DataSample.Minimal",
       [](IOPCServer* server) {
         com::Ptr<IUnknown> optional;
         EXPECT_EQ(server->QueryInterface(IID_IOPCCommon, optional.putVoid()), E_NOINTERFACE);
         EXPECT_EQ(server->QueryInterface(IID_IConnectionPointContainer, optional.putVoid()), E_NOINTERFACE);
       }},
      {"Pelkor.DataSample.NoGroupEnumerator",
       [](IOPCServer* server) {
         com::Ptr<IUnknown> names;
         EXPECT_EQ(server->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IEnumString, names.put()), E_NOTIMPL);
       }},
      {"Pelkor.DataSample.NoBrowsePosition",
       [](IOPCServer* server) {
         com::Ptr<IOPCBrowseServerAddressSpace> browse;
         server->QueryInterface(IID_IOPCBrowseServerAddressSpace, browse.putVoid());
         LPWSTR id = nullptr;
         EXPECT_EQ(browse->GetItemID(const_cast<LPWSTR>(u""), &id), E_FAIL);
       }},
      {"Pelkor.DataSample.FixedClientHandles",
       [&](IOPCServer* server) {
         com::Ptr<IUnknown> group = groupOf(server);
         com::Ptr<IOPCItemMgt> items;
         group->QueryInterface(IID_IOPCItemMgt, items.putVoid());
         OPCITEMDEF definition{};
         definition.szItemID = const_cast<LPWSTR>(u"Static.I4");
         definition.szAccessPath = const_cast<LPWSTR>(u"");
         OPCITEMRESULT* results = nullptr;
         HRESULT* errors = nullptr;
         ASSERT_EQ(items->AddItems(1, &definition, &results, &errors), S_OK);
         OPCHANDLE handle = results[0].hServer;
         CoTaskMemFree(results);
         CoTaskMemFree(errors);
         OPCHANDLE client = 9;
         EXPECT_EQ(items->SetClientHandles(1, &handle, &client, &errors), S_FALSE);
         CoTaskMemFree(errors);
       }},
      {"Pelkor.DataSample.FailingStatus",
       [](IOPCServer* server) {
         for (int call = 1; call <= 5; ++call) {
           OPCSERVERSTATUS* status = nullptr;
           EXPECT_EQ(server->GetStatus(&status), call < 5 ? S_OK : E_FAIL) << call;
           if (status != nullptr) {
             CoTaskMemFree(status->szVendorInfo);
             CoTaskMemFree(status);
           }
         }
       }},
      {"Pelkor.DataSample.LimitedGroups",
       [&](IOPCServer* server) {
         com::Ptr<IUnknown> group = groupOf(server);
         com::Ptr<IUnknown> missing;
         for (const IID* iid : {&IID_IOPCSyncIO, &IID_IOPCAsyncIO, &IID_IDataObject, &IID_IOPCPublicGroupStateMgt}) {
           EXPECT_EQ(group->QueryInterface(*iid, missing.putVoid()), E_NOINTERFACE);
         }
         EXPECT_EQ(group->QueryInterface(IID_IOPCItemMgt, missing.putVoid()), S_OK);
       }},
      {"Pelkor.DataSample.StatelessGroups",
       [&](IOPCServer* server) {
         com::Ptr<IUnknown> group = groupOf(server);
         com::Ptr<IUnknown> missing;
         EXPECT_EQ(group->QueryInterface(IID_IOPCGroupStateMgt, missing.putVoid()), E_NOINTERFACE);
       }},
      {"Pelkor.DataSample.EmptyEnumerations",
       [](IOPCServer* server) {
         com::Ptr<IUnknown> groups;
         EXPECT_EQ(server->CreateGroupEnumerator(OPC_ENUM_PRIVATE, IID_IEnumString, groups.put()), S_OK);
         com::Ptr<IOPCBrowseServerAddressSpace> browse;
         ASSERT_EQ(server->QueryInterface(IID_IOPCBrowseServerAddressSpace, browse.putVoid()), S_OK);
         com::Ptr<IEnumString> paths;
         EXPECT_EQ(browse->BrowseAccessPaths(u"Static.I4", paths.put()), S_OK);
         com::Ptr<IEnumString> leaves;
         EXPECT_EQ(browse->BrowseOPCItemIDs(OPC_LEAF, u"NoSuchItem", VT_EMPTY, 0, leaves.put()), S_OK);
       }},
      {"Pelkor.DataSample.NoDataObject",
       [&](IOPCServer* server) {
         com::Ptr<IUnknown> group = groupOf(server);
         com::Ptr<IUnknown> found;
         EXPECT_EQ(group->QueryInterface(IID_IDataObject, found.putVoid()), E_NOINTERFACE);
         EXPECT_EQ(group->QueryInterface(IID_IOPCAsyncIO, found.putVoid()), S_OK);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.progId);
    com::Ptr<IOPCServer> server = createServer(c.progId);
    ASSERT_TRUE(server);
    c.check(server.get());
  }
}

TEST_F(SampleActivationTest, AnUnknownProgIdIsNotFound) {
  HRESULT hr = S_OK;
  EXPECT_FALSE(createServer("Pelkor.NoSuchServer", &hr));
  EXPECT_EQ(hr, CO_E_CLASSSTRING);
}

class SampleServerListTest : public SampleActivationTest {
 protected:
  void SetUp() override {
    SampleActivationTest::SetUp();
    MULTI_QI request{&IID_IOPCServerList, nullptr, S_OK};
    ASSERT_EQ(CoCreateInstanceEx(CLSID_OPCServerList, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER, nullptr,
                                 1, &request),
              S_OK);
    list = com::Ptr<IOPCServerList>::attach(static_cast<IOPCServerList*>(request.pItf));
  }
  void TearDown() override {
    list = nullptr;
    SampleActivationTest::TearDown();
  }

  std::vector<CLSID> classesOf(std::vector<CATID> implemented) {
    com::Ptr<IEnumGUID> classes;
    EXPECT_EQ(list->EnumClassesOfCategories(static_cast<ULONG>(implemented.size()), implemented.data(), 0, nullptr,
                                            classes.put()),
              S_OK);
    std::vector<CLSID> all;
    CLSID clsid;
    ULONG fetched = 0;
    while (classes->Next(1, &clsid, &fetched) == S_OK) all.push_back(clsid);
    return all;
  }

  com::Ptr<IOPCServerList> list;
};

TEST_F(SampleServerListTest, ListsTheDataAccessServersByCategory) {
  const std::vector<CLSID> both = classesOf({CATID_OPCDAServer20, CATID_OPCDAServer10});
  EXPECT_EQ(both.size(), 10u);  // the sample server and its nine variants
  EXPECT_EQ(std::count(both.begin(), both.end(), CLSID_OPCServerList), 0);

  // A server of OPC Data Access 1.0 times: the "OPC" mark and no categories.
  struct Entry {
    const char* key;
    const char* value;
  };
  const Entry entries[] = {
      {"Old.Server\\CLSID", "{0C0C0C0C-0000-4000-8000-000000000001}"},
      {"Old.Server\\OPC", ""},
      {"CLSID\\{0C0C0C0C-0000-4000-8000-000000000001}\\ProgID", "Old.Server"},
  };
  for (const auto& entry : entries) {
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, entry.key, REG_SZ, entry.value, 0), ERROR_SUCCESS);
  }
  EXPECT_EQ(classesOf({CATID_OPCDAServer10}).size(), 11u);
  EXPECT_EQ(classesOf({CATID_OPCDAServer20}).size(), 10u);
  EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "Old.Server"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "CLSID\\{0C0C0C0C-0000-4000-8000-000000000001}"), ERROR_SUCCESS);
}

TEST_F(SampleServerListTest, DescribesAClassAndResolvesProgIds) {
  CLSID clsid{};
  ASSERT_EQ(list->CLSIDFromProgID(u"Pelkor.DataSample", &clsid), S_OK);
  LPOLESTR progId = nullptr;
  LPOLESTR description = nullptr;
  ASSERT_EQ(list->GetClassDetails(clsid, &progId, &description), S_OK);
  EXPECT_EQ(takeString(progId), u"Pelkor.DataSample");
  EXPECT_EQ(takeString(description), u"Pelkor Data Sample Server");

  const CLSID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  EXPECT_EQ(list->GetClassDetails(unknown, &progId, &description), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(progId, nullptr);
  EXPECT_EQ(list->CLSIDFromProgID(u"No.Such.Server", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(list->CLSIDFromProgID(nullptr, &clsid), E_INVALIDARG);
}

}  // namespace

TEST_F(SampleServerListTest, TheSecondInterfaceTellsBothProgIdsApart) {
  com::Ptr<IOPCServerList2> second;
  ASSERT_EQ(list->QueryInterface(IID_IOPCServerList2, second.putVoid()), S_OK);
  LPOLESTR progId = nullptr;
  LPOLESTR description = nullptr;
  LPOLESTR independent = nullptr;
  CLSID sample{};
  ASSERT_EQ(second->CLSIDFromProgID(u"Pelkor.DataSample", &sample), S_OK);
  ASSERT_EQ(second->GetClassDetails(sample, &progId, &description, &independent), S_OK);
  EXPECT_EQ(takeString(progId), u"Pelkor.DataSample.1");
  EXPECT_EQ(takeString(description), u"Pelkor Data Sample Server");
  EXPECT_EQ(takeString(independent), u"Pelkor.DataSample");
  const CLSID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  EXPECT_EQ(second->GetClassDetails(unknown, &progId, &description, &independent), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(independent, nullptr);

  CATID category = CATID_OPCDAServer20;
  com::Ptr<IOPCEnumGUID> classes;
  ASSERT_EQ(second->EnumClassesOfCategories(1, &category, 0, nullptr, classes.put()), S_OK);
  std::vector<CLSID> all(20);
  ULONG fetched = 0;
  EXPECT_EQ(classes->Next(20, all.data(), &fetched), S_FALSE);
  all.resize(fetched);
  EXPECT_EQ(all, classesOf({CATID_OPCDAServer20}));
  EXPECT_EQ(second->EnumClassesOfCategories(1, nullptr, 0, nullptr, classes.put()), E_INVALIDARG);
}
