// The commands of the "IOPC&Server" and "IOPCServer&PublicGroups" pop-ups
// against the sample server: what each shows in the result pane, on its
// main path and where the server refuses.

#include <regex>

#include "command_test.h"
#include "resources/resource_ids.h"

namespace quillon::testing {
namespace {

using ServerCommandsTest = CommandTest;

TEST_F(ServerCommandsTest, GetStatusShowsTheElevenFieldsOfTheServersStatus) {
  SetUpConnected();
  ResultPane shown = run(ID_IOPCSERVER_GETSTATUS);
  EXPECT_EQ(shown.function, "IOPCServer::GetStatus");
  EXPECT_EQ(shown.returnCode, "S_OK");
  ASSERT_EQ(shown.lines.size(), 11u);
  const std::regex time(R"(\d\d\.(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \d{4}, \d\d:\d\d:\d\d)");
  const char* const timeLabels[] = {"ftStartTime        : ", "ftCurrentTime      : ", "ftLastUpdateTime   : "};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(shown.lines[i].rfind(timeLabels[i], 0), 0u) << shown.lines[i];
    EXPECT_TRUE(std::regex_match(shown.lines[i].substr(21), time)) << shown.lines[i];
  }
  // The bandwidth is the share of time the server's update thread is busy.
  EXPECT_TRUE(std::regex_match(shown.lines[5], std::regex(R"(dwBandWidth        : \d{1,3})"))) << shown.lines[5];
  shown.lines.erase(shown.lines.begin() + 5);
  shown.lines.erase(shown.lines.begin(), shown.lines.begin() + 3);
  EXPECT_EQ(shown.lines, (std::vector<std::string>{
                             "dwServerState      : OPC_STATUS_RUNNING",
                             "dwGroupCount       : 1",  // "Public Simulation"
                             "wMajorVersion      : 1",
                             "wMinorVersion      : 0",
                             "wBuildNumber       : 1",
                             "wReserved          : 0",
                             "szVendorInfo       : Pelkor Data Sample Server",
                         }));
}

TEST_F(ServerCommandsTest, AFailedGetStatusShowsOnlyTheReturnCode) {
  // This variant answers four status requests; the connection used one.
  SetUpConnected("Pelkor.DataSample.FailingStatus");
  for (int call = 2; call <= 4; ++call) EXPECT_EQ(run(ID_IOPCSERVER_GETSTATUS).returnCode, "S_OK");
  EXPECT_EQ(run(ID_IOPCSERVER_GETSTATUS), (ResultPane{"IOPCServer::GetStatus", "E_FAIL", {}}));
  EXPECT_FALSE(detail().empty());  // the system's description of E_FAIL
}

}  // namespace
}  // namespace quillon::testing
