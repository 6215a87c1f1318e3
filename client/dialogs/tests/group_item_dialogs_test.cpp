// The dialogs of the group and item commands: adding an item from the
// server's address space, validating an item definition, editing a group's
// state, and writing a value typed as text in a chosen type.

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

#include "dialog_test_support.h"
#include "dialogs/add_items_dialog.h"
#include "dialogs/group_state_dialog.h"
#include "dialogs/validate_item_dialog.h"
#include "dialogs/write_value_dialog.h"
#include "format/code_text.h"
#include "resources/parameter_dialog_ids.h"
#include "session/browse_position.h"
#include "session/server_session.h"
#include "testing/scratch_registry.h"

namespace {

using namespace quillon;
using namespace dialogs_test;

class AddItemsDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_TRUE(quillon::testing::ScratchRegistry::hasSampleServer());
  }
  void TearDown() override { ResetBrowsePosition(); }
  CServerSession session;
};

TEST_F(AddItemsDialogTest, OffersTheAddressSpaceSortedAndReadsTheItemDefinition) {
  ASSERT_TRUE(session.Connect("", "Pelkor.DataSample"));
  SetCurrentBrowsePosition("Static");
  CAddItemsDialog dialog(session);
  EXPECT_EQ(run(dialog,
                [](DialogDriver& d) {
                  EXPECT_EQ(d.caption(), "IOPCItemMgt::AddItems");
                  EXPECT_EQ(d.text(IDC_BROWSE_POSITION), "Static");
                  const QStringList items = d.entries(IDC_ITEM_ID);
                  ASSERT_GT(items.size(), 1000);
                  EXPECT_TRUE(std::is_sorted(items.begin(), items.end(), [](const QString& a, const QString& b) {
                    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
                  }));
                  EXPECT_EQ(d.selectedIndex(IDC_ITEM_ID), 0);  // the first shown, alphabetically
                  EXPECT_EQ(d.text(IDC_ITEM_ID), items.first());
                  EXPECT_EQ(d.text(IDC_ACCESS_PATH), "");
                  EXPECT_TRUE(d.isChecked(IDC_ACTIVE));
                  EXPECT_EQ(d.text(IDC_PROVIDED_HANDLE), "0");
                  expectRefused(d, IDC_PROVIDED_HANDLE, "-5", "Please enter a positive integer.");
                  d.selectText(IDC_ITEM_ID, "Paths.Level");
                  d.setText(IDC_ACCESS_PATH, "Line2");
                  d.check(IDC_INACTIVE);
                  d.setText(IDC_PROVIDED_HANDLE, "17");
                  d.press(gui::IDOK);
                }),
            gui::IDOK);
  EXPECT_EQ(dialog.itemId, "Paths.Level");
  EXPECT_EQ(dialog.accessPath, "Line2");
  EXPECT_FALSE(dialog.active);
  EXPECT_EQ(dialog.providedHandle, 17u);
}

TEST_F(AddItemsDialogTest, TakesATypedItemWhenTheServerCannotBrowse) {
  ASSERT_TRUE(session.Connect("", "Pelkor.DataSample.Minimal"));
  CAddItemsDialog dialog(session);
  run(dialog, [](DialogDriver& d) {
    EXPECT_EQ(d.text(IDC_BROWSE_POSITION), "<ROOT>");
    EXPECT_TRUE(d.entries(IDC_ITEM_ID).isEmpty());
    d.setText(IDC_ITEM_ID, "Static.BOOL");
    d.press(gui::IDOK);
  });
  EXPECT_EQ(dialog.itemId, "Static.BOOL");
  EXPECT_TRUE(dialog.active);
  EXPECT_EQ(dialog.providedHandle, 0u);
}

using ValidateItemDialogTest = DialogTest;

