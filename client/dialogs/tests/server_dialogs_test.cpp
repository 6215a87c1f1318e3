// The dialogs of the server and public-group commands: defaults, the
// fields' checks that keep a dialog open, the captions by mode, and the
// choice lists with the value behind each entry.

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "dialog_test_support.h"
#include "dialogs/add_group_dialog.h"
#include "dialogs/group_by_name_dialog.h"
#include "dialogs/group_enum_scope_dialog.h"
#include "dialogs/hex_code_text.h"
#include "dialogs/remove_group_dialog.h"
#include "dialogs/server_error_string_dialog.h"
#include "com/interfaces/connection_points.h"
#include "com/interfaces/data_object.h"
#include "format/code_text.h"
#include "opc/group.h"
#include "resources/parameter_dialog_ids.h"

namespace {

using namespace quillon;
using namespace dialogs_test;

QString guidText(const IID& iid) {
  OLECHAR text[39] = {};
  StringFromGUID2(iid, text, 39);
  return QString::fromUtf16(text);
}

// Types `text` key by key, as a user does (programmatic changes of a field
// do not count as typing).
void typeKeys(QWidget* field, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(field, &press);
  }
}

using AddGroupDialogTest = DialogTest;

TEST_F(AddGroupDialogTest, StartsActiveWithZerosAndReadsEveryField) {
  CAddGroupDialog dialog;
  EXPECT_EQ(run(dialog,
                [](DialogDriver& d) {
                  EXPECT_EQ(d.caption(), "IOPCServer::AddGroup");
                  EXPECT_EQ(d.text(IDC_GROUP_NAME), "");
                  EXPECT_EQ(d.text(IDC_PROVIDED_HANDLE), "0");
                  EXPECT_EQ(d.text(IDC_UPDATE_RATE), "0");
                  EXPECT_EQ(d.text(IDC_PERCENT_DEADBAND), "0");
                  EXPECT_TRUE(d.isChecked(IDC_ACTIVE));
                  EXPECT_FALSE(d.isChecked(IDC_INACTIVE));
                  d.setText(IDC_GROUP_NAME, "Line 1");
                  d.setText(IDC_PROVIDED_HANDLE, "4294967295");
                  d.setText(IDC_UPDATE_RATE, "250");
                  d.check(IDC_INACTIVE);
                  d.setText(IDC_PERCENT_DEADBAND, "12.5");
                  d.press(gui::IDOK);
                }),
            gui::IDOK);
  EXPECT_EQ(dialog.groupName, "Line 1");
  EXPECT_EQ(dialog.providedHandle, 4294967295u);
  EXPECT_EQ(dialog.requestedUpdateRate, 250u);
  EXPECT_FALSE(dialog.active);
  EXPECT_FLOAT_EQ(dialog.percentDeadband, 12.5f);
}

