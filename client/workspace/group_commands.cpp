// The group pop-up's commands on the group itself: its type and state, its
// name, cloning, removing and making it public.

#include <cstdio>

#include "format/code_text.h"
#include "opc/opcda.h"
#include "result/result_code_text.h"
#include "session/server_session.h"
#include "workspace/group_state.h"
#include "workspace/group_view.h"
#include "workspace/line_format.h"


void CGroupView::OnGetGroupType() {
  IOPCPublicGroupStateMgt* publicState = nullptr;
  if (!SelectedGroupInterface(&publicState)) return;
  functionResult_.functionName = "IOPCPublicGroupStateMgt::GetState";
  BOOL isPublic = FALSE;
  const HRESULT hr = publicState->GetState(&isPublic);
  functionResult_.returnCode = ResultCodeText(hr, session_);
  if (SUCCEEDED(hr)) {
    gui::TreeCtrl tree = GetTreeCtrl();
    const std::string name = tree.GetItemText(tree.GetSelectedItem()).toStdString();
    functionResult_.lines.push_back("Group '" + name + "' is a " + (isPublic ? "Public" : "Private") + " Group");
  }
  ShowFunctionResult();
}

void CGroupView::OnGetState() {
  IOPCGroupStateMgt* state = nullptr;
  if (!SelectedGroupInterface(&state)) return;
  functionResult_.functionName = "IOPCGroupStateMgt::GetState";
  GroupState group;
  const HRESULT hr = ReadGroupState(state, *session_, group);
  functionResult_.returnCode = ResultCodeText(hr, session_);
  if (SUCCEEDED(hr)) {
    std::vector<std::string>& lines = functionResult_.lines;
    lines.push_back(workspace::LineFormat("UpdateRate      : %lu", static_cast<unsigned long>(group.updateRate)));
    lines.push_back(std::string("Active          : ") + (group.active ? "TRUE" : "FALSE"));
    lines.push_back("Name            : " + group.name);
    lines.push_back(workspace::LineFormat("TimeBias        : %ld", static_cast<long>(group.timeBias)));
    lines.push_back(workspace::LineFormat("PercentDeadband : %f", static_cast<double>(group.deadband)));
    lines.push_back("LCID            : " + LocaleText(group.locale));
    lines.push_back(workspace::LineFormat("hClientGroup    : %lu", static_cast<unsigned long>(group.clientGroup)));
    lines.push_back(workspace::LineFormat("hServerGroup    : %lu", static_cast<unsigned long>(group.serverGroup)));
  }
  ShowFunctionResult();
}

void CGroupView::OnRemoveGroup() {
  GroupNode* node = SelectedGroupNode();
  if (node == nullptr) return;
  const OPCHANDLE handle = node->serverGroup;
  if (handle == 0) {
    Message("Invalid Group Handle or interface\nIOPCGroupStateMgt not supported.\n");
    return;
  }
  // The pane lets go of the group before the server is asked: a server
  // refuses to remove a group that a client still holds (the call does not
  // force it). Until the next refresh the entry stays, without node.
  gui::TreeCtrl tree = GetTreeCtrl();
  gui::TreeItem entry = tree.GetSelectedItem();
  FreeGroupNode(node);
  tree.SetItemData(entry, 0);

  HRESULT hr = E_FAIL;
  if (scope_ == kPrivateScope) {
    functionResult_.functionName = "IOPCServer::RemoveGroup";
    hr = session_->GetServer()->RemoveGroup(handle, FALSE);
  } else {
    IOPCServerPublicGroups* publicGroups = session_->GetPublicGroups();
    if (publicGroups == nullptr) {
      Message("Interface not supported : IOPCServerPublicGroups\n");
      return;
    }
    functionResult_.functionName = "IOPCServerPublicGroups::RemovePublicGroup";
    hr = publicGroups->RemovePublicGroup(handle, FALSE);
  }
  functionResult_.returnCode = ResultCodeText(hr, session_);
  if (SUCCEEDED(hr)) {
    functionResult_.lines.push_back("Removed Group : '" + tree.GetItemText(entry).toStdString() + "'");
    functionResult_.lines.push_back(workspace::LineFormat("With Handle   : %lu", static_cast<unsigned long>(handle)));
    RefreshGroupTree();
  }
  ShowFunctionResult();
}

void CGroupView::OnMoveToPublic() {
  IOPCPublicGroupStateMgt* publicState = nullptr;
  if (!SelectedGroupInterface(&publicState)) return;
  functionResult_.functionName = "IOPCPublicGroupStateMgt::MoveToPublic";
  const HRESULT hr = publicState->MoveToPublic();
  functionResult_.returnCode = ResultCodeText(hr, session_);
  if (SUCCEEDED(hr)) {
    RefreshGroupTree();
    if (otherPane_ != nullptr) otherPane_->RefreshGroupTree();
  }
  ShowFunctionResult();
}