TEST_F(ValidateItemDialogTest, OffersTheTypesUnsortedAndReadsTheDefinition) {
  struct Case {
    const char* type;  // chosen entry, or typed text when `typed`
    bool typed;
    VARTYPE expected;
  };
  const Case cases[] = {{nullptr, false, VT_EMPTY}, {"VT_I2", false, VT_I2}, {"VT_UINT", false, VT_UINT},
                        {"VT_FLOAT", true, VT_EMPTY}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type == nullptr ? "preselected" : c.type);
    CValidateItemDialog dialog;
    EXPECT_EQ(run(dialog,
                  [&](DialogDriver& d) {
                    EXPECT_EQ(d.caption(), "IOPCItemMgt::ValidateItems");
                    EXPECT_EQ(d.text(IDC_ITEM_ID), "");
                    EXPECT_EQ(d.text(IDC_ACCESS_PATH), "");
                    const QStringList types = d.entries(IDC_REQUESTED_DATA_TYPE);
                    ASSERT_EQ(types.size(), 20);
                    EXPECT_EQ(types.mid(0, 4), QStringList({"VT_EMPTY", "VT_NULL", "VT_I1", "VT_I2"}));
                    EXPECT_EQ(d.text(IDC_REQUESTED_DATA_TYPE), "VT_EMPTY");
                    EXPECT_FALSE(d.isChecked(IDC_RETURN_BLOB));
                    d.setText(IDC_ITEM_ID, "Static.I2");
                    d.setText(IDC_ACCESS_PATH, "Line1");
                    if (c.type != nullptr && c.typed) d.setText(IDC_REQUESTED_DATA_TYPE, c.type);
                    if (c.type != nullptr && !c.typed) d.selectText(IDC_REQUESTED_DATA_TYPE, c.type);
                    d.check(IDC_RETURN_BLOB);
                    d.press(gui::IDOK);
                  }),
              gui::IDOK);
    EXPECT_EQ(dialog.itemId, "Static.I2");
    EXPECT_EQ(dialog.accessPath, "Line1");
    EXPECT_EQ(dialog.requestedDataType, c.expected);
    EXPECT_TRUE(dialog.returnBlob);
  }
}

using GroupStateDialogTest = DialogTest;

TEST_F(GroupStateDialogTest, ShowsTheCurrentStateAndReadsTheEditedOne) {
  struct Case {
    bool active;
    LCID locale;
    const char* localeShown;  // nullptr: no entry selected
  };
  const Case cases[] = {{true, 0x407, "German"}, {false, 0x800, "System Default Locale"}, {true, 0x40C, nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << c.locale);
    CGroupStateDialog dialog(1000, c.active, -60, 2.5f, c.locale, 9);
    EXPECT_EQ(run(dialog,
                  [&](DialogDriver& d) {
                    EXPECT_EQ(d.caption(), "IOPCGroupStateMgt::SetState");
                    EXPECT_EQ(d.text(IDC_UPDATE_RATE), "1000");
                    EXPECT_EQ(d.text(IDC_PROVIDED_HANDLE), "9");
                    EXPECT_EQ(d.text(IDC_TIME_BIAS), "-60");
                    EXPECT_EQ(d.text(IDC_PERCENT_DEADBAND), "2.5");
                    EXPECT_EQ(d.isChecked(IDC_ACTIVE), c.active);
                    EXPECT_EQ(d.isChecked(IDC_INACTIVE), !c.active);
                    EXPECT_EQ(d.entries(IDC_LOCALE).size(), 5);
                    if (c.localeShown == nullptr) {
                      EXPECT_EQ(d.selectedIndex(IDC_LOCALE), -1);
                    } else {
                      EXPECT_TRUE(d.text(IDC_LOCALE).startsWith(c.localeShown));
                    }
                    d.setText(IDC_UPDATE_RATE, "500");
                    d.setText(IDC_PROVIDED_HANDLE, "10");
                    d.setText(IDC_TIME_BIAS, "120");
                    d.setText(IDC_PERCENT_DEADBAND, "100");
                    d.check(c.active ? IDC_INACTIVE : IDC_ACTIVE);
                    d.press(gui::IDOK);
                  }),
              gui::IDOK);
    EXPECT_EQ(dialog.requestedUpdateRate, 500u);
    EXPECT_EQ(dialog.clientHandle, 10u);
    EXPECT_EQ(dialog.timeBias, 120);
    EXPECT_FLOAT_EQ(dialog.percentDeadband, 100.0f);
    EXPECT_EQ(dialog.active, !c.active);
    EXPECT_EQ(dialog.locale, c.locale);  // unchanged: none chosen, or the preselected one
  }

  CGroupStateDialog chosen(0, true, 0, 0, 0x407, 0);
  run(chosen, [](DialogDriver& d) {
    d.selectText(IDC_LOCALE, "Current User Locale");
    d.press(gui::IDOK);
  });
  EXPECT_EQ(chosen.locale, 0x400u);
}

