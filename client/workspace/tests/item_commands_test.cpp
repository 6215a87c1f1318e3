// The item pop-up's commands against the sample server, each compared on
// the whole result pane, with the tree they leave behind.

#include <QRegularExpression>

#include "com/allocator.h"

#include "resources/parameter_dialog_ids.h"
#include "resources/resource_ids.h"
#include "scripted_ticks.h"
#include "workspace_fixture.h"

namespace quillon::testing {
namespace {

using gui::testing::modalScript;
using ItemCommandsTest = WorkspaceTest;

TEST_F(ItemCommandsTest, ReadShowsTheItemsStateFromTheCache) {
  startConnected();
  addGroup("G", {"Static.I4"});
  choose(privatePane(), "Static.I4", "Read");
  ResultPane pane = resultPane();
  ASSERT_EQ(pane.lines.size(), 6);
  EXPECT_TRUE(QRegularExpression("^ftTimeStamp   : \\d\\d\\.[A-Z][a-z][a-z] \\d{4}, \\d\\d:\\d\\d:\\d\\d$")
                  .match(pane.lines[2])
                  .hasMatch())
      << pane.lines[2].toStdString();
  pane.lines[2] = "<time>";
  EXPECT_EQ(pane, (ResultPane{"IOPCSyncIO::Read",
                              "S_OK",
                              {"Read Item 'Static.I4'", "hClient       : 1", "<time>",
                               "wQuality      : Good: Non-specific, Limit: Not Limited, (00C0h)",
                               "vDataValue[0] : -123456", "wReserved     : 0"}}));
}

TEST_F(ItemCommandsTest, AttributesShowTheRecordOfTheLastRefresh) {
  startConnected();
  addGroup("G", {"Access.ReadOnly"});
  choose(privatePane(), "Access.ReadOnly", "Attributes");
  const ResultPane pane = resultPane();
  EXPECT_EQ(pane.function, "IEnumOPCItemAttributes::Next");
  EXPECT_EQ(pane.returnCode, "S_OK");
  ASSERT_GE(pane.lines.size(), 12);
  EXPECT_EQ(pane.lines.mid(0, 11),
            (QStringList{"szAccessPath        : ", "szItemID            : Access.ReadOnly",
                         "bActive             : TRUE", "hClient             : 1",
                         pane.lines[4], "dwAccessRights      : Readable", "dwBlobSize          : 0",
                         "vtRequestedDataType : VT_EMPTY", pane.lines[8], "dwEUType            : OPC_NOENUM",
                         "vEUInfo.vt          : VT_EMPTY"}));
  EXPECT_TRUE(pane.lines[4].startsWith("hServer             : "));
  EXPECT_TRUE(pane.lines[8].startsWith("vtCanonicalDataType : VT_"));
  EXPECT_EQ(pane.lines.mid(11), QStringList{"vEUInfo[0]          : "});
}

TEST_F(ItemCommandsTest, SetInactiveAndSetActiveChangeTheItemAndReadThePaneAgain) {
  startConnected();
  addGroup("G", {"Static.I2"});
  choose(privatePane(), "Static.I2", "Set Inactive");
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCItemMgt::SetActiveState", "S_OK", {"Item 'Static.I2' set Inactive"}}));
  gui::TreeCtrl tree = privatePane()->GetTreeCtrl();
  EXPECT_EQ(tree.GetSelectedItem(), tree.GetRootItem());
  choose(privatePane(), "Static.I2", "Attributes");
  EXPECT_EQ(resultPane().lines.value(2), "bActive             : FALSE");

  choose(privatePane(), "Static.I2", "Set Active");
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCItemMgt::SetActiveState", "S_OK", {"Item 'Static.I2' set Active"}}));
  choose(privatePane(), "Static.I2", "Attributes");
  EXPECT_EQ(resultPane().lines.value(2), "bActive             : TRUE");
}

TEST_F(ItemCommandsTest, RemoveItemRemovesItOrSaysWhyNot) {
  startConnected();
  addGroup("G", {"Static.I4", "Static.R8"});
  gui::TreeCtrl tree = privatePane()->GetTreeCtrl();
  const auto* item = reinterpret_cast<const ItemNode*>(tree.GetItemData(entry(privatePane(), "Static.I4")));
  const OPCHANDLE handle = item->hServer;
  choose(privatePane(), "Static.I4", "Remove Item");
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCItemMgt::RemoveItems",
                                      "S_OK",
                                      {"Removed Item 'Static.I4'", "With Handle  : " + QString::number(handle)}}));
  EXPECT_EQ(shape(privatePane()), (QStringList{"Private Groups#0", "  G#1", "    Static.R8#4"}));

  // The server no longer knows an item that the pane still lists.
  OPCHANDLE r8 = reinterpret_cast<const ItemNode*>(tree.GetItemData(entry(privatePane(), "Static.R8")))->hServer;
  IOPCItemMgt* itemMgt = nullptr;
  tree.SelectItem(entry(privatePane(), "G"));
  ASSERT_TRUE(privatePane()->SelectedGroupInterface(&itemMgt));
  HRESULT* errors = nullptr;
  ASSERT_EQ(itemMgt->RemoveItems(1, &r8, &errors), S_OK);
  CoTaskMemFree(errors);
  choose(privatePane(), "Static.R8", "Remove Item");
  const ResultPane pane = resultPane();
  EXPECT_EQ(pane.function, "IOPCItemMgt::RemoveItems");
  EXPECT_EQ(pane.returnCode, "S_FALSE");
  ASSERT_EQ(pane.lines.size(), 2);
  EXPECT_EQ(pane.lines[0], "Cannot remove Item 'Static.R8'");
  EXPECT_TRUE(pane.lines[1].startsWith("Error : OPC_E_INVALIDHANDLE")) << pane.lines[1].toStdString();
  // A failure leaves the tree as it was.
  EXPECT_EQ(shape(privatePane()), (QStringList{"Private Groups#0", "  G#1", "    Static.R8#4"}));
}

