// The commands of the "IOPCC&ommon" pop-up: the session's locale, the
// server's error texts and the client's name.

#include "commands/command_frame.h"
#include "commands/server_commands.h"
#include "format/code_text.h"
#include "session/server_session.h"

namespace commands {
namespace {

IOPCCommon* common(ServerCommandContext& context) {
  return RequireInterface(context, context.session.GetCommon(), "IOPCCommon");
}

}  // namespace

void GetLocaleID(ServerCommandContext& context) {
  IOPCCommon* server = common(context);
  if (server == nullptr) return;
  context.result.functionName = "IOPCCommon::GetLocaleID";
  LCID locale = 0;
  const HRESULT hr = server->GetLocaleID(&locale);
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr)) {
    context.result.lines.emplace_back("The default Locale ID is :");
    context.result.lines.push_back("   " + LocaleText(locale));
  }
  Show(context);
}

void QueryAvailableLocaleIDs(ServerCommandContext& context) {
  IOPCCommon* server = common(context);
  if (server == nullptr) return;
  context.result.functionName = "IOPCCommon::QueryAvailableLocaleIDs";
  DWORD count = 0;
  LCID* locales = nullptr;
  const HRESULT hr = server->QueryAvailableLocaleIDs(&count, &locales);
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr)) {
    context.result.lines.emplace_back("The server supports the following Locale IDs :");
    // Listed from the last to the first.
    for (DWORD index = count; locales != nullptr && index > 0; --index) {
      context.result.lines.push_back("   " + LocaleText(locales[index - 1]));
    }
  }
  FreeServerMemory(context.session, locales);
  Show(context);
}

}  // namespace commands
