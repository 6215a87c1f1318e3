// The group pop-up's commands that take a name: Set Name and Clone Group.

#include "dialogs/text_param_dialog.h"
#include "format/wide_text.h"
#include "result/result_code_text.h"
#include "session/server_session.h"
#include "session/to_wide_text.h"
#include "workspace/group_view.h"

void CGroupView::OnSetName() {
  GroupNode* node = SelectedGroupNode();
  if (node == nullptr) return;
  if (node->groupStateMgt == nullptr) {
    Message("Interface not supported : IOPCGroupStateMgt\n");
    return;
  }
  CTextParamDialog dialog(CTextParamDialog::kSetName, this);
  if (dialog.DoModal() != gui::IDOK) return;
  std::u16string name;
  ToWideText(dialog.text.c_str(), name);
  functionResult_.functionName = "IOPCGroupStateMgt::SetName";
  const HRESULT hr = node->groupStateMgt->SetName(name.c_str());
  functionResult_.returnCode = ResultCodeText(hr, session_);
  if (SUCCEEDED(hr)) {
    // Only the entry's text changes; the tree is not read again.
    gui::TreeCtrl tree = GetTreeCtrl();
    tree.SetItemText(tree.GetSelectedItem(), QString::fromUtf8(dialog.text.c_str()));
  }
  ShowFunctionResult();
}

void CGroupView::OnCloneGroup() {
  IOPCGroupStateMgt* state = nullptr;
  if (!SelectedGroupInterface(&state)) return;
  CTextParamDialog dialog(CTextParamDialog::kCloneGroup, this);
  if (dialog.DoModal() != gui::IDOK) return;
  std::u16string name;
  ToWideText(dialog.text.c_str(), name);
  functionResult_.functionName = "IOPCGroupStateMgt::CloneGroup";
  IUnknown* clone = nullptr;
  const HRESULT hr = state->CloneGroup(name.c_str(), IID_IUnknown, &clone);
  functionResult_.returnCode = ResultCodeText(hr, session_);
  if (clone != nullptr) clone->Release();
  if (SUCCEEDED(hr)) {
    // A clone is always private, whichever pane its original is in.
    CGroupView* privatePane = scope_ == kPrivateScope ? this : otherPane_;
    if (privatePane != nullptr) privatePane->RefreshGroupTree();
  }
  ShowFunctionResult();
}
