#include "workspace/add_all_items.h"

#include <string>
#include <vector>

#include "format/enum_strings.h"
#include "result/result_code_text.h"
#include "session/server_session.h"
#include "session/to_wide_text.h"
#include "workspace/group_view.h"
#include "workspace/task_memory.h"
#include "workspace/tick_clock.h"

namespace workspace {
namespace {

std::string durationLine(const char* call, DWORD milliseconds) {
  if (milliseconds == 0) return std::string("Duration of ") + call + " : t < Resolution of the System Timer";
  return std::string("Duration of ") + call + " : " + std::to_string(milliseconds) + " ms";
}

std::vector<std::string> browseFlat(IOPCBrowseServerAddressSpace* browse, const CServerSession& session,
                                    FunctionResult& result, bool& browsed, DWORD& browseTime) {
  result.functionName = "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs";
  IEnumString* enumerator = nullptr;
  const DWORD start = ReadTickCount();
  const HRESULT hr = browse->BrowseOPCItemIDs(OPC_FLAT, u"", VT_EMPTY, 0, &enumerator);
  browseTime = ElapsedTicks(start, ReadTickCount());
  result.returnCode = ResultCodeText(hr, &session);
  browsed = SUCCEEDED(hr);
  if (!browsed) {
    if (enumerator != nullptr) enumerator->Release();
    return {};
  }
  // A successful browse without an enumerator found nothing.
  if (enumerator == nullptr) return {};
  std::vector<std::string> ids = EnumStringsToList(enumerator, session);
  enumerator->Release();
  return ids;
}

}  // namespace

bool AddAllItems(IOPCBrowseServerAddressSpace* browse, IOPCItemMgt* itemMgt, const CServerSession& session,
                 FunctionResult& result) {
  bool browsed = false;
  DWORD browseTime = 0;
  const std::vector<std::string> ids = browseFlat(browse, session, result, browsed, browseTime);
  if (!browsed) return false;
  if (ids.empty()) {
    result.lines.emplace_back("There are no Items defined.");
    return false;
  }

  result.functionName = "IOPCItemMgt::AddItems";
  std::vector<std::u16string> wideIds(ids.size());
  std::vector<OPCITEMDEF> definitions(ids.size());
  for (size_t i = 0; i < ids.size(); ++i) {
    // The IDs came from the server as wide text, so they convert back.
    ToWideText(ids[i].c_str(), wideIds[i]);
    OPCITEMDEF& definition = definitions[i];
    definition.szAccessPath = const_cast<LPWSTR>(u"");
    definition.szItemID = wideIds[i].data();
    definition.bActive = TRUE;
    definition.hClient = static_cast<OPCHANDLE>(i);
    definition.dwBlobSize = 0;
    definition.pBlob = nullptr;
    definition.vtRequestedDataType = VT_EMPTY;
    definition.wReserved = 0;
  }

  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  const DWORD count = static_cast<DWORD>(definitions.size());
  const DWORD start = ReadTickCount();
  const HRESULT hr = itemMgt->AddItems(count, definitions.data(), &results, &errors);
  const DWORD addTime = ElapsedTicks(start, ReadTickCount());
  definitions.clear();
  wideIds.clear();
  result.returnCode = ResultCodeText(hr, &session);

  if (hr == S_OK) {
    result.lines.push_back("Total number of items added : " + std::to_string(ids.size()));
    result.lines.push_back(durationLine("BrowseOPCItemIDs( FLAT )", browseTime));
    result.lines.push_back(durationLine("AddItems()", addTime));
  } else if (hr == S_FALSE) {
    result.lines.emplace_back("Cannot add the following items :");
    for (DWORD i = 0; errors != nullptr && i < count; ++i) {
      if (FAILED(errors[i])) result.lines.push_back(ids[i] + "   (" + ResultCodeText(errors[i], &session) + ")");
    }
  }

  if (results != nullptr) {
    for (DWORD i = 0; i < count; ++i) FreeTaskMemory(session, results[i].pBlob);
    FreeTaskMemory(session, results);
  }
  FreeTaskMemory(session, errors);
  return true;
}

}  // namespace workspace

void CGroupView::OnAddAllItems() {
  IOPCItemMgt* itemMgt = nullptr;
  if (!SelectedGroupInterface(&itemMgt)) return;
  IOPCBrowseServerAddressSpace* browse = session_->GetBrowseAddressSpace();
  if (browse == nullptr) {
    Message("Interface not supported : IOPCBrowseServerAddressSpace\n");
    return;
  }
  if (workspace::AddAllItems(browse, itemMgt, *session_, functionResult_)) RefreshGroupTree();
  ShowFunctionResult();
}
