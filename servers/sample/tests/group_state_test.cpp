// IOPCGroupStateMgt and IOPCPublicGroupStateMgt of a group, and the public
// groups of the server (IOPCServerPublicGroups).

#include "test_support.h"

namespace sample::testing {
namespace {

struct State {
  DWORD rate = 0;
  BOOL active = FALSE;
  std::u16string name;
  LONG bias = 0;
  FLOAT deadband = 0;
  LCID locale = 0;
  OPCHANDLE client = 0;
  OPCHANDLE server = 0;
};

State stateOf(IUnknown* group) {
  State state;
  LPWSTR name = nullptr;
  EXPECT_EQ(query<IOPCGroupStateMgt>(group)->GetState(&state.rate, &state.active, &name, &state.bias, &state.deadband,
                                                      &state.locale, &state.client, &state.server),
            S_OK);
  state.name = takeString(name);
  return state;
}

class SampleGroupStateTest : public ServerTest {
 protected:
  com::Ptr<IOPCServer> server = makeServer();
};

TEST_F(SampleGroupStateTest, GetStateReturnsWhatAddGroupSet) {
  LONG bias = -60;
  FLOAT deadband = 12.5f;
  OPCHANDLE handle = 0;
  DWORD revised = 0;
  com::Ptr<IUnknown> group;
  ASSERT_EQ(server->AddGroup(u"Line", FALSE, 500, 42, &bias, &deadband, 0x407, &handle, &revised, IID_IUnknown,
                             group.put()),
            S_OK);
  const State state = stateOf(group.get());
  EXPECT_EQ(state.rate, 500u);
  EXPECT_EQ(state.active, FALSE);
  EXPECT_EQ(state.name, u"Line");
  EXPECT_EQ(state.bias, -60);
  EXPECT_EQ(state.deadband, 12.5f);
  EXPECT_EQ(state.locale, 0x407u);
  EXPECT_EQ(state.client, 42u);
  EXPECT_EQ(state.server, handle);
}

TEST_F(SampleGroupStateTest, SetStateChangesOnlyWhatIsGiven) {
  GroupInfo info = addGroup(server.get(), u"Line");
  auto state = query<IOPCGroupStateMgt>(info.items);
  DWORD rate = 250;
  DWORD revised = 0;
  FLOAT deadband = 5;
  EXPECT_EQ(state->SetState(&rate, &revised, nullptr, nullptr, &deadband, nullptr, nullptr), S_OK);
  EXPECT_EQ(revised, 250u);
  State now = stateOf(info.items.get());
  EXPECT_EQ(now.rate, 250u);
  EXPECT_EQ(now.deadband, 5.0f);
  EXPECT_EQ(now.active, TRUE);
  EXPECT_EQ(now.client, 1u);

  rate = 1;
  EXPECT_EQ(state->SetState(&rate, &revised, nullptr, nullptr, nullptr, nullptr, nullptr), OPC_S_UNSUPPORTEDRATE);
  EXPECT_EQ(revised, 10u);
  FLOAT bad = -1;
  EXPECT_EQ(state->SetState(nullptr, &revised, nullptr, nullptr, &bad, nullptr, nullptr), E_INVALIDARG);
  LCID japanese = 0x411;
  EXPECT_EQ(state->SetState(nullptr, &revised, nullptr, nullptr, nullptr, &japanese, nullptr), E_INVALIDARG);
  EXPECT_EQ(state->SetState(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);
}

TEST_F(SampleGroupStateTest, SetNameKeepsNamesUnique) {
  GroupInfo a = addGroup(server.get(), u"A");
  GroupInfo b = addGroup(server.get(), u"B");
  auto state = query<IOPCGroupStateMgt>(a.items);
  EXPECT_EQ(state->SetName(u"B"), OPC_E_DUPLICATENAME);
  EXPECT_EQ(state->SetName(u""), E_INVALIDARG);
  EXPECT_EQ(state->SetName(u"A"), S_OK);
  EXPECT_EQ(state->SetName(u"Renamed"), S_OK);
  EXPECT_EQ(stateOf(a.items.get()).name, u"Renamed");
  com::Ptr<IUnknown> found;
  EXPECT_EQ(server->GetGroupByName(u"Renamed", IID_IUnknown, found.put()), S_OK);
}

TEST_F(SampleGroupStateTest, CloneGroupCopiesStateAndItemsIntoAnInactivePrivateGroup) {
  GroupInfo source = addGroup(server.get(), u"Source", 300);
  AddedItems added = addItems(source.items.get(), {u"Static.I4", u"Static.R8"});
  ASSERT_EQ(added.result, S_OK);
  com::Ptr<IOPCItemMgt> clone;
  ASSERT_EQ(query<IOPCGroupStateMgt>(source.items)
                ->CloneGroup(u"Copy", IID_IOPCItemMgt, reinterpret_cast<IUnknown**>(clone.put())),
            S_OK);
  const State state = stateOf(clone.get());
  EXPECT_EQ(state.name, u"Copy");
  EXPECT_EQ(state.rate, 300u);
  EXPECT_EQ(state.active, FALSE);
  EXPECT_NE(state.server, source.handle);

  com::Ptr<IEnumOPCItemAttributes> enumerator;
  ASSERT_EQ(clone->CreateEnumerator(IID_IEnumOPCItemAttributes, reinterpret_cast<IUnknown**>(enumerator.put())), S_OK);
  OPCITEMATTRIBUTES* records = nullptr;
  ULONG fetched = 0;
  ASSERT_EQ(enumerator->Next(2, &records, &fetched), S_OK);
  for (ULONG i = 0; i < fetched; ++i) {
    EXPECT_EQ(records[i].hClient, 100u + i);
    EXPECT_NE(records[i].hServer, added.handles[i]);
    CoTaskMemFree(records[i].szItemID);
    CoTaskMemFree(records[i].szAccessPath);
  }
  CoTaskMemFree(records);

  com::Ptr<IUnknown> again;
  EXPECT_EQ(query<IOPCGroupStateMgt>(source.items)->CloneGroup(u"Copy", IID_IUnknown, again.put()),
            OPC_E_DUPLICATENAME);
  EXPECT_EQ(query<IOPCGroupStateMgt>(source.items)->CloneGroup(u"", IID_IUnknown, again.put()), S_OK);
}

TEST_F(SampleGroupStateTest, TheServerStartsWithAPublicGroup) {
  auto publicGroups = query<IOPCServerPublicGroups>(server);
  com::Ptr<IOPCPublicGroupStateMgt> group;
  ASSERT_EQ(publicGroups->GetPublicGroupByName(u"Public Simulation", IID_IOPCPublicGroupStateMgt,
                                               reinterpret_cast<IUnknown**>(group.put())),
            S_OK);
  BOOL isPublic = FALSE;
  EXPECT_EQ(group->GetState(&isPublic), S_OK);
  EXPECT_EQ(isPublic, TRUE);
  EXPECT_EQ(group->MoveToPublic(), OPC_E_PUBLIC);
  // Items of a public group are fixed; its name too.
  auto items = query<IOPCItemMgt>(group);
  EXPECT_EQ(addItems(items.get(), {u"Static.I4"}).result, OPC_E_PUBLIC);
  EXPECT_EQ(query<IOPCGroupStateMgt>(group)->SetName(u"Other"), OPC_E_PUBLIC);
  com::Ptr<IEnumOPCItemAttributes> enumerator;
  EXPECT_EQ(items->CreateEnumerator(IID_IEnumOPCItemAttributes, reinterpret_cast<IUnknown**>(enumerator.put())), S_OK);

  com::Ptr<IUnknown> missing;
  EXPECT_EQ(publicGroups->GetPublicGroupByName(u"Nobody", IID_IUnknown, missing.put()), OPC_E_NOTFOUND);
}

TEST_F(SampleGroupStateTest, MoveToPublicAndRemovePublicGroup) {
  GroupInfo info = addGroup(server.get(), u"Shared");
  auto group = query<IOPCPublicGroupStateMgt>(info.items);
  ASSERT_EQ(group->MoveToPublic(), S_OK);
  BOOL isPublic = FALSE;
  EXPECT_EQ(group->GetState(&isPublic), S_OK);
  EXPECT_EQ(isPublic, TRUE);

  auto publicGroups = query<IOPCServerPublicGroups>(server);
  com::Ptr<IUnknown> found;
  EXPECT_EQ(publicGroups->GetPublicGroupByName(u"Shared", IID_IUnknown, found.put()), S_OK);
  found = nullptr;
  EXPECT_EQ(server->GetGroupByName(u"Shared", IID_IUnknown, found.put()), E_INVALIDARG);

  GroupInfo privateGroup = addGroup(server.get(), u"Private");
  EXPECT_EQ(publicGroups->RemovePublicGroup(privateGroup.handle, FALSE), E_INVALIDARG);
  EXPECT_EQ(publicGroups->RemovePublicGroup(info.handle, FALSE), OPC_S_INUSE);
  EXPECT_EQ(publicGroups->RemovePublicGroup(info.handle, FALSE), E_INVALIDARG);
}

}  // namespace
}  // namespace sample::testing
