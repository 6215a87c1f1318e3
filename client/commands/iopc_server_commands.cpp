// The commands of the "IOPC&Server" pop-up.

#include "com/guid.h"
#include "com/interfaces/enumerators.h"
#include "commands/command_frame.h"
#include "commands/group_outcome.h"
#include "commands/server_commands.h"
#include "commands/status_lines.h"
#include "dialogs/add_group_dialog.h"
#include "dialogs/group_by_name_dialog.h"
#include "dialogs/group_enum_scope_dialog.h"
#include "dialogs/remove_group_dialog.h"
#include "dialogs/server_error_string_dialog.h"
#include "format/wide_text.h"
#include "gui/ids.h"
#include "session/server_session.h"
#include "workspace/group_view.h"

namespace commands {
namespace {

// Groups are added in the system's default locale.
constexpr DWORD kGroupLocale = 0x800;

IOPCServer* opcServer(ServerCommandContext& context) {
  return RequireInterface(context, context.session.GetServer(), "IOPCServer");
}

}  // namespace

void AddGroup(ServerCommandContext& context) {
  IOPCServer* server = opcServer(context);
  if (server == nullptr) return;
  CAddGroupDialog dialog(context.owner);
  if (dialog.DoModal() != gui::IDOK) return;
  std::u16string name;
  if (!WideArgument(context, dialog.groupName, name)) return;

  context.result.functionName = "IOPCServer::AddGroup";
  FLOAT deadband = dialog.percentDeadband;
  OPCHANDLE serverHandle = 0;
  DWORD revisedUpdateRate = 0;
  IUnknown* group = nullptr;
  // No time bias: the server takes the system's.
  const HRESULT hr = server->AddGroup(name.c_str(), dialog.active ? TRUE : FALSE, dialog.requestedUpdateRate,
                                      dialog.providedHandle, nullptr, &deadband, kGroupLocale, &serverHandle,
                                      &revisedUpdateRate, IID_IUnknown, &group);
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr)) {
    context.result.lines.push_back("Added new Group           : " + dialog.groupName);
    context.result.lines.push_back(Line("Server generated Handle   : %lu", static_cast<unsigned long>(serverHandle)));
  }
  // The pane reads the group back from the server; this reference is not kept.
  ReleaseReturned(group);
  Show(context);
  if (SUCCEEDED(hr)) context.refreshGroups(CGroupView::kPrivateScope);
}

void ServerGetErrorString(ServerCommandContext& context) {
  IOPCServer* server = opcServer(context);
  if (server == nullptr) return;
  CServerErrorStringDialog dialog(context.owner);
  if (dialog.DoModal() != gui::IDOK) return;

  context.result.functionName = "IOPCServer::GetErrorString";
  LPWSTR text = nullptr;
  const HRESULT hr = server->GetErrorString(dialog.errorCode, dialog.locale, &text);
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr)) {
    context.result.lines.push_back(format::WideToText(text));
    FreeServerMemory(context.session, text);
  }
  Show(context);
}

void GetGroupByName(ServerCommandContext& context) {
  IOPCServer* server = opcServer(context);
  if (server == nullptr) return;
  CGroupByNameDialog dialog(CGroupByNameDialog::kPrivateGroup, context.owner);
  if (dialog.DoModal() != gui::IDOK) return;
  std::u16string name;
  if (!WideArgument(context, dialog.groupName, name)) return;

  context.result.functionName = "IOPCServer::GetGroupByName";
  IUnknown* group = nullptr;
  const HRESULT hr = server->GetGroupByName(name.c_str(), dialog.interfaceId, &group);
  ShowGroupLookup(context, hr, group, dialog.interfaceType);
}

void GetStatus(ServerCommandContext& context) {
  IOPCServer* server = opcServer(context);
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

void RemoveGroup(ServerCommandContext& context) {
  IOPCServer* server = opcServer(context);
  if (server == nullptr) return;
  CRemoveGroupDialog dialog(CRemoveGroupDialog::kPrivateGroup, context.owner);
  if (dialog.DoModal() != gui::IDOK) return;

  context.result.functionName = "IOPCServer::RemoveGroup";
  const HRESULT hr = server->RemoveGroup(dialog.groupHandle, dialog.force ? TRUE : FALSE);
  ShowGroupRemoval(context, hr, dialog.groupHandle, CGroupView::kPrivateScope);
}

void CreateGroupEnumerator(ServerCommandContext& context) {
  IOPCServer* server = opcServer(context);
  if (server == nullptr) return;
  CGroupEnumScopeDialog dialog(context.owner);
  if (dialog.DoModal() != gui::IDOK) return;

  context.result.functionName = "IOPCServer::CreateGroupEnumerator";
  IEnumString* groups = nullptr;
  const HRESULT hr = server->CreateGroupEnumerator(dialog.scope, IID_IEnumString,
                                                   reinterpret_cast<LPUNKNOWN*>(&groups));
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr)) AddEnumerationLines(context, hr, groups, "Total number of Groups found : %lu");
  ReleaseReturned(groups);
  Show(context);
}

}  // namespace commands
