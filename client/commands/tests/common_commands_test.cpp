// The commands of the "IOPCC&ommon" pop-up against the sample server.

#include <gmock/gmock.h>

#include "command_test.h"
#include "format/code_text.h"
#include "resources/parameter_dialog_ids.h"
#include "resources/resource_ids.h"

namespace quillon::testing {
namespace {

using gui::testing::DialogDriver;
using gui::testing::modalScript;

class CommonCommandsTest : public CommandTest {
 protected:
  ResultPane setLocale(LCID locale) {
    return run(ID_IOPCCOMMON_SETLOCALEID, IDD_LOCALE_PARAM, [locale](DialogDriver& d) {
      d.selectText(IDC_LOCALE, QString::fromStdString(LocaleText(locale)));
      d.press(gui::IDOK);
    });
  }
  static std::function<void(DialogDriver&)> type(const char* text) {
    return [text](DialogDriver& d) {
      d.setText(IDC_PARAM_FIELD, text);
      d.press(gui::IDOK);
    };
  }
};

TEST_F(CommonCommandsTest, QueryAvailableLocaleIDsListsTheServersLocalesLastFirst) {
  SetUpConnected();
  // The server offers English (0x409), then German (0x407).
  EXPECT_EQ(run(ID_IOPCCOMMON_QUERYAVAILABLELOCALEIDS),
            (ResultPane{"IOPCCommon::QueryAvailableLocaleIDs",
                        "S_OK",
                        {"The server supports the following Locale IDs :", "   " + LocaleText(0x407),
                         "   " + LocaleText(0x409)}}));
}

TEST_F(CommonCommandsTest, GetLocaleIDShowsTheLocaleSetLast) {
  SetUpConnected();
  const ResultPane initial = run(ID_IOPCCOMMON_GETLOCALEID);
  // The server starts in the system's locale, English unless it is German.
  EXPECT_THAT(initial.lines, ::testing::AnyOf(
                                 ::testing::ElementsAre("The default Locale ID is :", "   " + LocaleText(0x409)),
                                 ::testing::ElementsAre("The default Locale ID is :", "   " + LocaleText(0x407))));

  EXPECT_EQ(setLocale(0x407), (ResultPane{"IOPCCommon::SetLocaleID", "S_OK", {}}));
  EXPECT_EQ(run(ID_IOPCCOMMON_GETLOCALEID),
            (ResultPane{"IOPCCommon::GetLocaleID", "S_OK", {"The default Locale ID is :", "   " + LocaleText(0x407)}}));
  EXPECT_EQ(setLocale(0x409).returnCode, "S_OK");
  EXPECT_EQ(run(ID_IOPCCOMMON_GETLOCALEID).lines.at(1), "   " + LocaleText(0x409));
}

TEST_F(CommonCommandsTest, GetErrorStringAsksAgainUntilTheCodeReadsAsHexadecimal) {
  SetUpConnected();
  setLocale(0x409);
  modalScript().expectDialog(IDD_TEXT_PARAM, [](DialogDriver& d) {
    EXPECT_EQ(d.caption(), "IOPCCommon::GetErrorString");
    d.setText(IDC_PARAM_FIELD, "xyz");
    modalScript().expectMessageBox(gui::IDOK, "Please enter a positive integer.");
    d.press(gui::IDOK);
  });
  modalScript().expectDialog(IDD_TEXT_PARAM, [](DialogDriver& d) {
    EXPECT_EQ(d.text(IDC_PARAM_FIELD), "xyz");  // as typed
    d.setText(IDC_PARAM_FIELD, "0xC0040007");
    d.press(gui::IDOK);
  });
  EXPECT_EQ(run(ID_IOPCCOMMON_GETERRORSTRING),
            (ResultPane{"IOPCCommon::GetErrorString",
                        "S_OK",
                        {"The item ID is not defined in the server's address space."}}));

  // The text follows the session's locale.
  setLocale(0x407);
  EXPECT_EQ(run(ID_IOPCCOMMON_GETERRORSTRING, IDD_TEXT_PARAM, type("C0040007")).lines,
            std::vector<std::string>{"Die Item-ID ist im Adressraum des Servers nicht definiert."});
  EXPECT_EQ(run(ID_IOPCCOMMON_GETERRORSTRING, IDD_TEXT_PARAM, type("12345678")),
            (ResultPane{"IOPCCommon::GetErrorString", "E_INVALIDARG", {}}));

  // Cancelling the second round ends the command without a call.
  blankPane();
  modalScript().expectDialog(IDD_TEXT_PARAM, [](DialogDriver& d) {
    d.setText(IDC_PARAM_FIELD, "G");
    modalScript().expectMessageBox(gui::IDOK, "Please enter a positive integer.");
    d.press(gui::IDOK);
  });
  modalScript().expectDialog(IDD_TEXT_PARAM, [](DialogDriver& d) { d.press(gui::IDCANCEL); });
  EXPECT_EQ(run(ID_IOPCCOMMON_GETERRORSTRING), ResultPane{});
}

TEST_F(CommonCommandsTest, SetClientNameShowsOnlyTheReturnCode) {
  SetUpConnected();
  EXPECT_EQ(run(ID_IOPCCOMMON_SETCLIENTNAME, IDD_TEXT_PARAM, type("Night shift")),
            (ResultPane{"IOPCCommon::SetClientName", "S_OK", {}}));
}

TEST_F(CommonCommandsTest, CancellingADialogCallsNothingAndShowsNothing) {
  SetUpConnected();
  const struct {
    UINT command;
    UINT dialog;
  } commands[] = {
      {ID_IOPCCOMMON_SETLOCALEID, IDD_LOCALE_PARAM},
      {ID_IOPCCOMMON_GETERRORSTRING, IDD_TEXT_PARAM},
      {ID_IOPCCOMMON_SETCLIENTNAME, IDD_TEXT_PARAM},
  };
  for (const auto& c : commands) {
    blankPane();
    EXPECT_EQ(run(c.command, c.dialog, [](DialogDriver& d) { d.press(gui::IDCANCEL); }), ResultPane{}) << c.command;
  }
}

}  // namespace
}  // namespace quillon::testing
