// "Set State" of the group pop-up: reads the group's state, lets the user
// edit it and sets it.

#include "dialogs/group_state_dialog.h"
#include "result/result_code_text.h"
#include "session/server_session.h"
#include "workspace/group_view.h"
#include "workspace/line_format.h"
#include "workspace/task_memory.h"

void CGroupView::OnSetState() {
  IOPCGroupStateMgt* state = nullptr;
  if (!SelectedGroupInterface(&state)) return;
  functionResult_.functionName = "IOPCGroupStateMgt::GetState";
  DWORD updateRate = 0;
  BOOL active = FALSE;
  LPWSTR name = nullptr;
  LONG timeBias = 0;
  FLOAT deadband = 0;
  LCID locale = 0;
  OPCHANDLE clientGroup = 0;
  OPCHANDLE serverGroup = 0;
  HRESULT hr = state->GetState(&updateRate, &active, &name, &timeBias, &deadband, &locale, &clientGroup, &serverGroup);
  FreeTaskMemory(*session_, name);
  if (FAILED(hr)) {
    functionResult_.returnCode = ResultCodeText(hr, session_);
    ShowFunctionResult();
    return;
  }

  CGroupStateDialog dialog(updateRate, active != FALSE, timeBias, deadband, locale, clientGroup, this);
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
