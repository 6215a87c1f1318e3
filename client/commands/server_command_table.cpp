#include <array>

#include "commands/server_commands.h"
#include "resources/resource_ids.h"

std::span<const ServerCommand> ServerCommands() {
  using namespace quillon;
  static constexpr std::array kCommands = {
      ServerCommand{ID_IOPCSERVER_GETSTATUS, &commands::GetStatus},
      ServerCommand{ID_IOPCBROWSE_QUERYORGANIZATION, &commands::QueryOrganization},
      ServerCommand{ID_IPERSISTFILE_ISDIRTY, &commands::IsDirty},
      ServerCommand{ID_IPERSISTFILE_GETCURFILE, &commands::GetCurFile},
      ServerCommand{ID_IOPCCOMMON_GETLOCALEID, &commands::GetLocaleID},
      ServerCommand{ID_IOPCCOMMON_QUERYAVAILABLELOCALEIDS, &commands::QueryAvailableLocaleIDs},
  };
  return kCommands;
}
