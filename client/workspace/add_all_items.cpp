#include "workspace/add_all_items.h"

#include <algorithm>
#include <string>
#include <vector>

#include "format/wide_text.h"
#include "result/result_code_text.h"
#include "session/server_session.h"
#include "workspace/group_view.h"
#include "workspace/task_memory.h"
#include "workspace/tick_clock.h"

namespace workspace {
namespace {

std::string durationLine(const char* call, DWORD milliseconds) {
  if (milliseconds == 0) return std::string("Duration of ") + call + " : t < Resolution of the System Timer";
  return std::string("Duration of ") + call + " : " + std::to_string(milliseconds) + " ms";
}

// The IDs as the server sent them. They are passed back to the server as
// they came, so they are not turned into 8-bit text and back; only the IDs
// that the server rejects are converted, for their result lines.
class ItemIds {
 public:
  explicit ItemIds(const CServerSession& session) : session_(session) {}
  ~ItemIds() {
    for (LPOLESTR id : ids_) FreeTaskMemory(session_, id);
  }
  ItemIds(const ItemIds&) = delete;
  ItemIds& operator=(const ItemIds&) = delete;

  // Reads the enumerator to its end, ten IDs at a time, as the client reads
  // every string list. An enumerator that cannot be reset gives none.
  void read(IEnumString* enumerator) {
    if (enumerator->Reset() != S_OK) return;
    for (;;) {
      LPOLESTR batch[kIdsPerCall] = {};
      ULONG fetched = 0;
      const HRESULT hr = enumerator->Next(kIdsPerCall, batch, &fetched);
      // A failed call hands out nothing; a server that claims more strings
      // than were asked for is held to the size of the batch.
      if (FAILED(hr)) fetched = 0;
      fetched = std::min(fetched, kIdsPerCall);
      ids_.insert(ids_.end(), batch, batch + fetched);
      // S_OK with nothing fetched would repeat forever.
      if (hr != S_OK || fetched == 0) break;
    }
  }

  const std::vector<LPOLESTR>& ids() const { return ids_; }

 private:
  static constexpr ULONG kIdsPerCall = 10;
  const CServerSession& session_;
  std::vector<LPOLESTR> ids_;
};

// Browses the flat address space into `ids`; false when the call failed.
bool browseFlat(IOPCBrowseServerAddressSpace* browse, const CServerSession& session, FunctionResult& result,
                ItemIds& ids, DWORD& browseTime) {
  result.functionName = "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs";
  IEnumString* enumerator = nullptr;
  const DWORD start = ReadTickCount();
  const HRESULT hr = browse->BrowseOPCItemIDs(OPC_FLAT, u"", VT_EMPTY, 0, &enumerator);
  browseTime = ElapsedTicks(start, ReadTickCount());
  result.returnCode = ResultCodeText(hr, &session);
  // A successful browse without an enumerator found nothing.
  if (SUCCEEDED(hr) && enumerator != nullptr) ids.read(enumerator);
  if (enumerator != nullptr) enumerator->Release();
  return SUCCEEDED(hr);
}

}  // namespace

bool AddAllItems(IOPCBrowseServerAddressSpace* browse, IOPCItemMgt* itemMgt, const CServerSession& session,
                 FunctionResult& result) {
  ItemIds browsed(session);
  DWORD browseTime = 0;
  if (!browseFlat(browse, session, result, browsed, browseTime)) return false;
  const std::vector<LPOLESTR>& ids = browsed.ids();
  if (ids.empty()) {
    result.lines.emplace_back("There are no Items defined.");
    return false;
  }

  result.functionName = "IOPCItemMgt::AddItems";
  std::vector<OPCITEMDEF> definitions(ids.size());
  for (size_t i = 0; i < ids.size(); ++i) {
    OPCITEMDEF& definition = definitions[i];
    definition.szAccessPath = const_cast<LPWSTR>(u"");
    definition.szItemID = ids[i];
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
  result.returnCode = ResultCodeText(hr, &session);

  if (hr == S_OK) {
    result.lines.push_back("Total number of items added : " + std::to_string(ids.size()));
    result.lines.push_back(durationLine("BrowseOPCItemIDs( FLAT )", browseTime));
    result.lines.push_back(durationLine("AddItems()", addTime));
  } else if (hr == S_FALSE) {
    result.lines.emplace_back("Cannot add the following items :");
    for (DWORD i = 0; errors != nullptr && i < count; ++i) {
      if (FAILED(errors[i])) {
        result.lines.push_back(format::WideToText(ids[i]) + "   (" + ResultCodeText(errors[i], &session) + ")");
      }
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
