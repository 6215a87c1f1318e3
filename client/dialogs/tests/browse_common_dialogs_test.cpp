// The dialogs of the browsing, persistence and common commands: the browse
// position they show, their filter and direction choices, the configuration
// file name they remember, and the locale list.

#include "dialog_test_support.h"
#include "dialogs/browse_item_ids_dialog.h"
#include "dialogs/change_browse_position_dialog.h"
#include "dialogs/locale_param_dialog.h"
#include "dialogs/persist_file_dialog.h"
#include "format/code_text.h"
#include "resources/parameter_dialog_ids.h"
#include "session/browse_position.h"

namespace {

using namespace quillon;
using namespace dialogs_test;

class BrowseDialogTest : public DialogTest {
 protected:
  void TearDown() override { ResetBrowsePosition(); }
};

TEST_F(BrowseDialogTest, BrowseShowsThePositionAndGivesEachListsChosenValue) {
  struct Case {
    const char* position;
    const char* filterType;  // nullptr: keep the preselected entries
    const char* accessRights;
    const char* dataType;
    OPCBROWSETYPE expectedType;
    DWORD expectedRights;
    VARTYPE expectedDataType;
  };
  const Case cases[] = {
      {"<ROOT>", nullptr, nullptr, nullptr, OPC_FLAT, 0, VT_EMPTY},
      {"Static", "OPC_BRANCH", "OPC_READABLE", "VT_R8", OPC_BRANCH, OPC_READABLE, VT_R8},
      {"???", "OPC_LEAF", "OPC_WRITEABLE", "VT_DECIMAL", OPC_LEAF, OPC_WRITEABLE, VT_DECIMAL},
      {"Analog", "OPC_FLAT", "No filtering", "VT_I1", OPC_FLAT, 0, VT_I1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    SetCurrentBrowsePosition(c.position);
    CBrowseItemIdsDialog dialog;
    EXPECT_EQ(run(dialog,
                  [&](DialogDriver& d) {
                    EXPECT_EQ(d.caption(), "IOPCBrowseServerSpaceAddress::BrowseOPCItemIDs");
                    EXPECT_EQ(d.text(IDC_BROWSE_POSITION), c.position);
                    EXPECT_EQ(d.entries(IDC_BROWSE_FILTER_TYPE), QStringList({"OPC_FLAT", "OPC_BRANCH", "OPC_LEAF"}));
                    EXPECT_EQ(d.entries(IDC_ACCESS_RIGHTS_FILTER),
                              QStringList({"No filtering", "OPC_READABLE", "OPC_WRITEABLE"}));
                    const QStringList types = d.entries(IDC_DATA_TYPE_FILTER);
                    ASSERT_EQ(types.size(), 20);
                    EXPECT_EQ(types.first(), "VT_EMPTY");  // in the fillers' order, not sorted
                    EXPECT_EQ(types.last(), "VT_DECIMAL");
                    EXPECT_EQ(d.text(IDC_BROWSE_FILTER_TYPE), "OPC_FLAT");
                    EXPECT_EQ(d.text(IDC_ACCESS_RIGHTS_FILTER), "No filtering");
                    EXPECT_EQ(d.text(IDC_DATA_TYPE_FILTER), "VT_EMPTY");
                    EXPECT_EQ(d.text(IDC_FILTER_CRITERIA), "");
                    if (c.filterType != nullptr) {
                      d.selectText(IDC_BROWSE_FILTER_TYPE, c.filterType);
                      d.selectText(IDC_ACCESS_RIGHTS_FILTER, c.accessRights);
                      d.selectText(IDC_DATA_TYPE_FILTER, c.dataType);
                    }
                    d.setText(IDC_FILTER_CRITERIA, "R*");
                    d.press(gui::IDOK);
                  }),
              gui::IDOK);
    EXPECT_EQ(dialog.filterType, c.expectedType);
    EXPECT_EQ(dialog.accessRightsFilter, c.expectedRights);
    EXPECT_EQ(dialog.dataTypeFilter, c.expectedDataType);
    EXPECT_EQ(dialog.filterCriteria, "R*");
  }
}

TEST_F(BrowseDialogTest, ChangePositionEnablesTheBranchOnlyForDownAndToButReturnsItAlways) {
  SetCurrentBrowsePosition("Static.Arrays");
  struct Case {
    int radio;
    OPCBROWSEDIRECTION expected;
  };
  const Case cases[] = {{IDC_BROWSE_UP, OPC_BROWSE_UP}, {IDC_BROWSE_DOWN, OPC_BROWSE_DOWN}, {IDC_BROWSE_TO, OPC_BROWSE_TO}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.radio);
    CChangeBrowsePositionDialog dialog;
    EXPECT_EQ(run(dialog,
                  [&](DialogDriver& d) {
                    EXPECT_EQ(d.caption(), "IOPCBrowseServerSpaceAddress::ChangeBrowsePosition");
                    EXPECT_EQ(d.text(IDC_BROWSE_POSITION), "Static.Arrays");
                    EXPECT_TRUE(d.isChecked(IDC_BROWSE_UP));
                    EXPECT_FALSE(d.isEnabled(IDC_BRANCH));
                    d.check(IDC_BROWSE_DOWN);
                    EXPECT_TRUE(d.isEnabled(IDC_BRANCH));
                    d.setText(IDC_BRANCH, "Analog");
                    d.check(IDC_BROWSE_UP);
                    EXPECT_FALSE(d.isEnabled(IDC_BRANCH));
                    d.check(IDC_BROWSE_TO);
                    EXPECT_TRUE(d.isEnabled(IDC_BRANCH));
                    d.check(c.radio);
                    EXPECT_EQ(d.isEnabled(IDC_BRANCH), c.radio != IDC_BROWSE_UP);
                    d.press(gui::IDOK);
                  }),
              gui::IDOK);
    EXPECT_EQ(dialog.direction, c.expected);
    EXPECT_EQ(dialog.branch, "Analog");  // typed while the field was enabled, kept whatever the direction
  }
}

class PersistFileDialogTest : public DialogTest {
 protected:
  void TearDown() override { SetLastConfigurationFileName({}); }
};

TEST_F(PersistFileDialogTest, CaptionAndExtraControlFollowTheMode) {
  struct Case {
    int mode;
    const char* caption;
    bool checkBox;
    bool note;
  };
  const Case cases[] = {{CPersistFileDialog::kSave, "IPersistFile::Save", true, false},
                        {CPersistFileDialog::kSaveCompleted, "IPersistFile::SaveCompleted", false, false},
                        {CPersistFileDialog::kLoad, "IPersistFile::Load", false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    CPersistFileDialog dialog(c.mode);
    run(dialog, [&](DialogDriver& d) {
      EXPECT_EQ(d.caption(), c.caption);
      EXPECT_EQ(d.isVisible(IDC_REMEMBER), c.checkBox);
      EXPECT_EQ(d.isVisible(IDC_ACCESS_MODE_NOTE), c.note);
      if (c.checkBox) {
        EXPECT_EQ(d.text(IDC_REMEMBER), "Change the logically asscociated filename for this configuration.");
        EXPECT_FALSE(d.isChecked(IDC_REMEMBER));
        d.check(IDC_REMEMBER);
      }
      if (c.note) {
        EXPECT_EQ(d.text(IDC_ACCESS_MODE_NOTE), "The default storage access mode is used (Zero Value).");
      }
      d.press(gui::IDOK);
    });
    EXPECT_EQ(dialog.remember, c.checkBox);
  }
}

TEST_F(PersistFileDialogTest, RemembersTheLastNameConfirmedWithOkAcrossModes) {
  EXPECT_EQ(LastConfigurationFileName(), "");
  CPersistFileDialog save(CPersistFileDialog::kSave);
  run(save, [](DialogDriver& d) {
    EXPECT_EQ(d.text(IDC_FILE_NAME), "");
    d.setText(IDC_FILE_NAME, "/tmp/plant 1.cfg");
    d.press(gui::IDOK);
  });
  EXPECT_EQ(save.fileName, "/tmp/plant 1.cfg");
  EXPECT_EQ(LastConfigurationFileName(), "/tmp/plant 1.cfg");

  CPersistFileDialog load(CPersistFileDialog::kLoad);
  run(load, [](DialogDriver& d) {
    EXPECT_EQ(d.text(IDC_FILE_NAME), "/tmp/plant 1.cfg");
    d.setText(IDC_FILE_NAME, "cancelled.cfg");
    d.press(gui::IDCANCEL);
  });
  EXPECT_EQ(LastConfigurationFileName(), "/tmp/plant 1.cfg");

  CPersistFileDialog completed(CPersistFileDialog::kSaveCompleted);
  run(completed, [](DialogDriver& d) {
    EXPECT_EQ(d.text(IDC_FILE_NAME), "/tmp/plant 1.cfg");
    d.setText(IDC_FILE_NAME, "");
    d.press(gui::IDOK);
  });
  EXPECT_EQ(LastConfigurationFileName(), "");
}

using LocaleParamDialogTest = DialogTest;

TEST_F(LocaleParamDialogTest, OffersTheFiveLocalesAndGivesTheChosenOne) {
  const LCID locales[] = {0x000, 0x800, 0x400, 0x409, 0x407};
  for (int choice = -1; choice < 5; ++choice) {
    SCOPED_TRACE(choice);
    CLocaleParamDialog dialog;
    dialog.locale = 0x1234;
    run(dialog, [&](DialogDriver& d) {
      EXPECT_EQ(d.caption(), "IOPCCommon::SetLocaleID");
      const QStringList entries = d.entries(IDC_LOCALE);
      ASSERT_EQ(entries.size(), 5);
      for (int i = 0; i < 5; ++i) EXPECT_EQ(entries[i].toStdString(), LocaleText(locales[i]));
      EXPECT_EQ(entries[0], "Language-Neutral");
      EXPECT_EQ(d.selectedIndex(IDC_LOCALE), 0);
      if (choice >= 0) {
        d.select(IDC_LOCALE, choice);
      } else {
        dialog.comboBox(IDC_LOCALE).SetCurSel(-1);
      }
      d.press(gui::IDOK);
    });
    EXPECT_EQ(dialog.locale, choice >= 0 ? locales[choice] : 0u);
  }
}

}  // namespace