TEST_F(AddGroupDialogTest, RefusesFieldsOutOfTheirKindOrRangeAndStaysOpen) {
  struct Case {
    int field;
    const char* text;
    const char* prompt;  // nullptr: accepted
  };
  const Case cases[] = {
      {IDC_PROVIDED_HANDLE, "0", nullptr},
      {IDC_PROVIDED_HANDLE, "-1", "Please enter a positive integer."},
      {IDC_PROVIDED_HANDLE, "0x10", "Please enter a positive integer."},
      {IDC_UPDATE_RATE, "1000 ms", "Please enter a positive integer."},
      {IDC_UPDATE_RATE, "4294967296", "Please enter a positive integer."},
      {IDC_PERCENT_DEADBAND, "100", nullptr},
      {IDC_PERCENT_DEADBAND, "0", nullptr},
      {IDC_PERCENT_DEADBAND, "100.5", "Please enter a number between 0 and 100."},
      {IDC_PERCENT_DEADBAND, "-0.1", "Please enter a number between 0 and 100."},
      {IDC_PERCENT_DEADBAND, "ten", "Please enter a number."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CAddGroupDialog dialog;
    const INT_PTR result = run(dialog, [&](DialogDriver& d) {
      if (c.prompt == nullptr) {
        d.setText(c.field, c.text);
        d.press(gui::IDOK);
        return;
      }
      expectRefused(d, c.field, c.text, c.prompt);
      d.press(gui::IDCANCEL);
    });
    EXPECT_EQ(result, c.prompt == nullptr ? gui::IDOK : gui::IDCANCEL);
  }
}

using GroupByNameDialogTest = DialogTest;

TEST_F(GroupByNameDialogTest, NamesTheLookupByModeAndGivesTheChosenInterface) {
  const QStringList names = {"IUnknown",   "IOPCGroupStateMgt", "IOPCPublicGroupStateMgt",
                             "IOPCItemMgt", "IOPCSyncIO",       "IOPCAsyncIO2",
                             "IConnectionPointContainer", "IOPCAsyncIO", "IDataObject"};
  const IID iids[] = {IID_IUnknown,  IID_IOPCGroupStateMgt, IID_IOPCPublicGroupStateMgt,
                      IID_IOPCItemMgt, IID_IOPCSyncIO,       IID_IOPCAsyncIO2,
                      IID_IConnectionPointContainer, IID_IOPCAsyncIO, IID_IDataObject};
  for (int mode : {0, 1}) {
    for (int choice = 0; choice < names.size(); ++choice) {
      SCOPED_TRACE(::testing::Message() << "mode " << mode << ", " << names[choice].toStdString());
      CGroupByNameDialog dialog(mode);
      EXPECT_EQ(run(dialog,
                    [&](DialogDriver& d) {
                      EXPECT_EQ(d.caption(), mode == 0 ? "IOPCServerPublicGroups::GetPublicGroupByName"
                                                       : "IOPCServer::GetGroupByName");
                      EXPECT_EQ(d.text(IDC_GROUP_NAME), "");
                      EXPECT_EQ(d.entries(IDC_INTERFACE_TYPE), names);
                      EXPECT_EQ(d.selectedIndex(IDC_INTERFACE_TYPE), 0);
                      d.setText(IDC_GROUP_NAME, "Public Simulation");
                      d.select(IDC_INTERFACE_TYPE, choice);
                      d.press(gui::IDOK);
                    }),
                gui::IDOK);
      EXPECT_EQ(dialog.groupName, "Public Simulation");
      EXPECT_TRUE(IsEqualIID(dialog.interfaceId, iids[choice]));
      EXPECT_EQ(dialog.interfaceType, names[choice].toStdString());
    }
  }
  // The identifiers are the published ones, not merely those of this build's headers.
  EXPECT_EQ(guidText(IID_IOPCAsyncIO2), "{39C13A71-011E-11D0-9675-0020AFD8ADB3}");
  EXPECT_EQ(guidText(IID_IConnectionPointContainer), "{B196B284-BAB4-101A-B69C-00AA00341D07}");
  EXPECT_EQ(guidText(IID_IDataObject), "{0000010E-0000-0000-C000-000000000046}");
}

TEST_F(GroupByNameDialogTest, SaysNoInterfaceSelectedAndStaysOpenWithoutAChoice) {
  CGroupByNameDialog dialog(CGroupByNameDialog::kPrivateGroup);
  EXPECT_EQ(run(dialog,
                [&](DialogDriver& d) {
                  dialog.comboBox(IDC_INTERFACE_TYPE).SetCurSel(-1);
                  modalScript().expectMessageBox(gui::IDOK, "No interface selected");
                  d.press(gui::IDOK);
                  EXPECT_FALSE(d.ended());
                  d.selectText(IDC_INTERFACE_TYPE, "IOPCSyncIO");
                  d.press(gui::IDOK);
                }),
            gui::IDOK);
  const auto& box = modalScript().messageBoxes().back();
  EXPECT_EQ(box.buttons(), gui::MB_OK);  // a plain box with the program's caption
  EXPECT_EQ(box.icon(), 0u);
  EXPECT_EQ(dialog.interfaceType, "IOPCSyncIO");
}

TEST(HexCodeText, ReadsLeadingHexDigitsAndNothingElse) {
  struct Case {
    const char* text;
    bool read;
    DWORD code;
  };
  const Case cases[] = {
      {"C0040007", true, 0xC0040007},  {"c0040007", true, 0xC0040007}, {"  0x80004005", true, 0x80004005},
      {"0X1f", true, 0x1F},            {"1FZZ", true, 0x1F},           {"0", true, 0},
      {"0xZ", true, 0},                {"00000000C0040007", true, 0xC0040007},
      {"G0040007", false, 0},          {"", false, 0},                 {"   ", false, 0},
      {"-1", false, 0},                {"x1", false, 0},               {"100000000", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    DWORD code = 12345;
    EXPECT_EQ(ReadHexCode(c.text, code), c.read);
    EXPECT_EQ(code, c.code);
  }
}

using ServerErrorStringDialogTest = DialogTest;

TEST_F(ServerErrorStringDialogTest, ReadsTheHexCodeSilentlyAndTheChosenLocale) {
  const QStringList locales = {"Language-Neutral", "System Default Locale", "Current User Locale",
                               QString::fromStdString(LocaleText(0x409)), QString::fromStdString(LocaleText(0x407))};
  struct Case {
    const char* text;
    int localeIndex;  // -1: none chosen
    HRESULT code;
    LCID locale;
  };
  const Case cases[] = {
      {"C0040007", 0, static_cast<HRESULT>(0xC0040007), 0x000},
      {"0x80004005", 4, static_cast<HRESULT>(0x80004005), 0x407},
      {"HELLO", 3, 0, 0x409},
      {"", 2, 0, 0x400},
      {"1", -1, 1, 0x800},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CServerErrorStringDialog dialog;
    EXPECT_EQ(run(dialog,
                  [&](DialogDriver& d) {
                    EXPECT_EQ(d.caption(), "IOPCServer::GetErrorString");
                    EXPECT_EQ(d.text(IDC_ERROR_CODE), "");
                    EXPECT_EQ(d.entries(IDC_LOCALE), locales);
                    EXPECT_EQ(d.selectedIndex(IDC_LOCALE), 0);
                    d.setText(IDC_ERROR_CODE, c.text);
                    if (c.localeIndex >= 0) {
                      d.select(IDC_LOCALE, c.localeIndex);
                    } else {
                      dialog.comboBox(IDC_LOCALE).SetCurSel(-1);
                    }
                    d.press(gui::IDOK);  // no message, whatever the text
                  }),
              gui::IDOK);
    EXPECT_EQ(dialog.errorCode, c.code);
    EXPECT_EQ(dialog.locale, c.locale);
  }
}

TEST_F(ServerErrorStringDialogTest, TurnsTypedLettersIntoCapitals) {
  CServerErrorStringDialog dialog;
  run(dialog, [](DialogDriver& d) {
    auto* field = qobject_cast<QLineEdit*>(d.control(IDC_ERROR_CODE));
    ASSERT_NE(field, nullptr);
    typeKeys(field, "c004abcd");
    EXPECT_EQ(d.text(IDC_ERROR_CODE), "C004ABCD");
    d.press(gui::IDOK);
  });
  EXPECT_EQ(dialog.errorCode, static_cast<HRESULT>(0xC004ABCD));
}

using GroupEnumScopeDialogTest = DialogTest;

TEST_F(GroupEnumScopeDialogTest, OffersTheSixScopesInOrderWithTheirValues) {
  const QStringList scopes = {"OPC_ENUM_PRIVATE_CONNECTIONS", "OPC_ENUM_PUBLIC_CONNECTIONS",
                              "OPC_ENUM_ALL_CONNECTIONS",     "OPC_ENUM_PRIVATE",
                              "OPC_ENUM_PUBLIC",              "OPC_ENUM_ALL"};
  for (int choice = -1; choice < scopes.size(); ++choice) {
    SCOPED_TRACE(choice);
    CGroupEnumScopeDialog dialog;
    run(dialog, [&](DialogDriver& d) {
      EXPECT_EQ(d.caption(), "IOPCServer::CreateGroupEnumerator");
      EXPECT_EQ(d.entries(IDC_ENUM_SCOPE), scopes);
      EXPECT_EQ(d.selectedIndex(IDC_ENUM_SCOPE), 0);
      if (choice >= 0) {
        d.select(IDC_ENUM_SCOPE, choice);
      } else {
        dialog.comboBox(IDC_ENUM_SCOPE).SetCurSel(-1);
      }
      d.press(gui::IDOK);
    });
    EXPECT_EQ(dialog.scope, choice >= 0 ? static_cast<OPCENUMSCOPE>(choice + 1) : OPC_ENUM_ALL);
  }
}

using RemoveGroupDialogTest = DialogTest;

TEST_F(RemoveGroupDialogTest, NamesTheRemovalByModeAndReadsHandleAndForce) {
  for (int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    CRemoveGroupDialog dialog(mode);
    EXPECT_EQ(run(dialog,
                  [&](DialogDriver& d) {
                    EXPECT_EQ(d.caption(), mode == 0 ? "IOPCServerPublicGroups::RemovePublicGroup"
                                                     : "IOPCServer::RemoveGroup");
                    EXPECT_EQ(d.text(IDC_GROUP_HANDLE), "0");
                    EXPECT_FALSE(d.isChecked(IDC_FORCE));
                    EXPECT_EQ(d.text(IDC_FORCE), "Forces deletion of the group even if references are outstanding");
                    expectRefused(d, IDC_GROUP_HANDLE, "two", "Please enter a positive integer.");
                    d.setText(IDC_GROUP_HANDLE, "2");
                    d.check(IDC_FORCE);
                    d.press(gui::IDOK);
                  }),
              gui::IDOK);
    EXPECT_EQ(dialog.groupHandle, 2u);
    EXPECT_TRUE(dialog.force);
  }
}

}  // namespace
