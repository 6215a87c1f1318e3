// Control handles: list and combo boxes, trees, list views, the IP address
// field, and the notifications they send (for the user's actions, not for
// the program's).

#include <gtest/gtest.h>

#include <QComboBox>
#include <QTreeWidget>

#include "gui/dialog.h"
#include "gui/testing/testing.h"
#include "test_resources.h"

namespace gui {
namespace {

using namespace test;
using testing::DialogDriver;
using testing::modalScript;

// A dialog that records the notifications of its controls.
class RecordingDialog : public Dialog {
 public:
  explicit RecordingDialog(UINT templateId) : Dialog(templateId) {
    for (int id : {int(kChoiceList), int(kListBox)}) {
      mapControlCode(static_cast<UINT>(id), CBN_SELCHANGE, [this, id] { log.push_back("selchange " + std::to_string(id)); });
    }
    mapControlCode(kSortedCombo, CBN_EDITCHANGE, [this] { log.push_back("editchange"); });
    mapControlCode(kTextField, EN_CHANGE, [this] { log.push_back("change " + GetDlgItemText(kTextField).toStdString()); });
    for (int code : {TVN_SELCHANGED, TVN_ITEMEXPANDING, NM_RCLICK}) {
      mapNotify(1000, code, [this](NotifyInfo& info) {
        const bool once = treeCtrl(1000).GetItemState(info.item, TVIS_EXPANDEDONCE) != 0;
        log.push_back(std::to_string(info.code) + " " + treeCtrl(1000).GetItemText(info.item).toStdString() +
                      (info.code == TVN_ITEMEXPANDING && once ? " again" : ""));
      });
    }
    mapNotify(1008, LVN_ITEMCHANGED, [this](NotifyInfo& info) { log.push_back("row " + std::to_string(info.row)); });
  }
  std::vector<std::string> log;
  std::function<void(RecordingDialog&)> onInit;

