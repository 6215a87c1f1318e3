// "Write" of the item pop-up: one value, typed as text and converted to the
// chosen type by the dialog, written synchronously.

#include "dialogs/write_value_dialog.h"
#include "format/wide_text.h"
#include "result/result_code_text.h"
#include "session/server_session.h"
#include "workspace/group_view.h"
#include "workspace/task_memory.h"

void CGroupView::OnWriteItem() {
  IOPCSyncIO* syncIO = nullptr;
  ItemNode* item = nullptr;
  if (!SelectedGroupInterface(&syncIO, &item)) return;
  // The dialog refuses array types itself ("Cannot write arrays").
  CWriteValueDialog dialog(item->vtCanonicalDataType, this);
  if (dialog.DoModal() != gui::IDOK) return;
  functionResult_.functionName = "IOPCSyncIO::Write";
  OPCHANDLE handle = item->hServer;
  HRESULT* errors = nullptr;
  // The dialog owns the value until it goes, after the call.
  const HRESULT hr = syncIO->Write(1, &handle, &dialog.value, &errors);
  functionResult_.returnCode = ResultCodeText(hr, session_);
  const std::string id = format::WideToText(item->szItemID);
  if (hr == S_OK) {
    functionResult_.lines.push_back("Written Item '" + id + "'");
  } else if (hr == S_FALSE && errors != nullptr) {
    AddItemFailure("Cannot write Item '" + id + "'", errors[0]);
  }
  FreeTaskMemory(*session_, errors);
  ShowFunctionResult();
}
