// The commands of the "IOPC&Server" pop-up.

#include "commands/command_frame.h"
#include "commands/server_commands.h"
#include "commands/status_lines.h"
#include "session/server_session.h"

namespace commands {

void GetStatus(ServerCommandContext& context) {
  IOPCServer* server = RequireInterface(context, context.session.GetServer(), "IOPCServer");
  if (server == nullptr) return;
  context.result.functionName = "IOPCServer::GetStatus";
  OPCSERVERSTATUS* status = nullptr;
  const HRESULT hr = server->GetStatus(&status);
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr) && status != nullptr) {
    context.result.lines = ServerStatusLines(*status);
    FreeServerMemory(context.session, status->szVendorInfo);
    FreeServerMemory(context.session, status);
  }
  Show(context);
}

}  // namespace commands