TEST_F(GroupStateDialogTest, RefusesFieldsOutOfTheirKindOrRangeAndStaysOpen) {
  CGroupStateDialog dialog(1000, true, 0, 0, 0, 1);
  EXPECT_EQ(run(dialog,
                [](DialogDriver& d) {
                  expectRefused(d, IDC_UPDATE_RATE, "-1", "Please enter a positive integer.");
                  d.setText(IDC_UPDATE_RATE, "1000");
                  expectRefused(d, IDC_PROVIDED_HANDLE, "1.5", "Please enter a positive integer.");
                  d.setText(IDC_PROVIDED_HANDLE, "1");
                  expectRefused(d, IDC_TIME_BIAS, "UTC+1", "Please enter an integer.");
                  expectRefused(d, IDC_TIME_BIAS, "2147483648", "Please enter an integer.");
                  d.setText(IDC_TIME_BIAS, "-2147483648");
                  expectRefused(d, IDC_PERCENT_DEADBAND, "100.5", "Please enter a number between 0 and 100.");
                  expectRefused(d, IDC_PERCENT_DEADBAND, "-1", "Please enter a number between 0 and 100.");
                  d.setText(IDC_PERCENT_DEADBAND, "0.5");
                  d.press(gui::IDOK);
                }),
            gui::IDOK);
  EXPECT_EQ(dialog.timeBias, -2147483647 - 1);
  EXPECT_FLOAT_EQ(dialog.percentDeadband, 0.5f);
}

// Sets the locale the value coercion uses for the life of the object.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name) {
    if (const char* old = std::getenv("LC_ALL")) old_ = old;
    setenv("LC_ALL", name, 1);
  }
  ~ScopedLocale() {
    if (old_) {
      setenv("LC_ALL", old_->c_str(), 1);
    } else {
      unsetenv("LC_ALL");
    }
  }

 private:
  std::optional<std::string> old_;
};

using WriteValueDialogTest = DialogTest;

