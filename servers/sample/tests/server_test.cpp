// IOPCServer of the sample server: groups, status, error texts, group
// enumerators.

#include "test_support.h"

namespace sample::testing {
namespace {

class SampleOPCServerTest : public ServerTest {
 protected:
  com::Ptr<IOPCServer> server = makeServer();
};

TEST_F(SampleOPCServerTest, AddGroupHandsOutTheGroupAndRevisesTheRate) {
  struct Case {
    DWORD requested;
    DWORD revised;
    HRESULT result;
  };
  const Case cases[] = {{1000, 1000, S_OK}, {0, 10, OPC_S_UNSUPPORTEDRATE}, {3, 10, OPC_S_UNSUPPORTEDRATE}};
  int n = 0;
  for (const auto& c : cases) {
    const std::u16string name = u"Rate" + std::u16string(1, static_cast<char16_t>(u'0' + n++));
    com::Ptr<IUnknown> group;
    OPCHANDLE handle = 0;
    DWORD revised = 0;
    EXPECT_EQ(server->AddGroup(name.c_str(), TRUE, c.requested, 5, nullptr, nullptr, LOCALE_SYSTEM_DEFAULT, &handle,
                               &revised, IID_IUnknown, group.put()),
              c.result);
    EXPECT_EQ(revised, c.revised);
    EXPECT_NE(handle, 0u);
    EXPECT_TRUE(group);
  }
}

TEST_F(SampleOPCServerTest, AddGroupRefusesDuplicateNamesAndNamesUnnamedGroups) {
  GroupInfo first = addGroup(server.get(), u"Same");
  com::Ptr<IUnknown> group;
  OPCHANDLE handle = 0;
  DWORD revised = 0;
  EXPECT_EQ(server->AddGroup(u"Same", TRUE, 1000, 1, nullptr, nullptr, 0, &handle, &revised, IID_IUnknown, group.put()),
            OPC_E_DUPLICATENAME);
  EXPECT_FALSE(group);

  // Two unnamed groups get different names of their own.
  std::u16string names[2];
  for (auto& name : names) {
    com::Ptr<IOPCGroupStateMgt> state;
    ASSERT_EQ(server->AddGroup(u"", TRUE, 1000, 1, nullptr, nullptr, 0, &handle, &revised, IID_IOPCGroupStateMgt,
                               reinterpret_cast<IUnknown**>(state.put())),
              S_OK);
    DWORD rate, locale;
    BOOL active;
    LPWSTR text = nullptr;
    LONG bias;
    FLOAT deadband;
    OPCHANDLE client, serverHandle;
    ASSERT_EQ(state->GetState(&rate, &active, &text, &bias, &deadband, &locale, &client, &serverHandle), S_OK);
    name = takeString(text);
    EXPECT_FALSE(name.empty());
  }
  EXPECT_NE(names[0], names[1]);
}

TEST_F(SampleOPCServerTest, AddGroupChecksItsArguments) {
  OPCHANDLE handle = 0;
  DWORD revised = 0;
  com::Ptr<IUnknown> group;
  FLOAT badDeadband = 101;
  EXPECT_EQ(server->AddGroup(u"G", TRUE, 1000, 1, nullptr, &badDeadband, 0, &handle, &revised, IID_IUnknown,
                             group.put()),
            E_INVALIDARG);
  EXPECT_EQ(server->AddGroup(u"G", TRUE, 1000, 1, nullptr, nullptr, 0x0411, &handle, &revised, IID_IUnknown,
                             group.put()),
            E_INVALIDARG);
  EXPECT_EQ(server->AddGroup(u"G", TRUE, 1000, 1, nullptr, nullptr, 0, nullptr, &revised, IID_IUnknown, group.put()),
            E_INVALIDARG);
  EXPECT_EQ(server->AddGroup(u"G", TRUE, 1000, 1, nullptr, nullptr, 0, &handle, &revised, IID_IClassFactory,
                             group.put()),
            E_NOINTERFACE);
  // The failed request left no group behind.
  EXPECT_EQ(server->AddGroup(u"G", TRUE, 1000, 1, nullptr, nullptr, 0, &handle, &revised, IID_IUnknown, group.put()),
            S_OK);
}

TEST_F(SampleOPCServerTest, GetGroupByNameFindsPrivateGroupsOnly) {
  GroupInfo group = addGroup(server.get(), u"Mine");
  com::Ptr<IOPCSyncIO> io;
  EXPECT_EQ(server->GetGroupByName(u"Mine", IID_IOPCSyncIO, reinterpret_cast<IUnknown**>(io.put())), S_OK);
  EXPECT_TRUE(io);
  com::Ptr<IUnknown> other;
  EXPECT_EQ(server->GetGroupByName(u"Nobody", IID_IUnknown, other.put()), E_INVALIDARG);
  EXPECT_EQ(server->GetGroupByName(u"Public Simulation", IID_IUnknown, other.put()), E_INVALIDARG);
  EXPECT_EQ(server->GetGroupByName(u"Mine", IID_IClassFactory, other.put()), E_NOINTERFACE);
}

TEST_F(SampleOPCServerTest, GetStatusDescribesTheServer) {
  GroupInfo group = addGroup(server.get(), u"One");
  OPCSERVERSTATUS* status = nullptr;
  ASSERT_EQ(server->GetStatus(&status), S_OK);
  EXPECT_EQ(status->dwServerState, OPC_STATUS_RUNNING);
  EXPECT_EQ(status->dwGroupCount, 2u);  // ours and the public one
  EXPECT_EQ(status->wMajorVersion, 1);
  EXPECT_GE(ticksOf(status->ftCurrentTime), ticksOf(status->ftStartTime));
  EXPECT_LE(status->dwBandWidth, 100u);
  EXPECT_EQ(takeString(status->szVendorInfo), u"Pelkor Data Sample Server");
  CoTaskMemFree(status);
  EXPECT_EQ(server->GetStatus(nullptr), E_INVALIDARG);
}

TEST_F(SampleOPCServerTest, GetErrorStringSpeaksEnglishAndGerman) {
  struct Case {
    HRESULT code;
    LCID locale;
    HRESULT result;
    const char16_t* start;
  };
  const Case cases[] = {
      {OPC_E_UNKNOWNITEMID, 0x409, S_OK, u"The item ID"},
      {OPC_E_UNKNOWNITEMID, 0x407, S_OK, u"Die Item-ID"},
      {OPC_E_DUPLICATENAME, 0x800, S_OK, u"The name"},
      {E_FAIL, 0x409, S_OK, u""},          // the system's text
      {OPC_E_BADRIGHTS, 0x411, E_INVALIDARG, nullptr},  // Japanese is not spoken
      {static_cast<HRESULT>(0xC004FFFF), 0x409, E_INVALIDARG, nullptr},
  };
  for (const auto& c : cases) {
    LPWSTR text = nullptr;
    EXPECT_EQ(server->GetErrorString(c.code, c.locale, &text), c.result) << std::hex << c.code;
    const std::u16string got = takeString(text);
    if (c.start != nullptr) {
      EXPECT_FALSE(got.empty());
      EXPECT_EQ(got.rfind(c.start, 0), 0u) << narrow(got);
      EXPECT_NE(got.back(), u'\n');
    }
  }
}

TEST_F(SampleOPCServerTest, RemoveGroupTellsWhenTheGroupIsStillInUse) {
  GroupInfo held = addGroup(server.get(), u"Held");
  EXPECT_EQ(server->RemoveGroup(held.handle, FALSE), OPC_S_INUSE);
  // The group is gone from the server, and its holder finds it deleted.
  com::Ptr<IUnknown> lookup;
  EXPECT_EQ(server->GetGroupByName(u"Held", IID_IUnknown, lookup.put()), E_INVALIDARG);
  AddedItems added = addItems(held.items.get(), {u"Static.I4"});
  EXPECT_EQ(added.result, E_FAIL);

  GroupInfo released = addGroup(server.get(), u"Released");
  const OPCHANDLE handle = released.handle;
  released.items = nullptr;
  EXPECT_EQ(server->RemoveGroup(handle, FALSE), S_OK);
  EXPECT_EQ(server->RemoveGroup(handle, FALSE), E_INVALIDARG);

  GroupInfo forced = addGroup(server.get(), u"Forced");
  EXPECT_EQ(server->RemoveGroup(forced.handle, TRUE), S_OK);
  // A group removed with force fails every call.
  EXPECT_EQ(addItems(forced.items.get(), {u"Static.I4"}).result, E_FAIL);
}

TEST_F(SampleOPCServerTest, AGroupRemovedWhileHeldFailsEveryCallAndGoesWithItsLastRelease) {
  GroupInfo held = addGroup(server.get(), u"Held");
  AddedItems added = addItems(held.items.get(), {u"Static.I4"});
  ASSERT_EQ(added.result, S_OK);
  auto data = query<IDataObject>(held.items);
  com::Ptr<RecordingSink> sink = com::makeObject<RecordingSink>();
  const DWORD connection = advise(held.items.get(), OPCSTMFORMATDATA_NAME, sink.get());
  const long objectsBefore = com::Module::objectCount();
  EXPECT_EQ(server->RemoveGroup(held.handle, FALSE), OPC_S_INUSE);
  // The deleted group let its advise sink go, so a sink that holds its
  // group cannot keep it alive.
  EXPECT_EQ(sink->AddRef(), 2u);
  sink->Release();

  auto state = query<IOPCGroupStateMgt>(held.items);
  auto publicState = query<IOPCPublicGroupStateMgt>(held.items);
  auto sync = query<IOPCSyncIO>(held.items);
  auto async = query<IOPCAsyncIO>(held.items);
  ASSERT_TRUE(state && publicState && sync && async);
  OPCHANDLE* handles = added.handles.data();
  DWORD rate = 0, locale = 0, revised = 0, transaction = 0;
  BOOL active = FALSE;
  LPWSTR name = nullptr;
  LONG bias = 0;
  FLOAT deadband = 0;
  OPCHANDLE client = 0, serverHandle = 0;
  OPCITEMSTATE* states = nullptr;
  HRESULT* errors = nullptr;
  VARIANT value;
  VariantInit(&value);
  FORMATETC format = streamFormat(OPCSTMFORMATDATATIME_NAME);
  DWORD newConnection = 0;
  com::Ptr<IUnknown> clone;
  com::Ptr<IEnumSTATDATA> advises;
  const struct {
    const char* call;
    HRESULT result;
  } calls[] = {
      {"GetState", state->GetState(&rate, &active, &name, &bias, &deadband, &locale, &client, &serverHandle)},
      {"SetState", state->SetState(nullptr, &revised, nullptr, nullptr, nullptr, nullptr, nullptr)},
      {"SetName", state->SetName(u"Renamed")},
      {"CloneGroup", state->CloneGroup(u"Clone", IID_IUnknown, clone.put())},
      {"MoveToPublic", publicState->MoveToPublic()},
      {"SetActiveState", held.items->SetActiveState(1, handles, FALSE, &errors)},
      {"RemoveItems", held.items->RemoveItems(1, handles, &errors)},
      {"IOPCSyncIO::Read", sync->Read(OPC_DS_CACHE, 1, handles, &states, &errors)},
      {"IOPCSyncIO::Write", sync->Write(1, handles, &value, &errors)},
      {"IOPCAsyncIO::Refresh", async->Refresh(connection, OPC_DS_CACHE, &transaction)},
      {"DAdvise", data->DAdvise(&format, 0, sink.get(), &newConnection)},
      {"DUnadvise", data->DUnadvise(connection)},
      {"EnumDAdvise", data->EnumDAdvise(advises.put())},
  };
  for (const auto& call : calls) EXPECT_EQ(call.result, E_FAIL) << call.call;
  EXPECT_EQ(name, nullptr);
  EXPECT_EQ(states, nullptr);
  EXPECT_EQ(errors, nullptr);
  EXPECT_FALSE(clone);

  // Nothing of the server refers to the group any more: it goes with the
  // client's last reference.
  state = nullptr;
  publicState = nullptr;
  sync = nullptr;
  async = nullptr;
  data = nullptr;
  held.items = nullptr;
  EXPECT_LT(com::Module::objectCount(), objectsBefore);
}

TEST_F(SampleOPCServerTest, RemoveGroupRefusesPublicGroups) {
  com::Ptr<IOPCServerPublicGroups> publicGroups = query<IOPCServerPublicGroups>(server);
  com::Ptr<IOPCGroupStateMgt> state;
  ASSERT_EQ(publicGroups->GetPublicGroupByName(u"Public Simulation", IID_IOPCGroupStateMgt,
                                               reinterpret_cast<IUnknown**>(state.put())),
            S_OK);
  DWORD rate, locale;
  BOOL active;
  LPWSTR name = nullptr;
  LONG bias;
  FLOAT deadband;
  OPCHANDLE client, handle;
  ASSERT_EQ(state->GetState(&rate, &active, &name, &bias, &deadband, &locale, &client, &handle), S_OK);
  CoTaskMemFree(name);
  EXPECT_EQ(server->RemoveGroup(handle, FALSE), OPC_E_PUBLIC);
}

TEST_F(SampleOPCServerTest, CreateGroupEnumeratorListsEachScope) {
  GroupInfo a = addGroup(server.get(), u"A");
  GroupInfo b = addGroup(server.get(), u"B");
  struct Case {
    OPCENUMSCOPE scope;
    std::vector<std::u16string> names;
  };
  const Case cases[] = {
      {OPC_ENUM_PRIVATE, {u"A", u"B"}},
      {OPC_ENUM_PRIVATE_CONNECTIONS, {u"A", u"B"}},
      {OPC_ENUM_PUBLIC, {u"Public Simulation"}},
      {OPC_ENUM_ALL, {u"Public Simulation", u"A", u"B"}},
  };
  for (const auto& c : cases) {
    com::Ptr<IEnumString> names;
    EXPECT_EQ(server->CreateGroupEnumerator(c.scope, IID_IEnumString, reinterpret_cast<IUnknown**>(names.put())),
              S_OK);
    EXPECT_EQ(readAll(names.get()), c.names) << c.scope;
  }
  com::Ptr<IEnumUnknown> objects;
  ASSERT_EQ(server->CreateGroupEnumerator(OPC_ENUM_PRIVATE, IID_IEnumUnknown,
                                          reinterpret_cast<IUnknown**>(objects.put())),
            S_OK);
  IUnknown* groups[3] = {};
  ULONG fetched = 0;
  EXPECT_EQ(objects->Next(3, groups, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  for (ULONG i = 0; i < fetched; ++i) {
    EXPECT_TRUE(query<IOPCItemMgt>(groups[i]));
    groups[i]->Release();
  }
  com::Ptr<IUnknown> bad;
  EXPECT_EQ(server->CreateGroupEnumerator(static_cast<OPCENUMSCOPE>(9), IID_IEnumString, bad.put()), E_INVALIDARG);
  EXPECT_EQ(server->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IOPCItemMgt, bad.put()), E_NOINTERFACE);
}

TEST_F(SampleOPCServerTest, CreateGroupEnumeratorSaysWhenThereIsNothing) {
  com::Ptr<IEnumString> names;
  EXPECT_EQ(server->CreateGroupEnumerator(OPC_ENUM_PRIVATE, IID_IEnumString, reinterpret_cast<IUnknown**>(names.put())),
            S_FALSE);
  EXPECT_TRUE(readAll(names.get()).empty());
}

}  // namespace
}  // namespace sample::testing
