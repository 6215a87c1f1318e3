// The item pop-up's commands that change or show one item: removing it,
// reading it once, its attributes, its active state and Get Properties.

#include <cstdio>

#include "com/oleauto.h"
#include "format/code_text.h"
#include "format/time_stamp_text.h"
#include "format/variant_lines.h"
#include "format/wide_text.h"
#include "result/result_code_text.h"
#include "session/server_session.h"
#include "workspace/group_view.h"
#include "workspace/line_format.h"
#include "workspace/task_memory.h"

namespace {


std::string itemId(const ItemNode* item) { return format::WideToText(item->szItemID); }

std::string accessRightsText(DWORD rights) {
  switch (rights) {
    case OPC_READABLE:
      return "Readable";
    case OPC_WRITEABLE:
      return "Writeable";
    case OPC_READABLE | OPC_WRITEABLE:
      return "Readable + Writeable";
    default:
      return "None";
  }
}

}  // namespace

void CGroupView::OnRemoveItem() {
  IOPCItemMgt* itemMgt = nullptr;
  ItemNode* item = nullptr;
  if (!SelectedGroupInterface(&itemMgt, &item)) return;
  functionResult_.functionName = "IOPCItemMgt::RemoveItems";
  OPCHANDLE handle = item->hServer;
  HRESULT* errors = nullptr;
  const HRESULT hr = itemMgt->RemoveItems(1, &handle, &errors);
  functionResult_.returnCode = ResultCodeText(hr, session_);
  const std::string id = itemId(item);
  if (hr == S_OK) {
    functionResult_.lines.push_back("Removed Item '" + id + "'");
    functionResult_.lines.push_back(workspace::LineFormat("With Handle  : %lu", static_cast<unsigned long>(handle)));
  }
  FinishItemChange(hr, errors, "Cannot remove Item '" + id + "'");
}

void CGroupView::OnReadItem() {
  IOPCSyncIO* syncIO = nullptr;
  ItemNode* item = nullptr;
  if (!SelectedGroupInterface(&syncIO, &item)) return;
  functionResult_.functionName = "IOPCSyncIO::Read";
  OPCHANDLE handle = item->hServer;
  OPCITEMSTATE* states = nullptr;
  HRESULT* errors = nullptr;
  // A single read always comes from the cache; only "Read n" offers the device.
  const HRESULT hr = syncIO->Read(OPC_DS_CACHE, 1, &handle, &states, &errors);
  functionResult_.returnCode = ResultCodeText(hr, session_);
  const std::string id = itemId(item);
  std::vector<std::string>& lines = functionResult_.lines;
  if (hr == S_OK && states != nullptr) {
    const OPCITEMSTATE& state = states[0];
    lines.push_back("Read Item '" + id + "'");
    lines.push_back(workspace::LineFormat("hClient       : %lu", static_cast<unsigned long>(state.hClient)));
    const std::optional<std::string> time = format::TimeStampText(state.ftTimeStamp);
    lines.push_back("ftTimeStamp   : " + (time ? *time : std::string("Cannot convert to Local Time")));
    lines.push_back("wQuality      : " + QualityText(state.wQuality));
    for (std::string& line : VariantToLines(state.vDataValue, "vDataValue[%u] : ")) lines.push_back(line);
    lines.push_back(workspace::LineFormat("wReserved     : %u", unsigned{state.wReserved}));
  } else if (hr == S_FALSE && errors != nullptr) {
    AddItemFailure("Cannot read Item '" + id + "'", errors[0]);
  }
  FreeTaskMemory(*session_, errors);
  if (states != nullptr) {
    VariantClear(&states[0].vDataValue);
    FreeTaskMemory(*session_, states);
  }
  ShowFunctionResult();
}

void CGroupView::OnItemAttributes() {
  // The attributes come from the record stored at the last refresh; the
  // group's item management only has to be there.
  IOPCItemMgt* itemMgt = nullptr;
  ItemNode* item = nullptr;
  if (!SelectedGroupInterface(&itemMgt, &item)) return;
  functionResult_.functionName = "IEnumOPCItemAttributes::Next";
  functionResult_.returnCode = ResultCodeText(S_OK, session_);
  std::vector<std::string>& lines = functionResult_.lines;
  lines.push_back("szAccessPath        : " + format::WideToText(item->szAccessPath));
  lines.push_back("szItemID            : " + itemId(item));
  lines.push_back(std::string("bActive             : ") + (item->bActive ? "TRUE" : "FALSE"));
  lines.push_back(workspace::LineFormat("hClient             : %lu", static_cast<unsigned long>(item->hClient)));
  lines.push_back(workspace::LineFormat("hServer             : %lu", static_cast<unsigned long>(item->hServer)));
  lines.push_back("dwAccessRights      : " + accessRightsText(item->dwAccessRights));
  lines.push_back(workspace::LineFormat("dwBlobSize          : %lu", static_cast<unsigned long>(item->dwBlobSize)));
  lines.push_back("vtRequestedDataType : " + VarTypeName(item->vtRequestedDataType));
  lines.push_back("vtCanonicalDataType : " + VarTypeName(item->vtCanonicalDataType));
  lines.push_back("dwEUType            : " + EuTypeName(item->dwEUType));
  lines.push_back("vEUInfo.vt          : " + VarTypeName(item->vEUInfo.vt));
  for (std::string& line : VariantToLines(item->vEUInfo, "vEUInfo[%d]          : ")) lines.push_back(line);
  ShowFunctionResult();
}

void CGroupView::SetItemActiveState(bool active) {
  IOPCItemMgt* itemMgt = nullptr;
  ItemNode* item = nullptr;
  if (!SelectedGroupInterface(&itemMgt, &item)) return;
  functionResult_.functionName = "IOPCItemMgt::SetActiveState";
  OPCHANDLE handle = item->hServer;
  HRESULT* errors = nullptr;
  const HRESULT hr = itemMgt->SetActiveState(1, &handle, active ? TRUE : FALSE, &errors);
  functionResult_.returnCode = ResultCodeText(hr, session_);
  const std::string id = itemId(item);
  if (hr == S_OK) {
    functionResult_.lines.push_back("Item '" + id + "' set " + (active ? "Active" : "Inactive"));
  }
  FinishItemChange(hr, errors, "Cannot change state of Item '" + id + "'");
}

void CGroupView::OnGetProperties() {
  if (session_->GetItemProperties() == nullptr) {
    Message("Interface not supported : IOPCItemProperties\n");
    return;
  }
  gui::TreeCtrl tree = GetTreeCtrl();
  gui::TreeItem selected = tree.GetSelectedItem();
  int image = 0;
  int selectedImage = 0;
  const bool isItem = tree.GetItemImage(selected, image, selectedImage) && image >= kWriteOnlyItemImage &&
                      image <= kOtherItemImage;
  auto* item = isItem ? reinterpret_cast<ItemNode*>(tree.GetItemData(selected)) : nullptr;
  if (item == nullptr) {
    Message("Cannot access the item attributes.\n");
    return;
  }
  // The listing shows its outcome in the main window's record, not the pane's.
  if (itemPropertiesHandler_) itemPropertiesHandler_(item->szItemID != nullptr ? item->szItemID : u"");
}
