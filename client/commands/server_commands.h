#pragma once

// The commands of the main menu's interface pop-ups, one function per menu
// command, each calling one method of the server through the session and
// showing the outcome in the result view. The files are split by
// interface: iopc_server_commands.cpp, public_group_commands.cpp,
// browse_commands.cpp, persist_file_commands.cpp, common_commands.cpp and
// item_properties_commands.cpp.

#include <span>
#include <string>

#include "commands/command_context.h"
#include "win/types.h"

struct ServerCommand {
  UINT id;
  void (*run)(ServerCommandContext& context);
};

// Every server-level command with its menu command id.
std::span<const ServerCommand> ServerCommands();

namespace commands {

// IOPCServer
void AddGroup(ServerCommandContext& context);
void ServerGetErrorString(ServerCommandContext& context);
void GetGroupByName(ServerCommandContext& context);
void GetStatus(ServerCommandContext& context);
void RemoveGroup(ServerCommandContext& context);
void CreateGroupEnumerator(ServerCommandContext& context);
// IOPCServerPublicGroups
void GetPublicGroupByName(ServerCommandContext& context);
void RemovePublicGroup(ServerCommandContext& context);
// IOPCBrowseServerAddressSpace
void QueryOrganization(ServerCommandContext& context);
void ChangeBrowsePosition(ServerCommandContext& context);
void BrowseOPCItemIDs(ServerCommandContext& context);
void GetItemID(ServerCommandContext& context);
void BrowseAccessPaths(ServerCommandContext& context);
// IPersistFile
void IsDirty(ServerCommandContext& context);
void Load(ServerCommandContext& context);
void Save(ServerCommandContext& context);
void SaveCompleted(ServerCommandContext& context);
void GetCurFile(ServerCommandContext& context);
// IOPCCommon
void SetLocaleID(ServerCommandContext& context);
void GetLocaleID(ServerCommandContext& context);
void QueryAvailableLocaleIDs(ServerCommandContext& context);
void CommonGetErrorString(ServerCommandContext& context);
void SetClientName(ServerCommandContext& context);
// IOPCItemProperties
void QueryAvailableProperties(ServerCommandContext& context);
void GetItemProperties(ServerCommandContext& context);
// The property listing of GetItemProperties for an item the caller names
// (the group panes' "Get Properties"), without asking for the ID.
void ListItemProperties(ServerCommandContext& context, std::u16string itemId);
void LookupItemIDs(ServerCommandContext& context);

}  // namespace commands
