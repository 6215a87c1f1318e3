// "Advise Data" of the item pop-up: checks that the item and its group can
// send data changes, then opens the data-advise dialog on the item.

#include "advise/advise_data_dialog.h"
#include "opc/opcda.h"
#include "result/result_code_text.h"
#include "workspace/group_state.h"
#include "workspace/group_view.h"

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
  GroupState state;
  const HRESULT hr = ReadGroupState(groupState, *session_, state);
  if (FAILED(hr)) {
    functionResult_.functionName = "IOPCGroupStateMgt::GetState";
    functionResult_.returnCode = ResultCodeText(hr, session_);
    lines.push_back("Cannot access the Group State");
    ShowFunctionResult();
    return;
  }
  if (!state.active) {
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
    CAdviseDataDialog dialog(asyncIO, itemMgt, item, state.deadband, std::move(groupClientHandles), session_, this);
    dialog.DoModal();
  }
  functionResult_ = FunctionResult{};
}
