// The group pop-up's commands against the sample server, each compared on
// the whole result pane, with the tree they leave behind.

#include "resources/parameter_dialog_ids.h"
#include "resources/resource_ids.h"
#include "scripted_ticks.h"
#include "workspace_fixture.h"

namespace quillon::testing {
namespace {

using gui::testing::modalScript;
using gui::testing::DialogDriver;
using GroupCommandsTest = WorkspaceTest;

// Answers the one-line text dialog with `text`, or cancels it.
std::function<void(DialogDriver&)> typeText(const QString& caption, const QString& text, bool ok = true) {
  return [=](DialogDriver& d) {
    EXPECT_EQ(d.caption(), caption);
    d.setText(IDC_PARAM_FIELD, text);
    d.press(ok ? gui::IDOK : gui::IDCANCEL);
  };
}

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

TEST_F(GroupCommandsTest, SetNameRenamesTheEntryWithoutReadingThePaneAgain) {
  startConnected();
  addGroup("Old", {"Static.I4"});
  choose(privatePane(), "Old", "Set Name", [] {
    modalScript().expectDialog(IDD_TEXT_PARAM, typeText("IOPCGroupStateMgt::SetName", "New", false));
  });
  EXPECT_EQ(resultPane(), (ResultPane{}));  // Cancel shows nothing

  choose(privatePane(), "Old", "Set Name", [] {
    modalScript().expectDialog(IDD_TEXT_PARAM, typeText("IOPCGroupStateMgt::SetName", "New"));
  });
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCGroupStateMgt::SetName", "S_OK", {}}));
  gui::TreeCtrl tree = privatePane()->GetTreeCtrl();
  EXPECT_EQ(tree.GetItemText(tree.GetSelectedItem()), "New");
  choose(privatePane(), "New", "Get State");
  EXPECT_EQ(resultPane().lines.value(2), "Name            : New");
}

TEST_F(GroupCommandsTest, CloneGroupAlwaysMakesAPrivateGroup) {
  startConnected();
  const QStringList publicBefore = shape(publicPane());
  choose(publicPane(), "Public Simulation", "Clone Group", [] {
    modalScript().expectDialog(IDD_TEXT_PARAM, typeText("IOPCGroupStateMgt::CloneGroup", "Copy"));
  });
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCGroupStateMgt::CloneGroup", "S_OK", {}}));
  const QStringList copy = shape(privatePane());
  ASSERT_GE(copy.size(), 3);
  EXPECT_EQ(copy.mid(0, 2), (QStringList{"Private Groups#0", "  Copy#1"}));
  // The clone has the original's items.
  EXPECT_EQ(copy.mid(2), publicBefore.mid(2));
  EXPECT_EQ(shape(publicPane()), publicBefore);
}

TEST_F(GroupCommandsTest, ReadAllItemsNReadsTheReadableItemsAndListsTheirStates) {
  startConnected();
  addGroup("G", {"Access.WriteOnly", "Static.I4", "Access.ReadOnly"});
  auto answer = [](const QString& count, bool fromCache) {
    return [=] {
      modalScript().expectDialog(IDD_NUMBER_PARAM_WITH_CHECK, [=](DialogDriver& d) {
        EXPECT_EQ(d.caption(), "Read all readable Group Items n times");
        EXPECT_EQ(d.text(IDC_PARAM_FIELD), "10");
        EXPECT_TRUE(d.isChecked(IDC_PARAM_CHECK));
        d.setText(IDC_PARAM_FIELD, count);
        d.check(IDC_PARAM_CHECK, fromCache);
        d.press(gui::IDOK);
      });
    };
  };
  {
    ScriptedTicks ticks({0xFFFFFFFFu, 5u});
    // When the series starts, the waiting line is already on show.
    std::vector<ResultPane> atStart;
    ScriptedTicks::onRead([&] {
      if (atStart.empty()) atStart.push_back(resultPane());
    });
    choose(privatePane(), "G", "Read all Items n", answer("3", true));
    ASSERT_EQ(atStart.size(), 1u);
    EXPECT_EQ(atStart[0], (ResultPane{"IOPCSyncIO::Read", "", {"Please wait. Read is in progress ..."}}));
  }
  ResultPane pane = resultPane();
  for (QString& line : pane.lines) {
    if (line.startsWith("   ftTimeStamp   : ")) line = "<time>";
  }
  ASSERT_GE(pane.lines.size(), 10);
  EXPECT_EQ(pane.lines.mid(0, 8), (QStringList{"3 read access for 2 items takes 6 ms.",
                                               "Average access time per read (2 items)", "is 2.000000 milliseconds.",
                                               "", "List with Item States from the", "first read access :",
                                               "Item 'Static.I4'", "<time>"}));
  EXPECT_TRUE(pane.lines.contains("   vDataValue[0] : -123456"));
  EXPECT_TRUE(pane.lines.contains("Item 'Access.ReadOnly'"));
  EXPECT_EQ(pane.function, "IOPCSyncIO::Read");
  EXPECT_EQ(pane.returnCode, "S_OK");

  // From the device, in less than a tick.
  {
    ScriptedTicks ticks({42u, 42u});
    choose(privatePane(), "G", "Read all Items n", answer("1", false));
  }
  EXPECT_EQ(resultPane().lines.mid(0, 2), (QStringList{"1 read access for 2 items takes less time",
                                                       "than the Resolution of the System Timer."}));
}

TEST_F(GroupCommandsTest, ReadAllItemsNNeedsReadableItems) {
  startConnected();
  addGroup("W", {"Access.WriteOnly"});
  choose(privatePane(), "W", "Read all Items n", [] {
    modalScript().expectMessageBox(gui::IDOK, "This Group has no Items to perform read operations.\n");
  });
  EXPECT_EQ(resultPane(), (ResultPane{}));
}

TEST_F(GroupCommandsTest, SetStateShowsTheCurrentStateAndSetsTheEditedOne) {
  startConnected();
  addGroup("G", {});
  choose(privatePane(), "G", "Set State", [] {
    modalScript().expectDialog(IDD_GROUP_STATE, [](DialogDriver& d) { d.press(gui::IDCANCEL); });
  });
  EXPECT_EQ(resultPane(), (ResultPane{}));

  choose(privatePane(), "G", "Set State", [] {
    modalScript().expectDialog(IDD_GROUP_STATE, [](DialogDriver& d) {
      EXPECT_EQ(d.text(IDC_UPDATE_RATE), "1000");
      EXPECT_EQ(d.text(IDC_PROVIDED_HANDLE), "7");
      EXPECT_TRUE(d.isChecked(IDC_ACTIVE));
      d.setText(IDC_UPDATE_RATE, "500");
      d.setText(IDC_PROVIDED_HANDLE, "8");
      d.check(IDC_INACTIVE);
      d.press(gui::IDOK);
    });
  });
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCGroupStateMgt::SetState", "S_OK", {"Revised UpdateRate : 500"}}));
  choose(privatePane(), "G", "Get State");
  const QStringList lines = resultPane().lines;
  EXPECT_EQ(lines.value(0), "UpdateRate      : 500");
  EXPECT_EQ(lines.value(1), "Active          : FALSE");
  EXPECT_EQ(lines.value(6), "hClientGroup    : 8");
}

TEST_F(GroupCommandsTest, ValidateItemChecksATypedDefinition) {
  startConnected();
  addGroup("G", {});
  auto validate = [](const QString& id, bool blob) {
    return [=] {
      modalScript().expectDialog(IDD_VALIDATE_ITEM, [=](DialogDriver& d) {
        d.setText(IDC_ITEM_ID, id);
        d.check(IDC_RETURN_BLOB, blob);
        d.press(gui::IDOK);
      });
    };
  };
  choose(privatePane(), "G", "Validate Item", validate("Static.I4", false));
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCItemMgt::ValidateItems", "S_OK", {}}));
  choose(privatePane(), "G", "Validate Item", validate("Static.I4", true));
  ResultPane pane = resultPane();
  ASSERT_EQ(pane.lines.size(), 1);
  EXPECT_TRUE(pane.lines[0].startsWith("Returned Blob size is ")) << pane.lines[0].toStdString();

  choose(privatePane(), "G", "Validate Item", validate("No.Such.Item", false));
  pane = resultPane();
  EXPECT_EQ(pane.returnCode, "S_FALSE");
  ASSERT_EQ(pane.lines.size(), 2);
  EXPECT_EQ(pane.lines[0], "Validation of Item 'No.Such.Item' failed");
  EXPECT_TRUE(pane.lines[1].startsWith("Error : OPC_E_UNKNOWNITEMID")) << pane.lines[1].toStdString();
  // Validating adds nothing.
  EXPECT_EQ(shape(privatePane()), (QStringList{"Private Groups#0", "  G#1"}));
}

TEST_F(GroupCommandsTest, AddItemAddsTheTypedItemOrSaysWhyNot) {
  startConnected();
  addGroup("G", {});
  auto add = [](const QString& id, const QString& handle) {
    return [=] {
      modalScript().expectDialog(IDD_ADD_ITEMS, [=](DialogDriver& d) {
        d.setText(IDC_ITEM_ID, id);
        d.setText(IDC_PROVIDED_HANDLE, handle);
        d.check(IDC_INACTIVE);
        d.press(gui::IDOK);
      });
    };
  };
  choose(privatePane(), "G", "Add Item", add("Static.R4", "42"));
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCItemMgt::AddItems", "S_OK", {}}));
  EXPECT_EQ(shape(privatePane()), (QStringList{"Private Groups#0", "  G#1", "    Static.R4#4"}));
  choose(privatePane(), "Static.R4", "Attributes");
  EXPECT_EQ(resultPane().lines.mid(2, 2), (QStringList{"bActive             : FALSE", "hClient             : 42"}));

  choose(privatePane(), "G", "Add Item", add("No.Such.Item", "1"));
  const ResultPane pane = resultPane();
  EXPECT_EQ(pane.returnCode, "S_FALSE");
  ASSERT_EQ(pane.lines.size(), 2);
  EXPECT_EQ(pane.lines[0], "Cannot add Item 'No.Such.Item'");
  EXPECT_EQ(shape(privatePane()), (QStringList{"Private Groups#0", "  G#1", "    Static.R4#4"}));
}

TEST_F(GroupCommandsTest, ANameTheServerRefusesShowsOnlyTheReturnCodeAndChangesNothing) {
  struct Case {
    const char* command;
    const char* caption;
    const char* function;
  };
  const Case cases[] = {
      {"Set Name", "IOPCGroupStateMgt::SetName", "IOPCGroupStateMgt::SetName"},
      {"Clone Group", "IOPCGroupStateMgt::CloneGroup", "IOPCGroupStateMgt::CloneGroup"},
  };
  startConnected();
  addGroup("Taken", {});
  addGroup("G", {"Static.I4"});
  const QStringList before = shape(privatePane());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    // Another group already has the name.
    choose(privatePane(), "G", c.command,
           [&] { modalScript().expectDialog(IDD_TEXT_PARAM, typeText(c.caption, "Taken")); });
    const ResultPane pane = resultPane();
    EXPECT_EQ(pane.function, c.function);
    EXPECT_TRUE(pane.returnCode.startsWith("OPC_E_DUPLICATENAME")) << pane.returnCode.toStdString();
    EXPECT_TRUE(pane.lines.isEmpty());
    EXPECT_EQ(shape(privatePane()), before);
  }
}

}  // namespace
}  // namespace quillon::testing
