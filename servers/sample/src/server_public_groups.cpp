// IOPCServerPublicGroups of the sample server. The server starts with one
// public group, "Public Simulation"; private groups join it through
// IOPCPublicGroupStateMgt::MoveToPublic.

#include "server.h"
#include "server_core.h"
#include "task_memory.h"

namespace sample {

HRESULT SampleServer::GetPublicGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) {
  return groupByName(szName, true, riid, ppUnk);
}

HRESULT SampleServer::RemovePublicGroup(OPCHANDLE hServerGroup, BOOL bForce) {
  return guarded([&] { return core_->removeGroup(hServerGroup, bForce != FALSE, true); });
}

}  // namespace sample