TEST_F(WriteValueDialogTest, PresetsTheCanonicalTypeInTheFillersOrder) {
  struct Case {
    VARTYPE canonical;
    const char* shown;
  };
  const Case cases[] = {{VT_R8, "VT_R8"}, {VT_BSTR, "VT_BSTR"}, {VT_VARIANT, "VT_EMPTY"}, {VT_BOOL, "VT_BOOL"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    CWriteValueDialog dialog(c.canonical);
    EXPECT_EQ(run(dialog,
                  [&](DialogDriver& d) {
                    EXPECT_EQ(d.caption(), "IOPCSyncIO::Write");
                    EXPECT_EQ(d.text(IDC_VALUE), "0");
                    EXPECT_EQ(d.text(IDC_VARIANT_FORMAT), c.shown);
                    const QStringList types = d.entries(IDC_VARIANT_FORMAT);
                    ASSERT_EQ(types.size(), 20);
                    EXPECT_LT(types.indexOf("VT_BSTR"), types.indexOf("VT_BOOL") + 4);
                    EXPECT_GT(types.indexOf("VT_BSTR"), types.indexOf("VT_BOOL"));  // not sorted
                    d.pressEscape();
                  }),
              gui::IDCANCEL);
    EXPECT_EQ(dialog.value.vt, VT_EMPTY);
  }
}

TEST_F(WriteValueDialogTest, SaysThatArraysCannotBeWrittenAndEndsAtOnce) {
  for (VARTYPE canonical : {VARTYPE(VT_ARRAY | VT_R4), VARTYPE(VT_ARRAY | VT_BSTR), VARTYPE(VT_ARRAY | VT_VARIANT)}) {
    SCOPED_TRACE(canonical);
    const std::size_t dialogsBefore = modalScript().dialogsShown().size();
    modalScript().expectMessageBox(gui::IDOK, "Cannot write arrays");
    CWriteValueDialog dialog(canonical);
    EXPECT_EQ(dialog.DoModal(), gui::IDCANCEL);
    EXPECT_EQ(modalScript().dialogsShown().size(), dialogsBefore);  // never waited for the user
    EXPECT_EQ(modalScript().messageBoxes().back().buttons(), gui::MB_OK);
  }
}

TEST_F(WriteValueDialogTest, ConvertsTheTextToTheChosenTypeOrStaysOpen) {
  const ScopedLocale english("en_US.UTF-8");
  CWriteValueDialog dialog(VT_I2);
  EXPECT_EQ(run(dialog,
                [&](DialogDriver& d) {
                  for (const char* text : {"abc", "70000", "1.5.5", ""}) {
                    SCOPED_TRACE(text);
                    d.setText(IDC_VALUE, text);
                    modalScript().expectMessageBox(gui::IDOK, "Invalid value format");
                    d.press(gui::IDOK);
                    EXPECT_FALSE(d.ended());
                    EXPECT_EQ(dialog.value.vt, VT_EMPTY);  // cleared after the failed conversion
                  }
                  d.setText(IDC_VALUE, " -1234 ");
                  d.press(gui::IDOK);
                }),
            gui::IDOK);
  EXPECT_EQ(dialog.variantFormat, VT_I2);
  ASSERT_EQ(dialog.value.vt, VT_I2);
  EXPECT_EQ(dialog.value.iVal, -1234);
}

TEST_F(WriteValueDialogTest, ReadsTheTextInTheUsersLocale) {
  struct Case {
    const char* locale;
    const char* text;
    const char* type;
    VARTYPE expected;
    double number;  // for VT_R8
  };
  const Case cases[] = {
      {"en_US.UTF-8", "1.5", "VT_R8", VT_R8, 1.5},
      {"de_DE.UTF-8", "1,5", "VT_R8", VT_R8, 1.5},
      {"en_US.UTF-8", "-1", "VT_BOOL", VT_BOOL, 0},
      {"en_US.UTF-8", "Gr\u00FCn", "VT_BSTR", VT_BSTR, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.locale << " " << c.text);
    const ScopedLocale locale(c.locale);
    CWriteValueDialog dialog(VT_EMPTY);
    EXPECT_EQ(run(dialog,
                  [&](DialogDriver& d) {
                    d.setText(IDC_VALUE, QString::fromUtf8(c.text));
                    d.selectText(IDC_VARIANT_FORMAT, c.type);
                    d.press(gui::IDOK);
                  }),
              gui::IDOK);
    ASSERT_EQ(dialog.value.vt, c.expected);
    if (c.expected == VT_R8) {
      EXPECT_DOUBLE_EQ(dialog.value.dblVal, c.number);
    } else if (c.expected == VT_BOOL) {
      EXPECT_EQ(dialog.value.boolVal, VARIANT_TRUE);
    } else {
      EXPECT_EQ(std::u16string(dialog.value.bstrVal), u"Gr\u00FCn");
    }
  }
}

}  // namespace
