// "Advise Data" of the item pop-up: checks that the item and its group can
// send data changes, then opens the data-advise dialog on the item.

#include "advise/advise_data_dialog.h"
#include "opc/opcda.h"
#include "result/result_code_text.h"
#include "workspace/group_view.h"
#include "workspace/task_memory.h"

void CGroupView::OnAdviseData() {
  IOPCAsyncIO* asyncIO = nullptr;
  ItemNode* item = nullptr;
  if (!SelectedGroupInterface(&asyncIO, &item)) return;
  IOPCItemMgt* itemMgt = nullptr;
  if (!SelectedGroupInterface(&itemMgt)) return;
  IOPCGroupStateMgt* groupState = nullptr;
  if (!SelectedGroupInterface(&groupState)) return;

  functionResult_.functionName = "Advise Data Dialog";
  std::vector<std::string>& lines = functionResult_.lines;
  lines.push_back("Cannot Advise Data");
  if ((item->dwAccessRights & OPC_READABLE) == 0) {
    lines.push_back("It is not a readable Item");
    ShowFunctionResult();
    return;
  }
  if (!item->bActive) {
    lines.push_back("The Item is currently inactive");
    ShowFunctionResult();
    return;
  }
  DWORD updateRate = 0;
  BOOL active = FALSE;
  LPWSTR name = nullptr;
  LONG timeBias = 0;
  FLOAT deadband = 0;
  LCID locale = 0;
  OPCHANDLE clientGroup = 0;
  OPCHANDLE serverGroup = 0;
  const HRESULT hr =
      groupState->GetState(&updateRate, &active, &name, &timeBias, &deadband, &locale, &clientGroup, &serverGroup);
  FreeTaskMemory(*session_, name);
  if (FAILED(hr)) {
    functionResult_.functionName = "IOPCGroupStateMgt::GetState";
    functionResult_.returnCode = ResultCodeText(hr, session_);
    lines.push_back("Cannot access the Group State");
    ShowFunctionResult();
    return;
  }
  if (!active) {
    lines.push_back("The Group is currently inactive");
    ShowFunctionResult();
    return;
  }

  // The temporary handle must differ from every handle of the group's items
  // (the watched item's own included).
  std::vector<OPCHANDLE> groupClientHandles;
  gui::TreeCtrl tree = GetTreeCtrl();
  gui::TreeItem group = tree.GetParentItem(tree.GetSelectedItem());
  for (gui::TreeItem entry = tree.GetChildItem(group); entry != nullptr; entry = tree.GetNextSiblingItem(entry)) {
    if (const auto* node = reinterpret_cast<const ItemNode*>(tree.GetItemData(entry))) {
      groupClientHandles.push_back(node->hClient);
    }
  }
  {
    CAdviseDataDialog dialog(asyncIO, itemMgt, item, deadband, std::move(groupClientHandles), session_, this);
    dialog.DoModal();
  }
  functionResult_ = FunctionResult{};
}
