#include <array>

#include "commands/server_commands.h"
#include "resources/resource_ids.h"

std::span<const ServerCommand> ServerCommands() {
  using namespace quillon;
  static constexpr std::array kCommands = {
      ServerCommand{ID_IOPCSERVER_ADDGROUP, &commands::AddGroup},
      ServerCommand{ID_IOPCSERVER_GETERRORSTRING, &commands::ServerGetErrorString},
      ServerCommand{ID_IOPCSERVER_GETGROUPBYNAME, &commands::GetGroupByName},
      ServerCommand{ID_IOPCSERVER_GETSTATUS, &commands::GetStatus},
      ServerCommand{ID_IOPCSERVER_REMOVEGROUP, &commands::RemoveGroup},
      ServerCommand{ID_IOPCSERVER_CREATEGROUPENUMERATOR, &commands::CreateGroupEnumerator},
      ServerCommand{ID_IOPCSERVERPUBLICGROUPS_GETPUBLICGROUPBYNAME, &commands::GetPublicGroupByName},
      ServerCommand{ID_IOPCSERVERPUBLICGROUPS_REMOVEPUBLICGROUP, &commands::RemovePublicGroup},
      ServerCommand{ID_IOPCBROWSE_QUERYORGANIZATION, &commands::QueryOrganization},
      ServerCommand{ID_IOPCBROWSE_CHANGEBROWSEPOSITION, &commands::ChangeBrowsePosition},
      ServerCommand{ID_IOPCBROWSE_BROWSEOPCITEMIDS, &commands::BrowseOPCItemIDs},
      ServerCommand{ID_IOPCBROWSE_GETITEMID, &commands::GetItemID},
      ServerCommand{ID_IOPCBROWSE_BROWSEACCESSPATHS, &commands::BrowseAccessPaths},
      ServerCommand{ID_IPERSISTFILE_ISDIRTY, &commands::IsDirty},
      ServerCommand{ID_IPERSISTFILE_LOAD, &commands::Load},
      ServerCommand{ID_IPERSISTFILE_SAVE, &commands::Save},
      ServerCommand{ID_IPERSISTFILE_SAVECOMPLETED, &commands::SaveCompleted},
      ServerCommand{ID_IPERSISTFILE_GETCURFILE, &commands::GetCurFile},
      ServerCommand{ID_IOPCCOMMON_SETLOCALEID, &commands::SetLocaleID},
      ServerCommand{ID_IOPCCOMMON_GETLOCALEID, &commands::GetLocaleID},
      ServerCommand{ID_IOPCCOMMON_QUERYAVAILABLELOCALEIDS, &commands::QueryAvailableLocaleIDs},
      ServerCommand{ID_IOPCCOMMON_GETERRORSTRING, &commands::CommonGetErrorString},
      ServerCommand{ID_IOPCCOMMON_SETCLIENTNAME, &commands::SetClientName},
      ServerCommand{ID_IOPCITEMPROPERTIES_QUERYAVAILABLEPROPERTIES, &commands::QueryAvailableProperties},
      ServerCommand{ID_IOPCITEMPROPERTIES_GETITEMPROPERTIES, &commands::GetItemProperties},
      ServerCommand{ID_IOPCITEMPROPERTIES_LOOKUPITEMIDS, &commands::LookupItemIDs},
  };
  return kCommands;
}
