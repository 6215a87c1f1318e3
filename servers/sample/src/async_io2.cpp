// IOPCAsyncIO2 of a group (OPC DA 2.0). A request is checked and queued
// here with the client's transaction ID and a cancel ID of the server's;
// the update thread answers it through the group's IOPCDataCallback:
// reads (always from the device) with OnReadComplete, writes with
// OnWriteComplete, refreshes with OnDataChange, and a request that Cancel2
// stopped with OnCancelComplete. Every request that was queued gets exactly
// one of these, unless the callback is unadvised or the group removed
// first.
//
// Items that fail the checks here are left out of the request; when none is
// left, the call returns S_FALSE with cancel ID 0 and no callback follows.

#include "group.h"
#include "opc/opcerror.h"
#include "task_memory.h"

namespace sample {

void Group::queueForCallback(AsyncRequest&& request, DWORD* cancelId) {
  request.viaCallback = true;
  request.cancelId = state_->server->newTransactionId();
  *cancelId = request.cancelId;
  state_->pending.push_back(std::move(request));
  state_->server->signal.notify();
}

HRESULT Group::Read(DWORD dwCount, OPCHANDLE* phServer, DWORD dwTransactionID, DWORD* pdwCancelID,
                    HRESULT** ppErrors) {
  if (pdwCancelID == nullptr || ppErrors == nullptr) return E_INVALIDARG;
  *pdwCancelID = 0;
  *ppErrors = nullptr;
  if (dwCount == 0 || phServer == nullptr) return E_INVALIDARG;
  if (!attached()) return E_FAIL;
  return guarded([&] {
    TaskBlock<HRESULT> errors = makeTaskArray<HRESULT>(dwCount);
    if (!errors) return E_OUTOFMEMORY;
    std::lock_guard lock(state_->mutex);
    if (!state_->callback) return CONNECT_E_NOCONNECTION;
    AsyncRequest request;
    request.kind = AsyncRequest::Kind::Read;
    request.transactionId = dwTransactionID;
    request.source = OPC_DS_DEVICE;
    const bool allGood = admitAsyncItems(dwCount, phServer, nullptr, errors.get(), request);
    if (!request.handles.empty()) queueForCallback(std::move(request), pdwCancelID);
    *ppErrors = errors.release();
    return allGood ? S_OK : S_FALSE;
  });
}

HRESULT Group::Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, DWORD dwTransactionID,
                     DWORD* pdwCancelID, HRESULT** ppErrors) {
  if (pdwCancelID == nullptr || ppErrors == nullptr) return E_INVALIDARG;
  *pdwCancelID = 0;
  *ppErrors = nullptr;
  if (dwCount == 0 || phServer == nullptr || pItemValues == nullptr) return E_INVALIDARG;
  if (!attached()) return E_FAIL;
  return guarded([&] {
    TaskBlock<HRESULT> errors = makeTaskArray<HRESULT>(dwCount);
    if (!errors) return E_OUTOFMEMORY;
    std::lock_guard lock(state_->mutex);
    if (!state_->callback) return CONNECT_E_NOCONNECTION;
    AsyncRequest request;
    request.kind = AsyncRequest::Kind::Write;
    request.transactionId = dwTransactionID;
    const bool allGood = admitAsyncItems(dwCount, phServer, pItemValues, errors.get(), request);
    if (!request.handles.empty()) queueForCallback(std::move(request), pdwCancelID);
    *ppErrors = errors.release();
    return allGood ? S_OK : S_FALSE;
  });
}

HRESULT Group::Refresh2(OPCDATASOURCE dwSource, DWORD dwTransactionID, DWORD* pdwCancelID) {
  if (pdwCancelID == nullptr) return E_INVALIDARG;
  *pdwCancelID = 0;
  if (dwSource != OPC_DS_CACHE && dwSource != OPC_DS_DEVICE) return E_INVALIDARG;
  if (!attached()) return E_FAIL;
  return guarded([&] {
    std::lock_guard lock(state_->mutex);
    if (!state_->callback) return CONNECT_E_NOCONNECTION;
    // A refresh sends the active items of an active group; with none there
    // is nothing to send.
    bool anyActive = false;
    state_->items.forEach([&](const GroupItem& item) { anyActive = anyActive || item.active; });
    if (!state_->settings.active || !anyActive) return E_FAIL;
    AsyncRequest request;
    request.kind = AsyncRequest::Kind::Refresh;
    request.transactionId = dwTransactionID;
    request.source = dwSource;
    queueForCallback(std::move(request), pdwCancelID);
    return S_OK;
  });
}

HRESULT Group::Cancel2(DWORD dwCancelID) {
  if (!attached()) return E_FAIL;
  std::lock_guard lock(state_->mutex);
  for (auto& request : state_->pending) {
    if (request.viaCallback && request.cancelId == dwCancelID && request.kind != AsyncRequest::Kind::Cancelled) {
      // The request stays in line, so that OnCancelComplete comes from the
      // update thread like every other answer; its items and values go now.
      request.kind = AsyncRequest::Kind::Cancelled;
      request.handles.clear();
      request.values.clear();
      state_->server->signal.notify();
      return S_OK;
    }
  }
  return E_FAIL;  // unknown, or already answered
}

HRESULT Group::SetEnable(BOOL bEnable) {
  if (!attached()) return E_FAIL;
  {
    std::lock_guard lock(state_->mutex);
    if (!state_->callback) return CONNECT_E_NOCONNECTION;
    state_->callbackEnabled = bEnable != FALSE;
    // Values that changed while the flag was off come at the next update:
    // the subscription only records what it has sent.
    if (bEnable) state_->server->signal.notify();
  }
  // A data change gathered before the flag went off has arrived by the
  // time the call returns.
  if (!bEnable) state_->waitForCallbacks();
  return S_OK;
}

HRESULT Group::GetEnable(BOOL* pbEnable) {
  if (pbEnable == nullptr) return E_INVALIDARG;
  if (!attached()) return E_FAIL;
  std::lock_guard lock(state_->mutex);
  if (!state_->callback) return CONNECT_E_NOCONNECTION;
  *pbEnable = state_->callbackEnabled ? TRUE : FALSE;
  return S_OK;
}

}  // namespace sample