TEST_F(ItemCommandsTest, GetPropertiesListsTheItemsPropertiesInTheMainWindowsRecord) {
  startConnected();
  addGroup("G", {"Analog.Pressure"});
  choose(privatePane(), "Analog.Pressure", "Get Properties");
  const ResultPane pane = resultPane();
  EXPECT_EQ(pane.function, "IOPCItemProperties::GetItemProperties");
  EXPECT_EQ(pane.returnCode, "S_OK");
  EXPECT_FALSE(pane.lines.isEmpty());
  EXPECT_TRUE(frame->functionResult().lines.empty());  // shown and emptied

  gui::testing::triggerAction(*frame, ID_DISCONNECT);
  connect(answer("Pelkor.DataSample.Minimal"));
  addGroup("G", {"Analog.Pressure"});
  choose(privatePane(), "Analog.Pressure", "Get Properties",
         [] { modalScript().expectMessageBox(gui::IDOK, "Interface not supported : IOPCItemProperties\n"); });
}

TEST_F(ItemCommandsTest, SetClientHandleAndSetDatatypeChangeTheItemAndReadThePaneAgain) {
  startConnected();
  addGroup("G", {"Static.R8"});
  choose(privatePane(), "Static.R8", "Set Client Handle", [] {
    modalScript().expectDialog(IDD_NUMBER_PARAM, [](gui::testing::DialogDriver& d) {
      EXPECT_EQ(d.caption(), "IOPCItemMgt::SetClientHandles");
      d.setText(IDC_PARAM_FIELD, "4000000000");
      d.press(gui::IDOK);
    });
  });
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCItemMgt::SetClientHandles",
                                      "S_OK",
                                      {"New Client Handle of Item 'Static.R8' is 4000000000"}}));
  gui::TreeCtrl tree = privatePane()->GetTreeCtrl();
  EXPECT_EQ(tree.GetSelectedItem(), tree.GetRootItem());
  choose(privatePane(), "Static.R8", "Attributes");
  EXPECT_EQ(resultPane().lines.value(3), "hClient             : 4000000000");

  choose(privatePane(), "Static.R8", "Set Datatype", [] {
    modalScript().expectDialog(IDD_CHOICE_PARAM, [](gui::testing::DialogDriver& d) {
      EXPECT_EQ(d.caption(), "IOPCItemMgt::SetDatatypes");
      d.selectText(IDC_PARAM_FIELD, "VT_BSTR");
      d.press(gui::IDOK);
    });
  });
  EXPECT_EQ(resultPane(),
            (ResultPane{"IOPCItemMgt::SetDatatypes", "S_OK", {"New Datatype of Item 'Static.R8' is VT_BSTR"}}));
  choose(privatePane(), "Static.R8", "Attributes");
  EXPECT_EQ(resultPane().lines.value(7), "vtRequestedDataType : VT_BSTR");
}

