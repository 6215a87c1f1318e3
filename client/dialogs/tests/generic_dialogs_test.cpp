// The generic parameter dialogs: the text dialog's caption and label by
// mode, the number dialog's range and check box, the sorted choice lists
// and the item-identifier list filled from the server's address space.

#include <algorithm>
#include <memory>

#include "dialog_test_support.h"
#include "dialogs/choice_param_dialog.h"
#include "dialogs/item_id_dialog.h"
#include "dialogs/number_param_dialog.h"
#include "dialogs/text_param_dialog.h"
#include "resources/parameter_dialog_ids.h"
#include "testing/scratch_registry.h"
#include "session/server_session.h"

namespace {

using namespace quillon;
using namespace dialogs_test;

using TextParamDialogTest = DialogTest;

TEST_F(TextParamDialogTest, EachModeNamesItsMethodAndSaysWhatToType) {
  struct Case {
    int mode;
    const char* caption;
    const char* label;
  };
  const Case cases[] = {
      {0, "IOPCBrowseServerAddressSpace::GetItemID", "Name of the BRANCH or LEAF"},
      {1, "IOPCBrowseServerAddressSpace::BrowseAccessPaths", "Fully Qualified ItemID"},
      {2, "IOPCGroupStateMgt::SetName", "New Name for the Group"},
      {3, "IOPCGroupStateMgt::CloneGroup", "Name of the new Group"},
      {4, "IOPCCommon::GetErrorString", "Specify the error code as hex value"},
      {5, "IOPCCommon::SetClientName", "The client name to be registered"},
      {6, "", "String field description"},
      {-1, "", "String field description"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    CTextParamDialog dialog(c.mode);
    EXPECT_EQ(run(dialog,
                  [&](DialogDriver& d) {
                    EXPECT_EQ(d.caption(), c.caption);
                    EXPECT_EQ(d.text(IDC_PARAM_LABEL), c.label);
                    EXPECT_EQ(d.text(IDC_PARAM_FIELD), "");
                    d.setText(IDC_PARAM_FIELD, "  Group \u00C4 1 ");  // taken as typed, blanks and all
                    d.press(gui::IDOK);
                  }),
              gui::IDOK);
    EXPECT_EQ(dialog.text, "  Group \u00C4 1 ");
  }
}

TEST_F(TextParamDialogTest, ShowsAPresetTextAgainAndKeepsItOnCancel) {
  CTextParamDialog dialog(CTextParamDialog::kGetErrorString);
  dialog.text = "XYZ";
  EXPECT_EQ(run(dialog,
                [](DialogDriver& d) {
                  EXPECT_EQ(d.text(IDC_PARAM_FIELD), "XYZ");
                  d.setText(IDC_PARAM_FIELD, "C0040007");
                  d.pressEscape();
                }),
            gui::IDCANCEL);
  EXPECT_EQ(dialog.text, "XYZ");
}

using NumberParamDialogTest = DialogTest;

TEST_F(NumberParamDialogTest, TakesCaptionLabelAndCheckBoxFromTheCommand) {
  CNumberParamDialog counted("IOPCSyncIO::Read n times", "Number of read access", "Read from Cache");
  counted.number = 10;
  counted.checked = true;
  EXPECT_EQ(run(counted,
                [](DialogDriver& d) {
                  EXPECT_EQ(d.templateId(), IDD_NUMBER_PARAM_WITH_CHECK);
                  EXPECT_EQ(d.caption(), "IOPCSyncIO::Read n times");
                  EXPECT_EQ(d.text(IDC_PARAM_LABEL), "Number of read access");
                  EXPECT_EQ(d.text(IDC_PARAM_FIELD), "10");
                  EXPECT_TRUE(d.isVisible(IDC_PARAM_CHECK));
                  EXPECT_EQ(d.text(IDC_PARAM_CHECK), "Read from Cache");
                  EXPECT_TRUE(d.isChecked(IDC_PARAM_CHECK));
                  d.setText(IDC_PARAM_FIELD, "4294967295");
                  d.check(IDC_PARAM_CHECK, false);
                  d.press(gui::IDOK);
                }),
            gui::IDOK);
  EXPECT_EQ(counted.number, 4294967295u);
  EXPECT_FALSE(counted.checked);

  CNumberParamDialog handle("IOPCItemMgt::SetClientHandles", "New Client Handle");
  EXPECT_EQ(run(handle,
                [](DialogDriver& d) {
                  EXPECT_EQ(d.templateId(), IDD_NUMBER_PARAM);
                  EXPECT_EQ(d.caption(), "IOPCItemMgt::SetClientHandles");
                  EXPECT_EQ(d.text(IDC_PARAM_LABEL), "New Client Handle");
                  EXPECT_EQ(d.text(IDC_PARAM_FIELD), "0");
                  EXPECT_FALSE(d.isVisible(IDC_PARAM_CHECK));
                  d.setText(IDC_PARAM_FIELD, "7");
                  d.press(gui::IDOK);
                }),
            gui::IDOK);
  EXPECT_EQ(handle.number, 7u);
}

TEST_F(NumberParamDialogTest, RefusesWhatIsNoNumberFromOneUpAndStaysOpen) {
  for (bool withCheckBox : {false, true}) {
    SCOPED_TRACE(withCheckBox);
    auto dialog = withCheckBox ? std::make_unique<CNumberParamDialog>("c", "l", "x")
                               : std::make_unique<CNumberParamDialog>("c", "l");
    run(*dialog, [](DialogDriver& d) {
      // The preset 0 itself is refused: the user has to choose a count or handle.
      modalScript().expectMessageBox(gui::IDOK, "Please enter an integer between 1 and 4294967295.");
      d.press(gui::IDOK);
      EXPECT_FALSE(d.ended());
      expectRefused(d, IDC_PARAM_FIELD, "4294967296", "Please enter a positive integer.");
      expectRefused(d, IDC_PARAM_FIELD, "-1", "Please enter a positive integer.");
      expectRefused(d, IDC_PARAM_FIELD, "ten", "Please enter a positive integer.");
      expectRefused(d, IDC_PARAM_FIELD, "", "Please enter a positive integer.");
      d.setText(IDC_PARAM_FIELD, " 1 ");
      d.press(gui::IDOK);
      EXPECT_TRUE(d.ended());
    });
    EXPECT_EQ(dialog->number, 1u);
  }
}

using ChoiceParamDialogTest = DialogTest;

TEST_F(ChoiceParamDialogTest, OffersTheTypesSortedAndGivesTheChosenTypesCode) {
  struct Case {
    const char* choose;  // nullptr: keep the preselection; otherwise chosen, or typed when no entry
    bool typed;
    DWORD expected;
  };
  const Case cases[] = {{nullptr, false, VT_EMPTY}, {"VT_R8", false, VT_R8}, {"VT_BSTR", false, VT_BSTR},
                        {"VT_UI4", false, VT_UI4},   {"VT_WHATEVER", true, VT_EMPTY}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.choose == nullptr ? "preselected" : c.choose);
    CChoiceParamDialog dialog(CChoiceParamDialog::kSetDatatypes);
    dialog.value = 99;  // a typed text that is no entry keeps what the member held
    EXPECT_EQ(run(dialog,
                  [&](DialogDriver& d) {
                    EXPECT_EQ(d.caption(), "IOPCItemMgt::SetDatatypes");
                    EXPECT_EQ(d.text(IDC_PARAM_LABEL), "New Requested Datatype");
                    const QStringList entries = d.entries(IDC_PARAM_FIELD);
                    EXPECT_EQ(entries.size(), 20);
                    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end()));
                    EXPECT_LT(entries.indexOf("VT_BOOL"), entries.indexOf("VT_BSTR"));
                    EXPECT_FALSE(entries.contains("VT_VARIANT"));
                    EXPECT_EQ(d.text(IDC_PARAM_FIELD), "VT_EMPTY");
                    if (c.choose != nullptr && c.typed) d.setText(IDC_PARAM_FIELD, c.choose);
                    if (c.choose != nullptr && !c.typed) d.selectText(IDC_PARAM_FIELD, c.choose);
                    d.press(gui::IDOK);
                  }),
              gui::IDOK);
    EXPECT_EQ(dialog.value, c.typed ? 99u : c.expected);
  }
}

