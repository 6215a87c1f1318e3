// The shutdown connection: advised on a server with the connection point,
// refused by one without, and ended by Unadvise or by its destruction.

#include <gtest/gtest.h>

#include "gui/testing/testing.h"
#include "session/server_messages.h"
#include "session/server_session.h"
#include "session/shutdown_connection.h"
#include "testing/scratch_registry.h"

namespace {

using quillon::testing::ScratchRegistry;

TEST(ShutdownConnection, AdvisesWhereTheServerOffersTheConnectionPoint) {
  ASSERT_TRUE(ScratchRegistry::hasSampleServer());
  struct Case {
    const char* progId;
    bool advised;
  };
  for (const Case& c : {Case{"Pelkor.DataSample", true}, Case{"Pelkor.DataSample.Minimal", false}}) {
    SCOPED_TRACE(c.progId);
    CServerSession session;
    ASSERT_TRUE(session.Connect("", c.progId));
    CShutdownConnection connection;
    EXPECT_EQ(SUCCEEDED(connection.Advise(session.GetServer(), WM_SERVER_SHUTDOWN)), c.advised);
    EXPECT_EQ(connection.IsAdvised(), c.advised);
    EXPECT_EQ(connection.Unadvise(), S_OK);
    EXPECT_FALSE(connection.IsAdvised());
    EXPECT_EQ(connection.Unadvise(), S_OK);  // nothing left to end
    // Advised again and left to the destructor, which ends it before the session goes.
    connection.Advise(session.GetServer(), WM_SERVER_SHUTDOWN);
  }
}

}  // namespace
