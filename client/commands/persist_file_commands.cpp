// The commands of the "IPersist&File" pop-up: the server's configuration
// file.

#include "commands/command_frame.h"
#include "commands/server_commands.h"
#include "format/wide_text.h"
#include "session/server_session.h"

namespace commands {
namespace {

IPersistFile* persistFile(ServerCommandContext& context) {
  return RequireInterface(context, context.session.GetPersistFile(), "IPersistFile");
}

}  // namespace

void IsDirty(ServerCommandContext& context) {
  IPersistFile* file = persistFile(context);
  if (file == nullptr) return;
  context.result.functionName = "IPersistFile::IsDirty";
  // The answer is the return code itself: S_OK changed, S_FALSE unchanged.
  SetReturnCode(context, file->IsDirty());
  Show(context);
}

void GetCurFile(ServerCommandContext& context) {
  IPersistFile* file = persistFile(context);
  if (file == nullptr) return;
  context.result.functionName = "IPersistFile::GetCurFile";
  LPOLESTR name = nullptr;
  const HRESULT hr = file->GetCurFile(&name);
  SetReturnCode(context, hr);
  // S_FALSE means there is no current file; the default name a server may
  // hand out with it is not shown, but it is the client's to free.
  if (hr == S_OK) {
    context.result.lines.emplace_back("The current file name is :");
    context.result.lines.push_back(format::WideToText(name));
  }
  if (SUCCEEDED(hr)) FreeServerMemory(context.session, name);
  Show(context);
}

}  // namespace commands
