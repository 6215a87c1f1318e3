// The commands of the "IOPCC&ommon" pop-up: the session's locale, the
// server's error texts and the client's name.

#include "commands/command_frame.h"
#include "commands/server_commands.h"
#include "dialogs/hex_code_text.h"
#include "dialogs/locale_param_dialog.h"
#include "dialogs/text_param_dialog.h"
#include "format/code_text.h"
#include "format/wide_text.h"
#include "gui/ids.h"
#include "gui/message_box.h"
#include "session/server_session.h"

namespace commands {
namespace {

IOPCCommon* common(ServerCommandContext& context) {
  return RequireInterface(context, context.session.GetCommon(), "IOPCCommon");
}

}  // namespace

void SetLocaleID(ServerCommandContext& context) {
  IOPCCommon* server = common(context);
  if (server == nullptr) return;
  CLocaleParamDialog dialog(context.owner);
  if (dialog.DoModal() != gui::IDOK) return;
  context.result.functionName = "IOPCCommon::SetLocaleID";
  SetReturnCode(context, server->SetLocaleID(dialog.locale));
  Show(context);
}

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

void CommonGetErrorString(ServerCommandContext& context) {
  IOPCCommon* server = common(context);
  if (server == nullptr) return;
  CTextParamDialog dialog(CTextParamDialog::kGetErrorString, context.owner);
  DWORD code = 0;
  // The dialog checks nothing itself, so it comes back, with the text as
  // typed, until the text reads as a hexadecimal code or the user cancels.
  for (;;) {
    if (dialog.DoModal() != gui::IDOK) return;
    if (ReadHexCode(dialog.text, code)) break;
    gui::MessageBox(gui::IDP_PARSE_UINT, gui::MB_OK | gui::MB_ICONEXCLAMATION);
  }

  context.result.functionName = "IOPCCommon::GetErrorString";
  LPWSTR text = nullptr;
  const HRESULT hr = server->GetErrorString(static_cast<HRESULT>(code), &text);
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr)) {
    context.result.lines.push_back(format::WideToText(text));
    FreeServerMemory(context.session, text);
  }
  Show(context);
}

void SetClientName(ServerCommandContext& context) {
  IOPCCommon* server = common(context);
  if (server == nullptr) return;
  CTextParamDialog dialog(CTextParamDialog::kSetClientName, context.owner);
  if (dialog.DoModal() != gui::IDOK) return;
  std::u16string name;
  if (!WideArgument(context, dialog.text, name)) return;
  context.result.functionName = "IOPCCommon::SetClientName";
  SetReturnCode(context, server->SetClientName(name.c_str()));
  Show(context);
}

}  // namespace commands
