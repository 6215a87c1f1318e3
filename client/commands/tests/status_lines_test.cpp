// The lines of a server status record, for records the sample server never
// sends: every state, the signed bandwidth and times that have no local
// time.

#include "commands/status_lines.h"

#include <gtest/gtest.h>

#include "format/time_stamp_text.h"

namespace {

OPCSERVERSTATUS record() {
  OPCSERVERSTATUS status{};
  status.ftStartTime = {0xD53E8000u, 0x01A8E79Fu};  // 2012
  status.ftCurrentTime = status.ftStartTime;
  status.ftLastUpdateTime = status.ftStartTime;
  status.dwServerState = OPC_STATUS_RUNNING;
  status.szVendorInfo = const_cast<LPWSTR>(u"Vendor");
  return status;
}

TEST(ServerStatusLinesTest, NamesEveryStateAndCallsTheRestUnknown) {
  struct Case {
    DWORD state;
    const char* line;
  };
  const Case cases[] = {
      {0, "dwServerState      : Unknown Server State"}, {1, "dwServerState      : OPC_STATUS_RUNNING"},
      {2, "dwServerState      : OPC_STATUS_FAILED"},    {3, "dwServerState      : OPC_STATUS_NOCONFIG"},
      {4, "dwServerState      : OPC_STATUS_SUSPENDED"}, {5, "dwServerState      : OPC_STATUS_TEST"},
      {6, "dwServerState      : Unknown Server State"},
  };
  for (const Case& c : cases) {
    OPCSERVERSTATUS status = record();
    status.dwServerState = static_cast<OPCSERVERSTATE>(c.state);
    EXPECT_EQ(ServerStatusLines(status).at(3), c.line) << c.state;
  }
}

TEST(ServerStatusLinesTest, ShowsTheNumbersWithTheirLabelsAndTheBandwidthSigned) {
  OPCSERVERSTATUS status = record();
  status.dwGroupCount = 4294967295u;
  status.dwBandWidth = 0xFFFFFFFFu;
  status.wMajorVersion = 65535;
  status.wMinorVersion = 2;
  status.wBuildNumber = 17;
  status.wReserved = 9;
  const std::vector<std::string> lines = ServerStatusLines(status);
  ASSERT_EQ(lines.size(), 11u);
  const std::string time = *format::TimeStampText(status.ftStartTime);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "ftStartTime        : " + time,
                       "ftCurrentTime      : " + time,
                       "ftLastUpdateTime   : " + time,
                       "dwServerState      : OPC_STATUS_RUNNING",
                       "dwGroupCount       : 4294967295",
                       "dwBandWidth        : -1",
                       "wMajorVersion      : 65535",
                       "wMinorVersion      : 2",
                       "wBuildNumber       : 17",
                       "wReserved          : 9",
                       "szVendorInfo       : Vendor",
                   }));
  status.dwBandWidth = 0x7FFFFFFFu;
  EXPECT_EQ(ServerStatusLines(status)[5], "dwBandWidth        : 2147483647");
}

TEST(ServerStatusLinesTest, ATimeWithoutLocalTimeAndAMissingVendorTextKeepTheirLines) {
  OPCSERVERSTATUS status = record();
  status.ftCurrentTime = {0xFFFFFFFFu, 0xFFFFFFFFu};
  status.szVendorInfo = nullptr;
  ASSERT_FALSE(format::TimeStampText(status.ftCurrentTime).has_value());
  const std::vector<std::string> lines = ServerStatusLines(status);
  EXPECT_EQ(lines[1], "ftCurrentTime      : Cannot convert to Local Time");
  EXPECT_EQ(lines[10], "szVendorInfo       : ");
}

}  // namespace
