// The commands of the "IOPCBrowseServer&AddressSpace" pop-up. They also
// keep the client's copy of the server's browse position, which the browse
// dialogs show.

#include "commands/command_frame.h"
#include "commands/server_commands.h"
#include "session/server_session.h"

namespace commands {
namespace {

IOPCBrowseServerAddressSpace* browser(ServerCommandContext& context) {
  return RequireInterface(context, context.session.GetBrowseAddressSpace(), "IOPCBrowseServerAddressSpace");
}

}  // namespace

void QueryOrganization(ServerCommandContext& context) {
  IOPCBrowseServerAddressSpace* space = browser(context);
  if (space == nullptr) return;
  context.result.functionName = "IOPCBrowseServerAddressSpace::QueryOrganization";
  OPCNAMESPACETYPE organization{};
  const HRESULT hr = space->QueryOrganization(&organization);
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr)) {
    context.result.lines.emplace_back("The current organization is :");
    // Anything but a flat space is treated as hierarchical.
    context.result.lines.emplace_back(organization == OPC_NS_FLAT ? "   OPC_NS_FLAT" : "   OPC_NS_HIERARCHIAL");
  }
  Show(context);
}

}  // namespace commands