 protected:
  bool OnInitDialog() override {
    if (onInit) onInit(*this);
    return Dialog::OnInitDialog();
  }
};

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { registerTestResources(); }
};

TEST_F(ControlsTest, ListAndComboBoxesKeepEntriesDataAndSelection) {
  RecordingDialog dialog(kFieldsDialog);
  dialog.onInit = [](RecordingDialog& d) {
    ComboBox sorted = d.comboBox(kSortedCombo);
    EXPECT_EQ(sorted.AddString("VT_EMPTY"), 0);
    EXPECT_EQ(sorted.AddString("vt_bool"), 0);  // ignoring case, before VT_EMPTY
    EXPECT_EQ(sorted.AddString("VT_I4"), 2);
    // Adding never selects an entry by itself.
    EXPECT_EQ(sorted.GetCurSel(), CB_ERR);
    EXPECT_EQ(sorted.GetWindowText(), "");

    ComboBox choice = d.comboBox(kChoiceList);
    choice.SetItemData(choice.AddString("first"), 10);
    choice.SetItemData(choice.AddString("second"), 20);
    EXPECT_EQ(choice.GetCurSel(), CB_ERR);
    EXPECT_EQ(choice.SetCurSel(1), 1);
    EXPECT_EQ(choice.GetItemData(choice.GetCurSel()), 20u);
    EXPECT_EQ(choice.FindStringExact(-1, "FIRST"), 0);
    EXPECT_EQ(choice.GetItemData(5), static_cast<DWORD_PTR>(CB_ERR));

    ListBox list = d.listBox(kListBox);
    for (const char* entry : {"c", "a", "b"}) list.AddString(entry);
    EXPECT_EQ(list.GetText(0), "c");  // this list box is not sorted
    EXPECT_EQ(list.SetItemData(2, 7), 0);
    EXPECT_EQ(list.GetItemData(2), 7u);
    EXPECT_EQ(list.DeleteString(0), 2);
    EXPECT_EQ(list.FindStringExact(-1, "B"), 1);
    EXPECT_EQ(list.SetCurSel(1), 1);
    list.SetHorizontalExtent(5000);
    EXPECT_EQ(list.GetHorizontalExtent(), 5000);
  };
  modalScript().expectDialog(kFieldsDialog, [](DialogDriver& d) {
    EXPECT_EQ(d.entries(kSortedCombo), QStringList({"vt_bool", "VT_EMPTY", "VT_I4"}));
    // The program's selections sent nothing; the user's do.
    auto& log = static_cast<RecordingDialog&>(d.dialog()).log;
    EXPECT_TRUE(log.empty());
    d.select(kChoiceList, 0);
    d.select(kListBox, 0);
    d.setText(kSortedCombo, "VT_R");
    d.setText(kTextField, "x");
    EXPECT_EQ(log, (std::vector<std::string>{"selchange " + std::to_string(kChoiceList),
                                             "selchange " + std::to_string(kListBox), "editchange", "change x"}));
    // A typed text that matches no entry is no selection.
    EXPECT_EQ(d.dialog().comboBox(kSortedCombo).GetCurSel(), CB_ERR);
    d.pressEscape();
  });
  dialog.DoModal();
}

TEST_F(ControlsTest, TreeControlsInsertNavigateAndNotify) {
  RecordingDialog dialog(kControlsDialog);
  dialog.onInit = [](RecordingDialog& d) {
    TreeCtrl tree = d.treeCtrl(1000);
    ImageList images;
    ASSERT_TRUE(images.Create(kToolBarBitmap, 16, 0, QColor(255, 0, 255)));
    EXPECT_EQ(images.GetImageCount(), 5);
    tree.SetImageList(images);
    TreeItem computer = tree.InsertItem("This Computer", 0, 0);
    TreeItem network = tree.InsertItem("Network", 1, 1);
    TreeItem registry = tree.InsertItem("Registry", 7, 11, computer);
    TreeItem browser = tree.InsertItem("OPC Browser", 8, 10, computer, TreeCtrl::Position::First);
    tree.InsertItem("There are no other machines !", 9, 9, network);
    tree.SetItemData(browser, 0xBEEF);

    EXPECT_EQ(tree.GetRootItem(), computer);
    EXPECT_EQ(tree.GetNextSiblingItem(computer), network);
    EXPECT_EQ(tree.GetChildItem(computer), browser);
    EXPECT_EQ(tree.GetNextSiblingItem(browser), registry);
    EXPECT_EQ(tree.GetPrevSiblingItem(registry), browser);
    EXPECT_EQ(tree.GetParentItem(registry), computer);
    EXPECT_EQ(tree.GetItemData(browser), 0xBEEFu);
    int image = -1;
    int selected = -1;
    EXPECT_TRUE(tree.GetItemImage(registry, image, selected));
    EXPECT_EQ(image, 7);
    EXPECT_EQ(selected, 11);
    EXPECT_EQ(tree.GetCount(), 5);
    EXPECT_TRUE(tree.ItemHasChildren(network));
    tree.SelectItem(browser);  // the program's selection is reported too
  };
  modalScript().expectDialog(kControlsDialog, [](DialogDriver& d) {
    auto& log = static_cast<RecordingDialog&>(d.dialog()).log;
    // Selecting an entry under a collapsed one opens its parent, as on the desktop platform.
    EXPECT_EQ(log, (std::vector<std::string>{std::to_string(TVN_SELCHANGED) + " OPC Browser",
                                             std::to_string(TVN_ITEMEXPANDING) + " This Computer"}));
    log.clear();
    d.expandTreeItem(1000, {"Network"});
    d.dialog().treeCtrl(1000).Expand(d.treeItem(1000, {"Network"}), TVE_COLLAPSE);
    d.expandTreeItem(1000, {"Network"});
    testing::rightClickTreeItem(qobject_cast<QTreeWidget*>(d.control(1000)), d.treeItem(1000, {"Network"}));
    EXPECT_EQ(log, (std::vector<std::string>{std::to_string(TVN_ITEMEXPANDING) + " Network",
                                             std::to_string(TVN_ITEMEXPANDING) + " Network again",
                                             std::to_string(TVN_ITEMEXPANDING) + " Network again",
                                             std::to_string(NM_RCLICK) + " Network"}));
    TreeCtrl tree = d.dialog().treeCtrl(1000);
    EXPECT_TRUE(tree.DeleteItem(d.treeItem(1000, {"This Computer"})));
    EXPECT_EQ(tree.GetCount(), 2);
    d.pressEscape();
  });
  dialog.DoModal();
}

// Entries that take their texts from their item data, filled while their
// parent is detached and then attached in one step, as a large list is built.
TEST_F(ControlsTest, TreeEntriesWithTextCallbacksJoinTheTreeWithTheirDetachedParent) {
  static const char* const kNames[] = {"Alpha", "Beta"};
  const TreeTextCallback nameOf = [](DWORD_PTR data) { return QString(kNames[data]); };
  RecordingDialog dialog(kControlsDialog);
  dialog.onInit = [&](RecordingDialog& d) {
    TreeCtrl tree = d.treeCtrl(1000);
    TreeItem root = tree.InsertItem("Root", 0, 0);
    TreeItem group = tree.CreateDetachedItem("Group", 1, 1);
    TreeItem alpha = tree.InsertItem(nameOf, 2, 3, group, 0);
    TreeItem beta = tree.InsertItem(nameOf, 4, 4, group, 1);
    EXPECT_EQ(tree.GetCount(), 1);  // the detached entries are not in the tree yet
    EXPECT_TRUE(tree.AttachItem(group, root));
    EXPECT_FALSE(tree.AttachItem(group, root));  // already in the tree
    EXPECT_EQ(tree.GetCount(), 4);
    EXPECT_EQ(tree.GetParentItem(group), root);
    EXPECT_EQ(tree.GetChildItem(group), alpha);
    EXPECT_EQ(tree.GetNextSiblingItem(alpha), beta);
    EXPECT_EQ(tree.GetItemText(beta), "Beta");
    EXPECT_EQ(tree.GetItemData(beta), 1u);
    int image = -1;
    int selected = -1;
    EXPECT_TRUE(tree.GetItemImage(alpha, image, selected));
    EXPECT_EQ(image, 2);
    EXPECT_EQ(selected, 3);
    // What the view draws comes from the same callback.
    auto* widget = qobject_cast<QTreeWidget*>(tree.widget());
    tree.Expand(root, TVE_EXPAND);
    tree.Expand(group, TVE_EXPAND);
    EXPECT_EQ(widget->model()->data(widget->indexFromItem(alpha)).toString(), "Alpha");
    // A text of its own replaces the callback's, and the item data stays.
    EXPECT_TRUE(tree.SetItemText(beta, "Renamed"));
    EXPECT_EQ(widget->model()->data(widget->indexFromItem(beta)).toString(), "Renamed");
    EXPECT_EQ(tree.GetItemData(beta), 1u);
    EXPECT_EQ(tree.GetItemText(alpha), "Alpha");
  };
  modalScript().expectDialog(kControlsDialog, [](DialogDriver& d) { d.pressEscape(); });
  dialog.DoModal();
}

TEST_F(ControlsTest, ListViewsHoldRowsInColumnsAndReportTheChosenRow) {
  RecordingDialog dialog(kControlsDialog);
  dialog.onInit = [](RecordingDialog& d) {
    ListCtrl list = d.listCtrl(1008);
    EXPECT_EQ(list.GetColumnCount(), 2);
    const char* rows[][2] = {{"Sample Server", "Pelkor.DataSample.1"}, {"Other", "Other.Server"}};
    for (const auto& row : rows) {
      const int index = list.InsertItem(list.GetItemCount(), row[0]);
      list.SetItemText(index, 1, row[1]);
    }
    EXPECT_EQ(list.GetItemText(1, 1), "Other.Server");
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
    EXPECT_GT(list.GetStringWidth("ProgID"), 20);
  };
  modalScript().expectDialog(kControlsDialog, [](DialogDriver& d) {
    d.selectRow(1008, 1);
    ListCtrl list = d.dialog().listCtrl(1008);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(static_cast<RecordingDialog&>(d.dialog()).log, (std::vector<std::string>{"row 1"}));
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
    d.pressEscape();
  });
  dialog.DoModal();
}

TEST_F(ControlsTest, IpAddressFieldsHoldFourBytes) {
  Dialog dialog(kControlsDialog);
  modalScript().expectDialog(kControlsDialog, [](DialogDriver& d) {
    IpAddressCtrl address = d.dialog().ipAddress(1061);
    EXPECT_TRUE(address.IsBlank());
    d.setText(1061, "192.168.7.300");  // a field cannot exceed 255
    BYTE f0, f1, f2, f3;
    EXPECT_EQ(address.GetAddress(f0, f1, f2, f3), 4);
    EXPECT_EQ(QString("%1.%2.%3.%4").arg(f0).arg(f1).arg(f2).arg(f3), "192.168.7.255");
    d.setText(1061, "10..3.");  // blank fields read 0 and do not count
    EXPECT_EQ(address.GetAddress(f0, f1, f2, f3), 2);
    EXPECT_EQ(f1, 0);
    address.SetAddress(0x0A000001);
    DWORD value = 0;
    EXPECT_EQ(address.GetAddress(value), 4);
    EXPECT_EQ(value, 0x0A000001u);
    EXPECT_EQ(d.text(1061), "10.0.0.1");
    address.ClearAddress();
    EXPECT_TRUE(address.IsBlank());
    d.pressEscape();
  });
  dialog.DoModal();
}

TEST_F(ControlsTest, MenusAreAddressedByCommandOrPosition) {
  Menu menu;
  ASSERT_TRUE(menu.LoadMenu(kFrameId));
  EXPECT_FALSE(Menu().LoadMenu(4711));
  Menu session = menu.GetSubMenu(2);
  EXPECT_EQ(session.GetMenuItemCount(), 7);
  EXPECT_EQ(session.GetMenuString(ID_TEST_DISCONNECT, MF_BYCOMMAND), "&Disconnect");
  // By command, entries inside pop-ups are found too.
  EXPECT_EQ(menu.EnableMenuItem(ID_TEST_A2, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(menu.GetMenuState(ID_TEST_A2, MF_BYCOMMAND), MF_GRAYED);
  EXPECT_EQ(session.EnableMenuItem(3, MF_BYPOSITION | MF_ENABLED), MF_GRAYED);
  EXPECT_EQ(session.CheckMenuItem(ID_TEST_CONNECT, MF_CHECKED), MF_UNCHECKED);
  EXPECT_EQ(session.GetMenuState(0, MF_BYPOSITION), MF_CHECKED);
  EXPECT_TRUE(session.RemoveMenu(ID_TEST_UNHANDLED, MF_BYCOMMAND));
  EXPECT_FALSE(session.RemoveMenu(ID_TEST_UNHANDLED, MF_BYCOMMAND));
  EXPECT_EQ(session.GetMenuItemCount(), 6);
  EXPECT_EQ(session.GetMenuState(99, MF_BYPOSITION), kMenuNotFound);
  // A sub-menu keeps the loaded menu alive.
  menu.DestroyMenu();
  EXPECT_EQ(session.GetMenuItemCount(), 6);
}

}  // namespace
}  // namespace gui
