// "Set State" of the group pop-up: reads the group's state, lets the user
// edit it and sets it.

#include "dialogs/group_state_dialog.h"
#include "result/result_code_text.h"
#include "session/server_session.h"
#include "workspace/group_state.h"
#include "workspace/group_view.h"
#include "workspace/line_format.h"

void CGroupView::OnSetState() {
  IOPCGroupStateMgt* state = nullptr;
  if (!SelectedGroupInterface(&state)) return;
  functionResult_.functionName = "IOPCGroupStateMgt::GetState";
  GroupState current;
  HRESULT hr = ReadGroupState(state, *session_, current);
  if (FAILED(hr)) {
    functionResult_.returnCode = ResultCodeText(hr, session_);
    ShowFunctionResult();
    return;
  }

  CGroupStateDialog dialog(current.updateRate, current.active != FALSE, current.timeBias, current.deadband,
                           current.locale, current.clientGroup, this);
  if (dialog.DoModal() != gui::IDOK) {
    // The read is not shown either.
    functionResult_ = FunctionResult{};
    return;
  }
  functionResult_.functionName = "IOPCGroupStateMgt::SetState";
  DWORD requestedRate = dialog.requestedUpdateRate;
  DWORD revisedRate = 0;
  BOOL newActive = dialog.active ? TRUE : FALSE;
  LONG newTimeBias = dialog.timeBias;
  FLOAT newDeadband = dialog.percentDeadband;
  LCID newLocale = dialog.locale;
  OPCHANDLE newClientGroup = dialog.clientHandle;
  hr = state->SetState(&requestedRate, &revisedRate, &newActive, &newTimeBias, &newDeadband, &newLocale,
                       &newClientGroup);
  functionResult_.returnCode = ResultCodeText(hr, session_);
  if (SUCCEEDED(hr)) {
    functionResult_.lines.push_back(
        workspace::LineFormat("Revised UpdateRate : %lu", static_cast<unsigned long>(revisedRate)));
  }
  ShowFunctionResult();
}
