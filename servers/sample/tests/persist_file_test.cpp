// IPersistFile of the sample server: saving and loading the groups, the
// remember flag, and what a crash in the middle of a save leaves behind.

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "test_support.h"

namespace sample::testing {
namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path) {
  std::ifstream file(path);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::u16string wide(const fs::path& path) {
  const std::string text = path.string();
  return std::u16string(text.begin(), text.end());
}

class SamplePersistFileTest : public ServerTest {
 protected:
  // A folder of the test's own in the working folder (the build tree), so
  // that the process a death test starts finds the same one.
  void SetUp() override {
    directory = fs::current_path() /
                (std::string("persist-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(directory);
  }
  void TearDown() override {
    fs::remove_all(directory);
  }

  fs::path directory;
  com::Ptr<IOPCServer> server = makeServer();
  com::Ptr<IPersistFile> persist = query<IPersistFile>(server);
};

TEST_F(SamplePersistFileTest, ANewServerHasNothingToSave) {
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  LPOLESTR name = nullptr;
  EXPECT_EQ(persist->GetCurFile(&name), S_FALSE);
  EXPECT_EQ(takeString(name), u"*.cfg");
  CLSID clsid;
  EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_PelkorDataSample);
  EXPECT_EQ(persist->Save(nullptr, TRUE), E_INVALIDARG);  // no file yet
}

TEST_F(SamplePersistFileTest, SaveAndLoadRoundTripGroupsAndItems) {
  const fs::path file = directory / "groups.cfg";
  {
    LONG bias = 30;
    FLOAT deadband = 2.5f;
    OPCHANDLE handle;
    DWORD revised;
    com::Ptr<IOPCItemMgt> items;
    ASSERT_EQ(server->AddGroup(u"Line \"1\"", FALSE, 250, 9, &bias, &deadband, 0x407, &handle, &revised,
                               IID_IOPCItemMgt, reinterpret_cast<IUnknown**>(items.put())),
              S_OK);
    ASSERT_EQ(addItems(items.get(), {u"Static.I4", u"Paths.Level"}, VT_BSTR, 50, {u"", u"Line2"}).result, S_OK);
  }
  EXPECT_EQ(persist->IsDirty(), S_OK);
  ASSERT_EQ(persist->Save(wide(file).c_str(), TRUE), S_OK);
  EXPECT_EQ(persist->SaveCompleted(wide(file).c_str()), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  LPOLESTR name = nullptr;
  EXPECT_EQ(persist->GetCurFile(&name), S_OK);
  EXPECT_EQ(takeString(name), wide(file));

  // A second server loads the file.
  com::Ptr<IOPCServer> other = makeServer();
  auto otherPersist = query<IPersistFile>(other);
  ASSERT_EQ(otherPersist->Load(wide(file).c_str(), 0), S_OK);
  EXPECT_EQ(otherPersist->IsDirty(), S_FALSE);
  com::Ptr<IOPCGroupStateMgt> group;
  ASSERT_EQ(other->GetGroupByName(u"Line \"1\"", IID_IOPCGroupStateMgt, reinterpret_cast<IUnknown**>(group.put())),
            S_OK);
  DWORD rate, locale;
  BOOL active;
  LPWSTR groupName = nullptr;
  LONG bias;
  FLOAT deadband;
  OPCHANDLE client, handle;
  ASSERT_EQ(group->GetState(&rate, &active, &groupName, &bias, &deadband, &locale, &client, &handle), S_OK);
  CoTaskMemFree(groupName);
  EXPECT_EQ(rate, 250u);
  EXPECT_EQ(active, FALSE);
  EXPECT_EQ(bias, 30);
  EXPECT_EQ(deadband, 2.5f);
  EXPECT_EQ(locale, 0x407u);
  EXPECT_EQ(client, 9u);

  com::Ptr<IEnumOPCItemAttributes> enumerator;
  ASSERT_EQ(query<IOPCItemMgt>(group)->CreateEnumerator(IID_IEnumOPCItemAttributes,
                                                        reinterpret_cast<IUnknown**>(enumerator.put())),
            S_OK);
  OPCITEMATTRIBUTES* records = nullptr;
  ULONG fetched = 0;
  ASSERT_EQ(enumerator->Next(2, &records, &fetched), S_OK);
  EXPECT_EQ(takeString(records[0].szItemID), u"Static.I4");
  EXPECT_EQ(records[0].hClient, 50u);
  EXPECT_EQ(records[0].vtRequestedDataType, VT_BSTR);
  EXPECT_EQ(takeString(records[1].szItemID), u"Paths.Level");
  EXPECT_EQ(takeString(records[1].szAccessPath), u"Line2");
  CoTaskMemFree(records[0].szAccessPath);
  CoTaskMemFree(records);

  // The public group it started with is still there, and only once.
  com::Ptr<IEnumString> names;
  other->CreateGroupEnumerator(OPC_ENUM_PUBLIC, IID_IEnumString, reinterpret_cast<IUnknown**>(names.put()));
  EXPECT_EQ(readAll(names.get()), std::vector<std::u16string>{u"Public Simulation"});
}

TEST_F(SamplePersistFileTest, SavingACopyKeepsTheCurrentFileAndTheDirtyState) {
  const fs::path main = directory / "main.cfg";
  const fs::path copy = directory / "copy.cfg";
  ASSERT_EQ(persist->Save(wide(main).c_str(), TRUE), S_OK);
  GroupInfo group = addGroup(server.get(), u"Changed");
  EXPECT_EQ(persist->IsDirty(), S_OK);
  ASSERT_EQ(persist->Save(wide(copy).c_str(), FALSE), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_OK);
  LPOLESTR name = nullptr;
  persist->GetCurFile(&name);
  EXPECT_EQ(takeString(name), wide(main));
  EXPECT_NE(readText(copy).find("\"Changed\""), std::string::npos);
  ASSERT_EQ(persist->Save(nullptr, FALSE), S_OK);  // to the current file
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  EXPECT_NE(readText(main).find("\"Changed\""), std::string::npos);
}

TEST_F(SamplePersistFileTest, LoadRefusesWhatIsNoConfiguration) {
  struct Case {
    const char* content;
    HRESULT result;
  };
  const Case cases[] = {
      {"hello\n", OPC_E_INVALIDCONFIGFILE},
      {"Pelkor.DataSample configuration 1\nitem \"Static.I4\" path=\"\" active=1 client=1 type=0 blob=\"\"\n",
       OPC_E_INVALIDCONFIGFILE},  // an item without a group
      {"Pelkor.DataSample configuration 1\ngroup \"G\" public=0 active=1 rate=1000 bias=0 deadband=0 locale=0\n",
       OPC_E_INVALIDCONFIGFILE},  // the client handle is missing
      {"Pelkor.DataSample configuration 1\ngroup \"G\" public=0 active=1 rate=1000 bias=0 deadband=400 locale=0 "
       "client=1\n",
       OPC_E_INVALIDCONFIGFILE},
      {"Pelkor.DataSample configuration 1\ngroup \"Public Simulation\" public=0 active=1 rate=1000 bias=0 "
       "deadband=0 locale=0 client=1\n",
       OPC_E_DUPLICATENAME},
  };
  GroupInfo kept = addGroup(server.get(), u"Kept");
  const fs::path file = directory / "bad.cfg";
  for (const auto& c : cases) {
    std::ofstream(file) << c.content;
    EXPECT_EQ(persist->Load(wide(file).c_str(), 0), c.result) << c.content;
  }
  EXPECT_EQ(persist->Load(wide(directory / "missing.cfg").c_str(), 0), STG_E_FILENOTFOUND);
  // Nothing was replaced by the failed loads.
  com::Ptr<IUnknown> group;
  EXPECT_EQ(server->GetGroupByName(u"Kept", IID_IUnknown, group.put()), S_OK);
}

TEST_F(SamplePersistFileTest, LoadSkipsItemsTheAddressSpaceNoLongerHas) {
  const fs::path file = directory / "old.cfg";
  std::ofstream(file) << "Pelkor.DataSample configuration 1\n"
                         "# saved by a server with a larger many-items branch\n"
                         "group \"G\" public=0 active=1 rate=1000 bias=0 deadband=0 locale=0 client=1\n"
                         "item \"ManyItems.Item5\" path=\"\" active=1 client=1 type=0 blob=\"0A0B\"\n"
                         "item \"ManyItems.Item50000\" path=\"\" active=1 client=2 type=0 blob=\"\"\n";
  ASSERT_EQ(persist->Load(wide(file).c_str(), 0), S_OK);
  com::Ptr<IOPCItemMgt> group;
  ASSERT_EQ(server->GetGroupByName(u"G", IID_IOPCItemMgt, reinterpret_cast<IUnknown**>(group.put())), S_OK);
  com::Ptr<IEnumOPCItemAttributes> enumerator;
  group->CreateEnumerator(IID_IEnumOPCItemAttributes, reinterpret_cast<IUnknown**>(enumerator.put()));
  OPCITEMATTRIBUTES* records = nullptr;
  ULONG fetched = 0;
  EXPECT_EQ(enumerator->Next(5, &records, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(takeString(records[0].szItemID), u"ManyItems.Item5");
  ASSERT_EQ(records[0].dwBlobSize, 2u);
  EXPECT_EQ(records[0].pBlob[1], 0x0B);
  CoTaskMemFree(records[0].pBlob);
  CoTaskMemFree(records[0].szAccessPath);
  CoTaskMemFree(records);
}

// Runs a save in a child process that dies at the given stage.
void saveAndDieAt(const fs::path& file, SaveStage dieAt) {
  static SaveStage target;
  target = dieAt;
  ServerOptions options = fastOptions();
  options.saveHook = [](SaveStage stage) {
    if (stage == target) _exit(3);
  };
  com::Ptr<IOPCServer> server = makeServer(options);
  GroupInfo group = addGroup(server.get(), u"New");
  query<IPersistFile>(server)->Save(wide(file).c_str(), TRUE);
  _exit(0);
}

TEST_F(SamplePersistFileTest, ACrashDuringASaveKeepsThePreviousFile) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const fs::path file = directory / "safe.cfg";
  {
    GroupInfo group = addGroup(server.get(), u"Old");
    ASSERT_EQ(persist->Save(wide(file).c_str(), TRUE), S_OK);
  }
  const std::string before = readText(file);
  ASSERT_NE(before.find("\"Old\""), std::string::npos);
  for (SaveStage stage : {SaveStage::TemporaryFileOpened, SaveStage::HalfWritten, SaveStage::Written}) {
    EXPECT_EXIT(saveAndDieAt(file, stage), ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(readText(file), before);
    ASSERT_EQ(persist->Load(wide(file).c_str(), 0), S_OK);
  }
  // Dying after the rename leaves the new file, whole.
  EXPECT_EXIT(saveAndDieAt(file, SaveStage::Replaced), ::testing::ExitedWithCode(3), "");
  const std::string after = readText(file);
  EXPECT_NE(after.find("\"New\""), std::string::npos);
  EXPECT_EQ(after.back(), '\n');
}

TEST_F(SamplePersistFileTest, SaveReportsFilesItCannotWrite) {
  const fs::path file = directory / "no-such-directory" / "x.cfg";
  EXPECT_EQ(persist->Save(wide(file).c_str(), TRUE), STG_E_PATHNOTFOUND);
  LPOLESTR name = nullptr;
  EXPECT_EQ(persist->GetCurFile(&name), S_FALSE);
  CoTaskMemFree(name);
}

}  // namespace
}  // namespace sample::testing
