// The commands of the "IOPCBrowseServer&AddressSpace" pop-up against the
// sample server, and the browse position they keep.

#include "command_test.h"
#include "resources/resource_ids.h"

namespace quillon::testing {
namespace {

using BrowseCommandsTest = CommandTest;

TEST_F(BrowseCommandsTest, QueryOrganizationNamesTheSampleServersSpaceHierarchical) {
  SetUpConnected();
  EXPECT_EQ(run(ID_IOPCBROWSE_QUERYORGANIZATION),
            (ResultPane{"IOPCBrowseServerAddressSpace::QueryOrganization",
                        "S_OK",
                        {"The current organization is :", "   OPC_NS_HIERARCHIAL"}}));
}

}  // namespace
}  // namespace quillon::testing
