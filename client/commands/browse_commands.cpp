// The commands of the "IOPCBrowseServer&AddressSpace" pop-up. They also
// keep the client's copy of the server's browse position, which the browse
// dialogs show.

#include "commands/command_frame.h"
#include "commands/server_commands.h"
#include "dialogs/browse_item_ids_dialog.h"
#include "dialogs/change_browse_position_dialog.h"
#include "dialogs/text_param_dialog.h"
#include "format/wide_text.h"
#include "gui/ids.h"
#include "session/browse_position.h"
#include "session/server_session.h"

namespace commands {
namespace {

IOPCBrowseServerAddressSpace* browser(ServerCommandContext& context) {
  return RequireInterface(context, context.session.GetBrowseAddressSpace(), "IOPCBrowseServerAddressSpace");
}

// The fully qualified ID of the server's browse position, "<ROOT>" at the
// top, or "???" when the server cannot name it.
std::string AskBrowsePosition(ServerCommandContext& context, IOPCBrowseServerAddressSpace* space) {
  std::u16string empty;
  LPWSTR itemId = nullptr;
  if (FAILED(space->GetItemID(empty.data(), &itemId))) return "???";
  std::string position = format::WideToText(itemId);
  FreeServerMemory(context.session, itemId);
  return position.empty() ? "<ROOT>" : position;
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

void ChangeBrowsePosition(ServerCommandContext& context) {
  IOPCBrowseServerAddressSpace* space = browser(context);
  if (space == nullptr) return;
  CChangeBrowsePositionDialog dialog(context.owner);
  if (dialog.DoModal() != gui::IDOK) return;
  // The branch text goes with every direction, as typed.
  std::u16string branch;
  if (!WideArgument(context, dialog.branch, branch)) return;

  context.result.functionName = "IOPCBrowseServerAddressSpace::ChangeBrowsePosition";
  const HRESULT hr = space->ChangeBrowsePosition(dialog.direction, branch.c_str());
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr)) {
    // Only the move's own result is shown; asking where it led is not.
    SetCurrentBrowsePosition(AskBrowsePosition(context, space));
    context.result.lines.emplace_back("The current position is :");
    context.result.lines.push_back(CurrentBrowsePosition());
  }
  Show(context);
}

void BrowseOPCItemIDs(ServerCommandContext& context) {
  IOPCBrowseServerAddressSpace* space = browser(context);
  if (space == nullptr) return;
  CBrowseItemIdsDialog dialog(context.owner);
  if (dialog.DoModal() != gui::IDOK) return;
  std::u16string criteria;
  if (!WideArgument(context, dialog.filterCriteria, criteria)) return;

  context.result.functionName = "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs";
  IEnumString* itemIds = nullptr;
  const HRESULT hr = space->BrowseOPCItemIDs(dialog.filterType, criteria.c_str(), dialog.dataTypeFilter,
                                             dialog.accessRightsFilter, &itemIds);
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr)) AddEnumerationLines(context, hr, itemIds, "Total number of items found : %lu");
  ReleaseReturned(itemIds);
  Show(context);
}

void GetItemID(ServerCommandContext& context) {
  IOPCBrowseServerAddressSpace* space = browser(context);
  if (space == nullptr) return;
  CTextParamDialog dialog(CTextParamDialog::kGetItemId, context.owner);
  if (dialog.DoModal() != gui::IDOK) return;
  std::u16string name;
  if (!WideArgument(context, dialog.text, name)) return;

  context.result.functionName = "IOPCBrowseServerAddressSpace::GetItemID";
  LPWSTR itemId = nullptr;
  const HRESULT hr = space->GetItemID(name.data(), &itemId);
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr)) {
    context.result.lines.push_back(format::WideToText(itemId));
    FreeServerMemory(context.session, itemId);
  }
  Show(context);
}

void BrowseAccessPaths(ServerCommandContext& context) {
  IOPCBrowseServerAddressSpace* space = browser(context);
  if (space == nullptr) return;
  CTextParamDialog dialog(CTextParamDialog::kBrowseAccessPaths, context.owner);
  if (dialog.DoModal() != gui::IDOK) return;
  std::u16string itemId;
  if (!WideArgument(context, dialog.text, itemId)) return;

  context.result.functionName = "IOPCBrowseServerAddressSpace::BrowseAccessPaths";
  IEnumString* paths = nullptr;
  const HRESULT hr = space->BrowseAccessPaths(itemId.c_str(), &paths);
  SetReturnCode(context, hr);
  if (SUCCEEDED(hr)) AddEnumerationLines(context, hr, paths, "Total number of acess paths found : %lu");
  ReleaseReturned(paths);
  Show(context);
}

}  // namespace commands