TEST_F(ItemCommandsTest, ValidateItemValidatesTheItemAsItStands) {
  startConnected();
  addGroup("G", {"Static.I1"});
  for (const char* blobs : {"FALSE", "TRUE"}) {
    choose(privatePane(), "Static.I1", "Validate Item", [blobs] {
      modalScript().expectDialog(IDD_CHOICE_PARAM, [blobs](gui::testing::DialogDriver& d) {
        EXPECT_EQ(d.caption(), "IOPCItemMgt::ValidateItems");
        d.selectText(IDC_PARAM_FIELD, blobs);
        d.press(gui::IDOK);
      });
    });
    // Unlike the group's command, the item's shows no blob size.
    EXPECT_EQ(resultPane(), (ResultPane{"IOPCItemMgt::ValidateItems", "S_OK", {}})) << blobs;
  }
}

TEST_F(ItemCommandsTest, ReadNTimesTheItem) {
  startConnected();
  addGroup("G", {"Static.I4"});
  ScriptedTicks ticks({1000u, 1250u});
  choose(privatePane(), "Static.I4", "Read n", [] {
    modalScript().expectDialog(IDD_NUMBER_PARAM_WITH_CHECK, [](gui::testing::DialogDriver& d) {
      EXPECT_EQ(d.caption(), "IOPCSyncIO::Read n times");
      EXPECT_EQ(d.text(IDC_PARAM_FIELD), "10");
      EXPECT_TRUE(d.isChecked(IDC_PARAM_CHECK));
      d.press(gui::IDOK);
    });
  });
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCSyncIO::Read",
                                      "S_OK",
                                      {"10 read access takes 250 milliseconds.",
                                       "Average access time per read is 25.000000 ms."}}));
}

TEST_F(ItemCommandsTest, WriteWritesTheConvertedValueOrSaysWhyNot) {
  startConnected();
  addGroup("G", {"Static.I4", "Access.ReadOnly", "Static.Arrays.Real4Array"});
  auto write = [](const QString& value) {
    return [=] {
      modalScript().expectDialog(IDD_WRITE_VALUE, [=](gui::testing::DialogDriver& d) {
        EXPECT_EQ(d.caption(), "IOPCSyncIO::Write");
        d.setText(IDC_VALUE, value);
        d.press(gui::IDOK);
      });
    };
  };
  choose(privatePane(), "Static.I4", "Write", write("77"));
  EXPECT_EQ(resultPane(), (ResultPane{"IOPCSyncIO::Write", "S_OK", {"Written Item 'Static.I4'"}}));
  choose(privatePane(), "Static.I4", "Read");
  EXPECT_EQ(resultPane().lines.value(4), "vDataValue[0] : 77");

  choose(privatePane(), "Access.ReadOnly", "Write", write("1"));
  const ResultPane pane = resultPane();
  EXPECT_EQ(pane.returnCode, "S_FALSE");
  ASSERT_EQ(pane.lines.size(), 2);
  EXPECT_EQ(pane.lines[0], "Cannot write Item 'Access.ReadOnly'");
  EXPECT_TRUE(pane.lines[1].startsWith("Error : OPC_E_BADRIGHTS")) << pane.lines[1].toStdString();

  // Arrays are refused before anything is asked or shown.
  choose(privatePane(), "Static.Arrays.Real4Array", "Write",
         [] { modalScript().expectMessageBox(gui::IDOK, "Cannot write arrays"); });
  EXPECT_EQ(resultPane(), pane);
}

}  // namespace
}  // namespace quillon::testing
