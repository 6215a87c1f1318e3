// The commands of the "IPersist&File" pop-up against the sample server.

#include "command_test.h"
#include "resources/resource_ids.h"

namespace quillon::testing {
namespace {

using PersistFileCommandsTest = CommandTest;

TEST_F(PersistFileCommandsTest, AFreshServerIsCleanAndHasNoCurrentFile) {
  SetUpConnected();
  EXPECT_EQ(run(ID_IPERSISTFILE_ISDIRTY), (ResultPane{"IPersistFile::IsDirty", "S_FALSE", {}}));
  EXPECT_FALSE(detail().empty());
  // The server hands out a default name with S_FALSE; it is not shown.
  EXPECT_EQ(run(ID_IPERSISTFILE_GETCURFILE), (ResultPane{"IPersistFile::GetCurFile", "S_FALSE", {}}));
}

}  // namespace
}  // namespace quillon::testing
