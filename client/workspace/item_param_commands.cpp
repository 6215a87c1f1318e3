// The item pop-up's commands that ask for one value first: Set Client
// Handle, Set Datatype and Validate Item.

#include "dialogs/choice_param_dialog.h"
#include "dialogs/number_param_dialog.h"
#include "format/code_text.h"
#include "format/wide_text.h"
#include "result/result_code_text.h"
#include "session/server_session.h"
#include "workspace/group_view.h"
#include "workspace/line_format.h"
#include "workspace/task_memory.h"

void CGroupView::OnSetClientHandle() {
  IOPCItemMgt* itemMgt = nullptr;
  ItemNode* item = nullptr;
  if (!SelectedGroupInterface(&itemMgt, &item)) return;
  CNumberParamDialog dialog("IOPCItemMgt::SetClientHandles", "New Client Handle", this);
  if (dialog.DoModal() != gui::IDOK) return;
  functionResult_.functionName = "IOPCItemMgt::SetClientHandles";
  OPCHANDLE server = item->hServer;
  OPCHANDLE client = dialog.number;
  HRESULT* errors = nullptr;
  const HRESULT hr = itemMgt->SetClientHandles(1, &server, &client, &errors);
  functionResult_.returnCode = ResultCodeText(hr, session_);
  const std::string id = format::WideToText(item->szItemID);
  if (hr == S_OK) {
    functionResult_.lines.push_back(workspace::LineFormat("New Client Handle of Item '%s' is %lu", id.c_str(),
                                                          static_cast<unsigned long>(client)));
  }
  FinishItemChange(hr, errors, "Cannot set Client Handle for Item '" + id + "'");
}

void CGroupView::OnSetDatatype() {
  IOPCItemMgt* itemMgt = nullptr;
  ItemNode* item = nullptr;
  if (!SelectedGroupInterface(&itemMgt, &item)) return;
  CChoiceParamDialog dialog(CChoiceParamDialog::kSetDatatypes, this);
  if (dialog.DoModal() != gui::IDOK) return;
  functionResult_.functionName = "IOPCItemMgt::SetDatatypes";
  OPCHANDLE server = item->hServer;
  VARTYPE type = static_cast<VARTYPE>(dialog.value);
  HRESULT* errors = nullptr;
  const HRESULT hr = itemMgt->SetDatatypes(1, &server, &type, &errors);
  functionResult_.returnCode = ResultCodeText(hr, session_);
  const std::string id = format::WideToText(item->szItemID);
  if (hr == S_OK) {
    functionResult_.lines.push_back("New Datatype of Item '" + id + "' is " + VarTypeName(type));
  }
  FinishItemChange(hr, errors, "Cannot set Datatype for Item '" + id + "'");
}

void CGroupView::OnValidateItem() {
  IOPCItemMgt* itemMgt = nullptr;
  ItemNode* item = nullptr;
  if (!SelectedGroupInterface(&itemMgt, &item)) return;
  CChoiceParamDialog dialog(CChoiceParamDialog::kValidateItems, this);
  if (dialog.DoModal() != gui::IDOK) return;
  functionResult_.functionName = "IOPCItemMgt::ValidateItems";
  // The item is validated as it stands, with its own blob and client handle.
  OPCITEMDEF definition{item->szAccessPath, item->szItemID,          item->bActive,
                        item->hClient,      item->dwBlobSize,        item->pBlob,
                        item->vtRequestedDataType, 0};
  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  const HRESULT hr = itemMgt->ValidateItems(1, &definition, dialog.value != 0 ? TRUE : FALSE, &results, &errors);
  functionResult_.returnCode = ResultCodeText(hr, session_);
  if (hr == S_FALSE && errors != nullptr) {
    AddItemFailure("Validate of Item '" + format::WideToText(item->szItemID) + "' failed", errors[0]);
  }
  if (results != nullptr) {
    FreeTaskMemory(*session_, results[0].pBlob);
    FreeTaskMemory(*session_, results);
  }
  FreeTaskMemory(*session_, errors);
  ShowFunctionResult();
}
