// The group panes' trees as the server fills them, their pop-ups, and the
// lookup of the selected group's interfaces.

#include "com/allocator.h"
#include "com/enumerator.h"
#include "com/object.h"
#include "gui/frame_window.h"
#include "resources/resource_ids.h"
#include "result/result_code_text.h"
#include "session_double.h"
#include "workspace_fixture.h"

namespace quillon::testing {
namespace {

using gui::testing::modalScript;
using GroupTreeTest = WorkspaceTest;

const QStringList kPrivateGroupPopup = {"Get Group Type", "Get State",     "Set State",      "Set Name",
                                        "Clone Group",    "Remove Group",  "Move To Public", "Validate Item",
                                        "Add Item",       "Add all Items", "Read all Items n"};
const QStringList kPublicGroupPopup = {"Get Group Type", "Get State",     "Set State",       "Clone Group",
                                       "Remove Group",   "Validate Item", "Read all Items n"};
const QStringList kPrivateItemPopup = {"Remove Item",  "Read",          "Write",          "Advise Data",
                                       "Attributes",   "Set Active",    "Set Inactive",   "Set Client Handle",
                                       "Set Datatype", "Validate Item", "Get Properties", "Read n"};

// A server whose private groups are "Broken", whose item list fails after
// two read-only items, and "Unknown", which cannot be opened.
class BrokenItemList final : public com::Object<BrokenItemList, IEnumOPCItemAttributes> {
 public:
  HRESULT STDMETHODCALLTYPE Next(ULONG, OPCITEMATTRIBUTES** records, ULONG* fetched) override {
    *records = nullptr;
    *fetched = 0;
    if (position_ == 2) return E_FAIL;
    auto* record = static_cast<OPCITEMATTRIBUTES*>(CoTaskMemAlloc(sizeof(OPCITEMATTRIBUTES)));
    *record = OPCITEMATTRIBUTES{};
    const std::u16string id = u"Item." + std::u16string(1, static_cast<char16_t>(u'0' + position_++));
    record->szItemID = static_cast<LPWSTR>(CoTaskMemAlloc((id.size() + 1) * sizeof(char16_t)));
    std::copy(id.c_str(), id.c_str() + id.size() + 1, record->szItemID);
    record->dwAccessRights = OPC_READABLE;
    *records = record;
    *fetched = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumOPCItemAttributes**) override { return E_NOTIMPL; }

