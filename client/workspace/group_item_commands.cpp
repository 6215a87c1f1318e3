// The group pop-up's commands on one item definition the user types:
// Validate Item and Add Item.

#include "dialogs/add_items_dialog.h"
#include "dialogs/validate_item_dialog.h"
#include "result/result_code_text.h"
#include "session/server_session.h"
#include "session/to_wide_text.h"
#include "workspace/group_view.h"
#include "workspace/line_format.h"
#include "workspace/task_memory.h"

namespace {

// The wide strings of a definition, which must outlive the call.
struct WideDefinition {
  std::u16string itemId;
  std::u16string accessPath;
  OPCITEMDEF definition{};

  WideDefinition(const std::string& id, const std::string& path) {
    ToWideText(id.c_str(), itemId);
    ToWideText(path.c_str(), accessPath);
    definition.szAccessPath = accessPath.data();
    definition.szItemID = itemId.data();
  }
};

}  // namespace

void CGroupView::OnValidateGroupItem() {
  IOPCItemMgt* itemMgt = nullptr;
  if (!SelectedGroupInterface(&itemMgt)) return;
  CValidateItemDialog dialog(this);
  if (dialog.DoModal() != gui::IDOK) return;
  functionResult_.functionName = "IOPCItemMgt::ValidateItems";
  WideDefinition item(dialog.itemId, dialog.accessPath);
  item.definition.bActive = TRUE;
  item.definition.hClient = 0;
  item.definition.dwBlobSize = 0;
  item.definition.pBlob = nullptr;
  item.definition.vtRequestedDataType = dialog.requestedDataType;
  item.definition.wReserved = 0;
  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  const HRESULT hr =
      itemMgt->ValidateItems(1, &item.definition, dialog.returnBlob ? TRUE : FALSE, &results, &errors);
  functionResult_.returnCode = ResultCodeText(hr, session_);
  if (hr == S_OK && results != nullptr && dialog.returnBlob) {
    functionResult_.lines.push_back(
        workspace::LineFormat("Returned Blob size is %lu", static_cast<unsigned long>(results[0].dwBlobSize)));
  } else if (hr == S_FALSE && errors != nullptr) {
    AddItemFailure("Validation of Item '" + dialog.itemId + "' failed", errors[0]);
  }
  if (results != nullptr) {
    FreeTaskMemory(*session_, results[0].pBlob);
    FreeTaskMemory(*session_, results);
  }
  FreeTaskMemory(*session_, errors);
  ShowFunctionResult();
}

void CGroupView::OnAddItem() {
  IOPCItemMgt* itemMgt = nullptr;
  if (!SelectedGroupInterface(&itemMgt)) return;
  CAddItemsDialog dialog(*session_, this);
  if (dialog.DoModal() != gui::IDOK) return;
  functionResult_.functionName = "IOPCItemMgt::AddItems";
  WideDefinition item(dialog.itemId, dialog.accessPath);
  item.definition.bActive = dialog.active ? TRUE : FALSE;
  item.definition.hClient = dialog.providedHandle;
  item.definition.dwBlobSize = 0;
  item.definition.pBlob = nullptr;
  item.definition.vtRequestedDataType = VT_EMPTY;
  item.definition.wReserved = 0;
  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  const HRESULT hr = itemMgt->AddItems(1, &item.definition, &results, &errors);
  functionResult_.returnCode = ResultCodeText(hr, session_);
  if (hr == S_FALSE && errors != nullptr) {
    AddItemFailure("Cannot add Item '" + dialog.itemId + "'", errors[0]);
  }
  if (results != nullptr) {
    FreeTaskMemory(*session_, results[0].pBlob);
    FreeTaskMemory(*session_, results);
  }
  FreeTaskMemory(*session_, errors);
  if (hr == S_OK) RefreshGroupTree();
  ShowFunctionResult();
}
