#include "shutdown_connection.h"

#include <new>

namespace sample {

HRESULT ShutdownSinks::advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (sink == nullptr) return E_POINTER;
  com::Ptr<IOPCShutdown> typed;
  if (FAILED(sink->QueryInterface(IID_IOPCShutdown, typed.putVoid())) || !typed) return CONNECT_E_CANNOTCONNECT;
  try {
    std::lock_guard lock(mutex_);
    if (++lastCookie_ == 0) ++lastCookie_;  // 0 means "no connection" to clients
    connections_.push_back({std::move(typed), lastCookie_});
    *cookie = lastCookie_;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT ShutdownSinks::unadvise(DWORD cookie) {
  com::Ptr<IOPCShutdown> leaving;  // released after the lock: the sink may call back
  std::lock_guard lock(mutex_);
  for (auto it = connections_.begin(); it != connections_.end(); ++it) {
    if (it->cookie == cookie) {
      leaving = std::move(it->sink);
      connections_.erase(it);
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

std::vector<com::StoredConnection> ShutdownSinks::connections() const {
  std::vector<com::StoredConnection> all;
  std::lock_guard lock(mutex_);
  all.reserve(connections_.size());
  for (const auto& connection : connections_) {
    all.push_back({com::Ptr<IUnknown>(connection.sink.get()), connection.cookie});
  }
  return all;
}

void ShutdownSinks::notify(LPCWSTR reason) const {
  std::vector<com::Ptr<IOPCShutdown>> sinks;
  {
    std::lock_guard lock(mutex_);
    for (const auto& connection : connections_) sinks.push_back(connection.sink);
  }
  for (const auto& sink : sinks) sink->ShutdownRequest(reason);
}

void ShutdownSinks::clear() {
  std::vector<Connection> leaving;
  {
    std::lock_guard lock(mutex_);
    leaving.swap(connections_);
  }
}

HRESULT ShutdownConnectionPoint::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IConnectionPoint)) return E_NOINTERFACE;
  *object = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

HRESULT ShutdownConnectionPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = IID_IOPCShutdown;
  return S_OK;
}

HRESULT ShutdownConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (container == nullptr) return E_POINTER;
  container_.AddRef();
  *container = &container_;
  return S_OK;
}

HRESULT ShutdownConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (connections == nullptr) return E_POINTER;
  *connections = nullptr;
  try {
    return com::EnumConnections::create(sinks_.connections(), connections);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace sample
