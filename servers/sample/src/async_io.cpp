// IOPCAsyncIO of a group (OPC DA 1.0). A request is checked and queued
// here; the update thread answers it through the IDataObject connection the
// client named: reads and refreshes in that connection's data format,
// writes as "OPCSTMFORMATWRITECOMPLETE", each with the request's
// transaction ID.

#include "group.h"
#include "opc/opcerror.h"
#include "task_memory.h"

namespace sample {
namespace {

bool isDataConnection(const AdviseConnection* connection) {
  return connection != nullptr && connection->format != StreamFormat::WriteComplete;
}

}  // namespace

bool Group::admitAsyncItems(DWORD count, const OPCHANDLE* handles, const VARIANT* values, HRESULT* errors,
                            AsyncRequest& request) const {
  bool allGood = true;
  for (DWORD index = 0; index < count; ++index) {
    const GroupItem* item = state_->items.find(handles[index]);
    if (item == nullptr) {
      errors[index] = OPC_E_INVALIDHANDLE;
    } else if (values == nullptr ? !space().item(item->item).readable() : !space().item(item->item).writeable()) {
      errors[index] = OPC_E_BADRIGHTS;
    } else {
      errors[index] = S_OK;
      request.handles.push_back(handles[index]);
      if (values != nullptr) request.values.push_back(Variant::copyOf(values[index]));
    }
    allGood = allGood && errors[index] == S_OK;
  }
  return allGood;
}

HRESULT Group::Read(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer,
                    DWORD* pTransactionID, HRESULT** ppErrors) {
  if (pTransactionID == nullptr || ppErrors == nullptr) return E_INVALIDARG;
  *pTransactionID = 0;
  *ppErrors = nullptr;
  if (dwCount == 0 || phServer == nullptr) return E_INVALIDARG;
  if (dwSource != OPC_DS_CACHE && dwSource != OPC_DS_DEVICE) return E_INVALIDARG;
  if (!attached()) return E_FAIL;
  return guarded([&] {
    TaskBlock<HRESULT> errors = makeTaskArray<HRESULT>(dwCount);
    if (!errors) return E_OUTOFMEMORY;
    std::lock_guard lock(state_->mutex);
    if (!isDataConnection(state_->findConnection(dwConnection))) return CONNECT_E_NOCONNECTION;
    AsyncRequest request;
    request.kind = AsyncRequest::Kind::Read;
    request.connection = dwConnection;
    request.source = dwSource;
    const bool allGood = admitAsyncItems(dwCount, phServer, nullptr, errors.get(), request);
    if (!request.handles.empty()) {
      request.transactionId = state_->server->newTransactionId();
      *pTransactionID = request.transactionId;
      state_->pending.push_back(std::move(request));
      state_->server->signal.notify();
    }
    *ppErrors = errors.release();
    return allGood ? S_OK : S_FALSE;
  });
}

HRESULT Group::Write(DWORD dwConnection, DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues,
                     DWORD* pTransactionID, HRESULT** ppErrors) {
  if (pTransactionID == nullptr || ppErrors == nullptr) return E_INVALIDARG;
  *pTransactionID = 0;
  *ppErrors = nullptr;
  if (dwCount == 0 || phServer == nullptr || pItemValues == nullptr) return E_INVALIDARG;
  if (!attached()) return E_FAIL;
  return guarded([&] {
    TaskBlock<HRESULT> errors = makeTaskArray<HRESULT>(dwCount);
    if (!errors) return E_OUTOFMEMORY;
    std::lock_guard lock(state_->mutex);
    const AdviseConnection* connection = state_->findConnection(dwConnection);
    if (connection == nullptr || connection->format != StreamFormat::WriteComplete) return CONNECT_E_NOCONNECTION;
    AsyncRequest request;
    request.kind = AsyncRequest::Kind::Write;
    request.connection = dwConnection;
    const bool allGood = admitAsyncItems(dwCount, phServer, pItemValues, errors.get(), request);
    if (!request.handles.empty()) {
      request.transactionId = state_->server->newTransactionId();
      *pTransactionID = request.transactionId;
      state_->pending.push_back(std::move(request));
      state_->server->signal.notify();
    }
    *ppErrors = errors.release();
    return allGood ? S_OK : S_FALSE;
  });
}

HRESULT Group::Refresh(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD* pTransactionID) {
  if (pTransactionID == nullptr) return E_INVALIDARG;
  *pTransactionID = 0;
  if (dwSource != OPC_DS_CACHE && dwSource != OPC_DS_DEVICE) return E_INVALIDARG;
  if (!attached()) return E_FAIL;
  return guarded([&] {
    std::lock_guard lock(state_->mutex);
    if (!isDataConnection(state_->findConnection(dwConnection))) return CONNECT_E_NOCONNECTION;
    // A refresh sends the active items of an active group; with none there
    // is nothing to send.
    bool anyActive = false;
    state_->items.forEach([&](const GroupItem& item) { anyActive = anyActive || item.active; });
    if (!state_->settings.active || !anyActive) return E_FAIL;
    AsyncRequest request;
    request.kind = AsyncRequest::Kind::Refresh;
    request.connection = dwConnection;
    request.source = dwSource;
    request.transactionId = state_->server->newTransactionId();
    *pTransactionID = request.transactionId;
    state_->pending.push_back(std::move(request));
    state_->server->signal.notify();
    return S_OK;
  });
}

HRESULT Group::Cancel(DWORD dwTransactionID) {
  if (!attached()) return E_FAIL;
  std::lock_guard lock(state_->mutex);
  for (auto it = state_->pending.begin(); it != state_->pending.end(); ++it) {
    if (!it->viaCallback && it->transactionId == dwTransactionID) {
      state_->pending.erase(it);
      return S_OK;
    }
  }
  return E_FAIL;  // unknown, or already answered
}

}  // namespace sample
