// The commands of the "IOPCC&ommon" pop-up against the sample server.

#include <gmock/gmock.h>

#include "command_test.h"
#include "format/code_text.h"
#include "resources/resource_ids.h"

namespace quillon::testing {
namespace {

using CommonCommandsTest = CommandTest;

TEST_F(CommonCommandsTest, QueryAvailableLocaleIDsListsTheServersLocalesLastFirst) {
  SetUpConnected();
  // The server offers English (0x409), then German (0x407).
  EXPECT_EQ(run(ID_IOPCCOMMON_QUERYAVAILABLELOCALEIDS),
            (ResultPane{"IOPCCommon::QueryAvailableLocaleIDs",
                        "S_OK",
                        {"The server supports the following Locale IDs :", "   " + LocaleText(0x407),
                         "   " + LocaleText(0x409)}}));
}

TEST_F(CommonCommandsTest, GetLocaleIDShowsTheSessionsLocale) {
  SetUpConnected();
  const ResultPane shown = run(ID_IOPCCOMMON_GETLOCALEID);
  EXPECT_EQ(shown, (ResultPane{"IOPCCommon::GetLocaleID", "S_OK", {"The default Locale ID is :", shown.lines.at(1)}}));
  // The server starts in the system's locale, English unless it is German.
  EXPECT_THAT(shown.lines.at(1), ::testing::AnyOf("   " + LocaleText(0x409), "   " + LocaleText(0x407)));
}

}  // namespace
}  // namespace quillon::testing
