// The faults a server can be told to show, so that clients can exercise
// their failure paths.

#include "test_support.h"

namespace sample::testing {
namespace {

class SampleFaultTest : public ServerTest {
 protected:
  ServerOptions options = fastOptions();
};

TEST_F(SampleFaultTest, OptionalServerInterfacesCanBeLeftOut) {
  struct Case {
    uint32_t bit;
    const IID& iid;
  };
  const Case cases[] = {
      {kServerPublicGroups, IID_IOPCServerPublicGroups},
      {kServerBrowseAddressSpace, IID_IOPCBrowseServerAddressSpace},
      {kServerItemProperties, IID_IOPCItemProperties},
      {kServerCommon, IID_IOPCCommon},
      {kServerPersistFile, IID_IPersistFile},
      {kServerPersistFile, IID_IPersist},
      {kServerConnectionPoints, IID_IConnectionPointContainer},
  };
  for (const auto& c : cases) {
    options.omittedInterfaces = c.bit;
    com::Ptr<IOPCServer> server = makeServer(options);
    com::Ptr<IUnknown> missing;
    EXPECT_EQ(server->QueryInterface(c.iid, missing.putVoid()), E_NOINTERFACE);
    EXPECT_FALSE(missing);
    // The others are still there.
    const IID& other = c.bit == kServerCommon ? IID_IOPCItemProperties : IID_IOPCCommon;
    EXPECT_EQ(server->QueryInterface(other, missing.putVoid()), S_OK);
  }
  options.omittedInterfaces = kAllOptionalServerInterfaces;
  com::Ptr<IOPCServer> minimal = makeServer(options);
  GroupInfo group = addGroup(minimal.get(), u"StillWorks");
  EXPECT_EQ(addItems(group.items.get(), {u"Simulation.Ramp"}).result, S_OK);
}

TEST_F(SampleFaultTest, GroupEnumeratorCanBeNotImplemented) {
  options.groupEnumeratorNotImplemented = true;
  com::Ptr<IOPCServer> server = makeServer(options);
  com::Ptr<IUnknown> enumerator;
  EXPECT_EQ(server->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IEnumString, enumerator.put()), E_NOTIMPL);
}

TEST_F(SampleFaultTest, GetItemIdOfTheBrowsePositionCanFail) {
  options.failItemIdOfBrowsePosition = true;
  com::Ptr<IOPCServer> server = makeServer(options);
  auto browse = query<IOPCBrowseServerAddressSpace>(server);
  ASSERT_EQ(browse->ChangeBrowsePosition(OPC_BROWSE_DOWN, u"Static"), S_OK);
  LPWSTR id = nullptr;
  EXPECT_EQ(browse->GetItemID(const_cast<LPWSTR>(u""), &id), E_FAIL);
  EXPECT_EQ(id, nullptr);
  EXPECT_EQ(browse->GetItemID(const_cast<LPWSTR>(u"I4"), &id), S_OK);
  EXPECT_EQ(takeString(id), u"Static.I4");
}

TEST_F(SampleFaultTest, ClientHandlesCanBeRefused) {
  options.refuseClientHandles = true;
  com::Ptr<IOPCServer> server = makeServer(options);
  GroupInfo group = addGroup(server.get(), u"G");
  AddedItems added = addItems(group.items.get(), {u"Static.I4"});
  OPCHANDLE client = 5;
  HRESULT* errors = nullptr;
  EXPECT_EQ(group.items->SetClientHandles(1, added.handles.data(), &client, &errors), S_FALSE);
  EXPECT_EQ(errors[0], E_FAIL);
  CoTaskMemFree(errors);
}

TEST_F(SampleFaultTest, GetStatusCanFailFromTheNthCallOn) {
  options.failStatusFromCall = 3;
  com::Ptr<IOPCServer> server = makeServer(options);
  for (HRESULT expected : {S_OK, S_OK, E_FAIL, E_FAIL}) {
    OPCSERVERSTATUS* status = nullptr;
    EXPECT_EQ(server->GetStatus(&status), expected);
    if (status != nullptr) {
      CoTaskMemFree(status->szVendorInfo);
      CoTaskMemFree(status);
    }
  }
}

TEST_F(SampleFaultTest, GroupsCanLackInterfaces) {
  options.omittedGroupInterfaces = kGroupSyncIO | kGroupDataObject | kGroupStateMgt | kGroupConnectionPoints;
  com::Ptr<IOPCServer> server = makeServer(options);
  GroupInfo group = addGroup(server.get(), u"Partial");
  struct Case {
    const IID& iid;
    HRESULT result;
  };
  const Case cases[] = {
      {IID_IOPCSyncIO, E_NOINTERFACE},       {IID_IDataObject, E_NOINTERFACE},
      {IID_IOPCGroupStateMgt, E_NOINTERFACE}, {IID_IOPCAsyncIO, S_OK},
      {IID_IOPCItemMgt, S_OK},                {IID_IOPCPublicGroupStateMgt, S_OK},
      {IID_IConnectionPointContainer, E_NOINTERFACE}, {IID_IOPCAsyncIO2, S_OK},
  };
  for (const auto& c : cases) {
    com::Ptr<IUnknown> found;
    EXPECT_EQ(group.items->QueryInterface(c.iid, found.putVoid()), c.result);
  }
  // AddGroup itself cannot hand out an interface the group lacks.
  com::Ptr<IUnknown> io;
  OPCHANDLE handle;
  DWORD revised;
  EXPECT_EQ(server->AddGroup(u"X", TRUE, 100, 0, nullptr, nullptr, 0, &handle, &revised, IID_IOPCSyncIO, io.put()),
            E_NOINTERFACE);
}

}  // namespace
}  // namespace sample::testing
