// The commands of the "IOPCServer&PublicGroups" pop-up.

#include "commands/command_frame.h"
#include "commands/group_outcome.h"
#include "commands/server_commands.h"
#include "dialogs/group_by_name_dialog.h"
#include "dialogs/remove_group_dialog.h"
#include "gui/ids.h"
#include "session/server_session.h"
#include "workspace/group_view.h"

namespace commands {
namespace {

IOPCServerPublicGroups* publicGroups(ServerCommandContext& context) {
  return RequireInterface(context, context.session.GetPublicGroups(), "IOPCServerPublicGroups");
}

}  // namespace

void GetPublicGroupByName(ServerCommandContext& context) {
  IOPCServerPublicGroups* server = publicGroups(context);
  if (server == nullptr) return;
  CGroupByNameDialog dialog(CGroupByNameDialog::kPublicGroup, context.owner);
  if (dialog.DoModal() != gui::IDOK) return;
  std::u16string name;
  if (!WideArgument(context, dialog.groupName, name)) return;

  // The lower-case "by" is how this command has always named the method.
  context.result.functionName = "IOPCServerPublicGroups::GetPublicGroupbyName";
  IUnknown* group = nullptr;
  const HRESULT hr = server->GetPublicGroupByName(name.c_str(), dialog.interfaceId, &group);
  ShowGroupLookup(context, hr, group, dialog.interfaceType);
}

void RemovePublicGroup(ServerCommandContext& context) {
  IOPCServerPublicGroups* server = publicGroups(context);
  if (server == nullptr) return;
  CRemoveGroupDialog dialog(CRemoveGroupDialog::kPublicGroup, context.owner);
  if (dialog.DoModal() != gui::IDOK) return;

  context.result.functionName = "IOPCServerPublicGroups::RemovePublicGroup";
  const HRESULT hr = server->RemovePublicGroup(dialog.groupHandle, dialog.force ? TRUE : FALSE);
  ShowGroupRemoval(context, hr, dialog.groupHandle, CGroupView::kPublicScope);
}

}  // namespace commands