TEST_F(ChoiceParamDialogTest, AsksWhetherTheServerShouldReturnBlobs) {
  for (const char* choice : {"FALSE", "TRUE"}) {
    CChoiceParamDialog dialog(CChoiceParamDialog::kValidateItems);
    run(dialog, [&](DialogDriver& d) {
      EXPECT_EQ(d.caption(), "IOPCItemMgt::ValidateItems");
      EXPECT_EQ(d.text(IDC_PARAM_LABEL), "Server should return Blobs");
      EXPECT_EQ(d.entries(IDC_PARAM_FIELD), QStringList({"FALSE", "TRUE"}));
      EXPECT_EQ(d.selectedIndex(IDC_PARAM_FIELD), 0);
      d.selectText(IDC_PARAM_FIELD, choice);
      d.press(gui::IDOK);
    });
    EXPECT_EQ(dialog.value, std::string(choice) == "TRUE" ? 1u : 0u);
  }
}

class ItemIdDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_TRUE(quillon::testing::ScratchRegistry::hasSampleServer());
  }
  CServerSession session;
};

TEST_F(ItemIdDialogTest, OffersTheServersWholeAddressSpaceWithTheFirstItemSelected) {
  ASSERT_TRUE(session.Connect("", "Pelkor.DataSample"));
  CItemIdDialog dialog("IOPCItemProperties::GetItemProperties", session);
  EXPECT_EQ(run(dialog,
                [](DialogDriver& d) {
                  EXPECT_EQ(d.caption(), "IOPCItemProperties::GetItemProperties");
                  const QStringList entries = d.entries(IDC_ITEM_ID);
                  ASSERT_GT(entries.size(), 1000);  // the many-items branch alone has 1000
                  EXPECT_TRUE(entries.contains("Static.I4"));
                  EXPECT_TRUE(entries.contains("Analog.Pressure"));
                  EXPECT_FALSE(entries.contains("Static"));  // a flat list names no branch
                  EXPECT_EQ(d.selectedIndex(IDC_ITEM_ID), 0);
                  EXPECT_EQ(d.text(IDC_ITEM_ID), entries.first());
                  d.selectText(IDC_ITEM_ID, "Static.I4");
                  d.press(gui::IDOK);
                }),
            gui::IDOK);
  EXPECT_EQ(dialog.itemId, "Static.I4");

  run(dialog, [](DialogDriver& d) {
    d.setText(IDC_ITEM_ID, "No.Such.Item");  // any typed identifier is taken
    d.press(gui::IDOK);
  });
  EXPECT_EQ(dialog.itemId, "No.Such.Item");
}

TEST_F(ItemIdDialogTest, StartsEmptyWhenTheServerCannotBrowse) {
  ASSERT_TRUE(session.Connect("", "Pelkor.DataSample.Minimal"));
  CItemIdDialog dialog("IOPCItemProperties::LookupItemIDs", session);
  run(dialog, [](DialogDriver& d) {
    EXPECT_TRUE(d.entries(IDC_ITEM_ID).isEmpty());
    EXPECT_EQ(d.text(IDC_ITEM_ID), "");
    d.setText(IDC_ITEM_ID, "Static.R8");
    d.press(gui::IDOK);
  });
  EXPECT_EQ(dialog.itemId, "Static.R8");
}

}  // namespace