 private:
  int position_ = 0;
};

class BrokenGroup final : public com::Object<BrokenGroup, IOPCItemMgt> {
 public:
  HRESULT STDMETHODCALLTYPE AddItems(DWORD, OPCITEMDEF*, OPCITEMRESULT**, HRESULT**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ValidateItems(DWORD, OPCITEMDEF*, BOOL, OPCITEMRESULT**, HRESULT**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RemoveItems(DWORD, OPCHANDLE*, HRESULT**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetActiveState(DWORD, OPCHANDLE*, BOOL, HRESULT**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetClientHandles(DWORD, OPCHANDLE*, OPCHANDLE*, HRESULT**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetDatatypes(DWORD, OPCHANDLE*, VARTYPE*, HRESULT**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateEnumerator(REFIID, LPUNKNOWN* enumerator) override {
    *enumerator = com::makeObject<BrokenItemList>().detach()->identity();
    return S_OK;
  }
};

class BrokenGroupServer final : public com::Object<BrokenGroupServer, IOPCServer> {
 public:
  HRESULT STDMETHODCALLTYPE AddGroup(LPCWSTR, BOOL, DWORD, OPCHANDLE, LONG*, FLOAT*, DWORD, OPCHANDLE*, DWORD*,
                                     REFIID, LPUNKNOWN*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT, LCID, LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetGroupByName(LPCWSTR name, REFIID, LPUNKNOWN* group) override {
    *group = nullptr;
    if (std::u16string_view(name) != u"Broken") return E_INVALIDARG;
    *group = com::makeObject<BrokenGroup>().detach()->identity();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetStatus(OPCSERVERSTATUS**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemoveGroup(OPCHANDLE, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateGroupEnumerator(OPCENUMSCOPE, REFIID, LPUNKNOWN* enumerator) override {
    IEnumString* names = nullptr;
    const HRESULT hr = com::EnumString::create({u"Broken", u"Unknown"}, &names);
    *enumerator = names;
    return hr;
  }
};

TEST_F(GroupTreeTest, AFailingItemListKeepsTheItemsReadSoFarAndTheNextGroupsAreStillListed) {
  com::Ptr<BrokenGroupServer> server = com::makeObject<BrokenGroupServer>();
  testing_support::SessionDouble session(server.get());
  CGroupView pane;
  pane.Create(nullptr, nullptr, nullptr);
  pane.SetScope(CGroupView::kPrivateScope, nullptr, &session);
  pane.OnInitialUpdate();
  modalScript().expectMessageBox(gui::IDOK,
                                 QString::fromStdString("Cannot enumerate Item Attributes :\n\n" +
                                                        ResultCodeText(E_FAIL, &session)));
  pane.RefreshGroupTree();
  modalScript().verifyAndReset();
  EXPECT_EQ(shape(&pane), (QStringList{"Private Groups#0", "  Broken#1", "    Item.0#3",
                                                      "    Item.1#3", "  Unknown#1"}));
  gui::TreeCtrl tree = pane.GetTreeCtrl();
  EXPECT_TRUE(tree.GetItemState(tree.GetChildItem(tree.GetRootItem()), gui::TVIS_EXPANDED) & gui::TVIS_EXPANDED);
  EXPECT_EQ(tree.GetSelectedItem(), tree.GetRootItem());
  pane.ClearGroupTree();
}

TEST_F(GroupTreeTest, GroupsAndItemsAreListedWithImagesByKindAndAccessRights) {
  startConnected();
  EXPECT_EQ(shape(privatePane()), QStringList{"Private Groups#0"});
  addGroup("Mixed", {"Access.WriteOnly", "Access.ReadOnly", "Static.I4", "Simulation.Ramp"});
  EXPECT_EQ(shape(privatePane()), (QStringList{"Private Groups#0", "  Mixed#1", "    Access.WriteOnly#2",
                                               "    Access.ReadOnly#3", "    Static.I4#4", "    Simulation.Ramp#3"}));
  gui::TreeCtrl tree = privatePane()->GetTreeCtrl();
  EXPECT_EQ(tree.GetSelectedItem(), tree.GetRootItem());
  EXPECT_TRUE(tree.GetItemState(entry(privatePane(), "Mixed"), gui::TVIS_EXPANDED) & gui::TVIS_EXPANDED);

  // Only exactly readable or exactly writeable rights have images of their own.
  const std::pair<DWORD, int> images[] = {{0, 4}, {1, 3}, {2, 2}, {3, 4}, {7, 4}};
  for (auto [rights, image] : images) EXPECT_EQ(CGroupView::ItemImage(rights), image) << rights;
}

TEST_F(GroupTreeTest, GroupsAreReadInBatchesInTheServersOrder) {
  startConnected();
  QStringList expected{"Private Groups#0"};
  // Eleven groups need a second batch of names.
  for (int i = 0; i < 11; ++i) {
    const std::string name = "G" + std::to_string(i);
    addGroup(name.c_str(), {});
    expected << QString::fromStdString("  " + name + "#1");
  }
  EXPECT_EQ(shape(privatePane()), expected);
  EXPECT_EQ(shape(publicPane()).first(), "Public Groups#0");
}

TEST_F(GroupTreeTest, ThePublicPanesPopupsLackThePrivateOnlyEntries) {
  startConnected();
  addGroup("G", {"Static.I4"});
  EXPECT_EQ(popupEntries(privatePane(), "G"), kPrivateGroupPopup);
  EXPECT_EQ(popupEntries(privatePane(), "Static.I4"), kPrivateItemPopup);

  EXPECT_EQ(popupEntries(publicPane(), "Public Simulation"), kPublicGroupPopup);
  gui::TreeCtrl tree = publicPane()->GetTreeCtrl();
  gui::TreeItem publicItem = tree.GetChildItem(entry(publicPane(), "Public Simulation"));
  ASSERT_NE(publicItem, nullptr);
  QStringList publicItemPopup = kPrivateItemPopup;
  publicItemPopup.removeAll("Remove Item");
  EXPECT_EQ(popupEntries(publicPane(), tree.GetItemText(publicItem)), publicItemPopup);
  // Choosing an entry selects it first.
  EXPECT_EQ(tree.GetSelectedItem(), publicItem);
}

TEST_F(GroupTreeTest, ARightClickOnTheRootAddsAGroupOnlyInThePrivatePane) {
  startConnected();
  int addGroupCommands = 0;
  frame->mapCommand(ID_IOPCSERVER_ADDGROUP, [&] { ++addGroupCommands; });
  EXPECT_TRUE(popupEntries(publicPane(), "Public Groups").isEmpty());
  EXPECT_EQ(addGroupCommands, 0);
  EXPECT_TRUE(popupEntries(privatePane(), "Private Groups").isEmpty());
  EXPECT_EQ(addGroupCommands, 1);
  EXPECT_TRUE(modalScript().messageBoxes().empty());
}

TEST_F(GroupTreeTest, AGroupTheServerNoLongerKnowsLosesItsNodeAndItsPopup) {
  startConnected();
  const OPCHANDLE handle = addGroup("Gone", {"Static.I4"});
  // Another party removes the group; the pane still shows it.
  ASSERT_EQ(frame->session().GetServer()->RemoveGroup(handle, TRUE), S_OK);
  choose(privatePane(), "Gone", "Remove Group");
  const ResultPane pane = resultPane();
  EXPECT_EQ(pane.function, "IOPCServer::RemoveGroup");
  EXPECT_NE(pane.returnCode, "S_OK");
  EXPECT_TRUE(pane.lines.isEmpty());
  // The entry stays, with its items, but offers no pop-up any more.
  EXPECT_EQ(shape(privatePane()), (QStringList{"Private Groups#0", "  Gone#1", "    Static.I4#4"}));
  modalScript().expectMessageBox(gui::IDOK, "Cannot find interface 'IOPCServer'");
  EXPECT_TRUE(popupEntries(privatePane(), "Gone").isEmpty());
  // An item of it finds no group either, and says nothing.
  choose(privatePane(), "Static.I4", "Read");
  EXPECT_EQ(resultPane(), pane);
}

TEST_F(GroupTreeTest, APublicGroupTheServerNoLongerKnowsSaysSoInThePublicPanesWords) {
  startConnected();
  gui::TreeCtrl tree = publicPane()->GetTreeCtrl();
  tree.SelectItem(entry(publicPane(), "Public Simulation"));
  IOPCGroupStateMgt* state = nullptr;
  ASSERT_TRUE(publicPane()->SelectedGroupInterface(&state));
  DWORD rate = 0;
  BOOL active = FALSE;
  LPWSTR name = nullptr;
  LONG bias = 0;
  FLOAT deadband = 0;
  LCID locale = 0;
  OPCHANDLE client = 0;
  OPCHANDLE handle = 0;
  ASSERT_EQ(state->GetState(&rate, &active, &name, &bias, &deadband, &locale, &client, &handle), S_OK);
  CoTaskMemFree(name);
  ASSERT_EQ(frame->session().GetPublicGroups()->RemovePublicGroup(handle, TRUE), S_OK);

  choose(publicPane(), "Public Simulation", "Remove Group");
  EXPECT_EQ(resultPane().function, "IOPCServerPublicGroups::RemovePublicGroup");
  EXPECT_NE(resultPane().returnCode, "S_OK");
  modalScript().expectMessageBox(
      gui::IDOK, "The connected Server does not support the optional interface 'IOPCServerPublicGroups'");
  EXPECT_TRUE(popupEntries(publicPane(), "Public Simulation").isEmpty());
}

TEST_F(GroupTreeTest, AGroupWithoutAnInterfaceSaysSoWhenACommandNeedsIt) {
  struct Case {
    const char* progId;
    const char* entry;
    const char* command;
    const char* message;
  };
  const Case cases[] = {
      {"Pelkor.DataSample.LimitedGroups", "Static.I4", "Read", "Interface not supported : IOPCSyncIO\n"},
      {"Pelkor.DataSample.LimitedGroups", "G", "Get Group Type", "Interface not supported : IOPCPublicGroupStateMgt\n"},
      {"Pelkor.DataSample.LimitedGroups", "G", "Read all Items n", "Interface not supported : IOPCSyncIO\n"},
      {"Pelkor.DataSample.StatelessGroups", "G", "Get State", "Interface not supported : IOPCGroupStateMgt\n"},
      {"Pelkor.DataSample.StatelessGroups", "G", "Remove Group",
       "Invalid Group Handle or interface\nIOPCGroupStateMgt not supported.\n"},
  };
  start([](gui::testing::DialogDriver& d) { d.press(gui::IDCANCEL); });
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.progId) + " " + c.command);
    connect(answer(c.progId));
    addGroup("G", {"Static.I4"});
    const ResultPane before = resultPane();
    choose(privatePane(), c.entry, c.command, [&] { modalScript().expectMessageBox(gui::IDOK, c.message); });
    modalScript().verifyAndReset();
    EXPECT_EQ(resultPane(), before);
    gui::testing::triggerAction(*frame, ID_DISCONNECT);
  }
}

}  // namespace
}  // namespace quillon::testing
