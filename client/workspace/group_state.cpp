#include "workspace/group_state.h"

#include "format/wide_text.h"
#include "workspace/task_memory.h"

HRESULT ReadGroupState(IOPCGroupStateMgt* group, const CServerSession& session, GroupState& state) {
  LPWSTR name = nullptr;
  const HRESULT hr = group->GetState(&state.updateRate, &state.active, &name, &state.timeBias, &state.deadband,
                                     &state.locale, &state.clientGroup, &state.serverGroup);
  if (SUCCEEDED(hr)) state.name = format::WideToText(name);
  FreeTaskMemory(session, name);
  return hr;
}
