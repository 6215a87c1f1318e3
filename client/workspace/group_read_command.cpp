// "Read all Items n" of the group pop-up: collects the group's readable
// items, asks how often to read them and runs the series.

#include <QTreeWidgetItem>
#include <memory>
#include <new>

#include "dialogs/number_param_dialog.h"
#include "format/wide_text.h"
#include "result/function_result_view.h"
#include "workspace/group_view.h"
#include "workspace/read_all_items.h"

void CGroupView::OnReadAllItemsN() {
  GroupNode* node = SelectedGroupNode();
  if (node == nullptr) return;
  if (node->syncIO == nullptr) {
    Message("Interface not supported : IOPCSyncIO\n");
    return;
  }
  gui::TreeCtrl tree = GetTreeCtrl();
  gui::TreeItem group = tree.GetSelectedItem();
  std::vector<const ItemNode*> readable;
  for (int i = 0; i < group->childCount(); ++i) {
    const auto* item = reinterpret_cast<const ItemNode*>(tree.GetItemData(group->child(i)));
    if (item != nullptr && (item->dwAccessRights & OPC_READABLE) != 0) readable.push_back(item);
  }
  if (readable.empty()) {
    Message("This Group has no Items to perform read operations.\n");
    return;
  }

  CNumberParamDialog dialog("Read all readable Group Items n times", "Number of read access", "Read from Cache",
                            this);
  dialog.number = 10;
  dialog.checked = true;
  if (dialog.DoModal() != gui::IDOK) return;

  const auto count = static_cast<DWORD>(readable.size());
  std::unique_ptr<OPCHANDLE[]> handles(new (std::nothrow) OPCHANDLE[count]);
  if (!handles) {
    Message("Out of memory\n");
    return;
  }
  std::vector<std::string> itemIds;
  for (DWORD i = 0; i < count; ++i) {
    handles[i] = readable[i]->hServer;
    if (i < workspace::kListedItemStates) itemIds.push_back(format::WideToText(readable[i]->szItemID));
  }

  // The series holds the user-interface thread; the waiting line is drawn
  // before it starts.
  functionResult_.functionName = "IOPCSyncIO::Read";
  functionResult_.lines.emplace_back("Please wait. Read is in progress ...");
  ShowFunctionResult();
  if (resultView_ != nullptr) resultView_->UpdateWindow();

  workspace::ReadAllItems(node->syncIO, handles.get(), count, itemIds, dialog.number, dialog.checked, *session_,
                          functionResult_);
  ShowFunctionResult();
}
