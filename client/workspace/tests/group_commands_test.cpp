// The group pop-up's commands against the sample server, each compared on
// the whole result pane, with the tree they leave behind.

#include "resources/resource_ids.h"
#include "scripted_ticks.h"
#include "workspace_fixture.h"

namespace quillon::testing {
namespace {

using gui::testing::modalScript;
using GroupCommandsTest = WorkspaceTest;

TEST_F(GroupCommandsTest, GetGroupTypeAndGetStateDescribeTheGroup) {
  startConnected();
  const OPCHANDLE handle = addGroup("G", {});
  choose(privatePane(), "G", "Get Group Type");
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCPublicGroupStateMgt::GetState", "S_OK", {"Group 'G' is a Private Group"}}));
  choose(publicPane(), "Public Simulation", "Get Group Type");
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCPublicGroupStateMgt::GetState",
                                      "S_OK",
                                      {"Group 'Public Simulation' is a Public Group"}}));

  choose(privatePane(), "G", "Get State");
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCGroupStateMgt::GetState",
                                      "S_OK",
                                      {"UpdateRate      : 1000", "Active          : TRUE", "Name            : G",
                                       "TimeBias        : 0", "PercentDeadband : 0.000000",
                                       "LCID            : Language-Neutral", "hClientGroup    : 7",
                                       "hServerGroup    : " + QString::number(handle)}}));
}

TEST_F(GroupCommandsTest, RemoveGroupRemovesItAndReadsThePaneAgain) {
  startConnected();
  addGroup("Stays", {});
  const OPCHANDLE handle = addGroup("Goes", {"Static.I4"});
  choose(privatePane(), "Goes", "Remove Group");
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCServer::RemoveGroup",
                                      "S_OK",
                                      {"Removed Group : 'Goes'", "With Handle   : " + QString::number(handle)}}));
  EXPECT_EQ(shape(privatePane()), (QStringList{"Private Groups#0", "  Stays#1"}));
}

TEST_F(GroupCommandsTest, MoveToPublicReadsBothPanesAgain) {
  startConnected();
  addGroup("Shared", {"Static.R8"});
  choose(privatePane(), "Shared", "Move To Public");
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCPublicGroupStateMgt::MoveToPublic", "S_OK", {}}));
  EXPECT_EQ(shape(privatePane()), QStringList{"Private Groups#0"});
  EXPECT_TRUE(shape(publicPane()).contains("  Shared#1"));
  EXPECT_TRUE(shape(publicPane()).contains("    Static.R8#4"));

  // A public group is removed through the public groups' interface.
  choose(publicPane(), "Shared", "Remove Group");
  EXPECT_EQ(resultPane().function, "IOPCServerPublicGroups::RemovePublicGroup");
  EXPECT_FALSE(shape(publicPane()).contains("  Shared#1"));
}

TEST_F(GroupCommandsTest, AddAllItemsAddsTheFlatAddressSpaceWithHandlesInBrowseOrder) {
  startConnected();
  addGroup("All", {});
  // The browse spans a wrap of the counter; the add takes no tick at all.
  ScriptedTicks ticks({0xFFFFFFF0u, 0x10u, 500u, 500u});
  choose(privatePane(), "All", "Add all Items");
  EXPECT_EQ(ScriptedTicks::reads(), 4u);

  gui::TreeCtrl tree = privatePane()->GetTreeCtrl();
  gui::TreeItem group = entry(privatePane(), "All");
  ASSERT_NE(group, nullptr);
  const int count = group->childCount();
  EXPECT_GT(count, 1000);  // the ManyItems branch and the rest
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCItemMgt::AddItems",
                                      "S_OK",
                                      {"Total number of items added : " + QString::number(count),
                                       "Duration of BrowseOPCItemIDs( FLAT ) : 32 ms",
                                       "Duration of AddItems() : t < Resolution of the System Timer"}}));
  for (int i = 0; i < count; i += 97) {
    const auto* item = reinterpret_cast<const ItemNode*>(tree.GetItemData(group->child(i)));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->hClient, static_cast<OPCHANDLE>(i));
    EXPECT_TRUE(item->bActive);
    EXPECT_EQ(item->vtRequestedDataType, VT_EMPTY);
  }
  EXPECT_EQ(tree.GetSelectedItem(), tree.GetRootItem());
}

TEST_F(GroupCommandsTest, AddAllItemsNeedsTheBrowseInterface) {
  startConnected("Pelkor.DataSample.Minimal");
  addGroup("G", {});
  choose(privatePane(), "G", "Add all Items", [] {
    modalScript().expectMessageBox(gui::IDOK, "Interface not supported : IOPCBrowseServerAddressSpace\n");
  });
  EXPECT_EQ(resultPane(), (ResultPane{}));
  EXPECT_EQ(shape(privatePane()), (QStringList{"Private Groups#0", "  G#1"}));
}

}  // namespace
}  // namespace quillon::testing
