// IConnectionPointContainer of a group and its one connection point, where
// an OPC DA 2.0 client connects its IOPCDataCallback. The update thread
// then calls the callback with the group's data changes (while the enable
// flag of IOPCAsyncIO2 is on) and with the answers to IOPCAsyncIO2.
//
// A group takes one callback at a time, and either a callback or DA 1.0
// IDataObject advises, never both: the second kind is refused with
// CONNECT_E_ADVISELIMIT. The two kinds would share one subscription, so
// what one client was sent would decide what the other misses, and the
// enable flag would turn off one kind of update and not the other; a client
// uses one of the two anyway.

#include <algorithm>

#include "com/connection_point.h"
#include "group.h"
#include "task_memory.h"

namespace sample {

HRESULT Group::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points == nullptr) return E_POINTER;
  *points = nullptr;
  if (!attached()) return E_FAIL;
  return guarded([&] {
    std::vector<com::Ptr<IConnectionPoint>> all;
    all.emplace_back(&callbackPoint_);
    return com::EnumConnectionPoints::create(std::move(all), points);
  });
}

HRESULT Group::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  if (point == nullptr) return E_POINTER;
  *point = nullptr;
  if (!attached()) return E_FAIL;
  if (!IsEqualIID(riid, IID_IOPCDataCallback)) return CONNECT_E_NOCONNECTION;
  callbackPoint_.AddRef();
  *point = &callbackPoint_;
  return S_OK;
}

HRESULT Group::CallbackPoint::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IConnectionPoint)) return E_NOINTERFACE;
  *object = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

ULONG Group::CallbackPoint::AddRef() { return static_cast<IConnectionPointContainer&>(group_).AddRef(); }
ULONG Group::CallbackPoint::Release() { return static_cast<IConnectionPointContainer&>(group_).Release(); }

HRESULT Group::CallbackPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = IID_IOPCDataCallback;
  return S_OK;
}

HRESULT Group::CallbackPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (container == nullptr) return E_POINTER;
  *container = &group_;
  AddRef();
  return S_OK;
}

HRESULT Group::CallbackPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (sink == nullptr) return E_POINTER;
  if (!group_.attached()) return E_FAIL;
  com::Ptr<IOPCDataCallback> callback;
  if (FAILED(sink->QueryInterface(IID_IOPCDataCallback, callback.putVoid())) || !callback) {
    return CONNECT_E_CANNOTCONNECT;
  }
  GroupState& state = *group_.state_;
  std::lock_guard lock(state.mutex);
  if (state.callback || !state.connections.empty()) return CONNECT_E_ADVISELIMIT;
  if (++state.lastCallbackCookie == 0) ++state.lastCallbackCookie;
  state.callback = std::move(callback);
  state.callbackCookie = state.lastCallbackCookie;
  *cookie = state.lastCallbackCookie;
  // A new callback gets every active item at the next update.
  state.resendAll();
  return S_OK;
}

HRESULT Group::CallbackPoint::Unadvise(DWORD cookie) {
  if (!group_.attached()) return E_FAIL;
  GroupState& state = *group_.state_;
  com::Ptr<IOPCDataCallback> leaving;  // released after the lock: the sink may call back
  {
    std::lock_guard lock(state.mutex);
    if (!state.callback || cookie != state.callbackCookie.load()) return CONNECT_E_NOCONNECTION;
    leaving = std::move(state.callback);
    state.callbackCookie = 0;
    // The answers still waiting were meant for this callback; a later one
    // must not get them.
    std::erase_if(state.pending, [](const AsyncRequest& request) { return request.viaCallback; });
  }
  state.waitForCallbacks();
  return S_OK;
}

HRESULT Group::CallbackPoint::EnumConnections(IEnumConnections** connections) {
  if (connections == nullptr) return E_POINTER;
  *connections = nullptr;
  if (!group_.attached()) return E_FAIL;
  return guarded([&] {
    std::vector<com::StoredConnection> all;
    {
      GroupState& state = *group_.state_;
      std::lock_guard lock(state.mutex);
      if (state.callback) all.push_back({com::Ptr<IUnknown>(state.callback.get()), state.callbackCookie.load()});
    }
    return com::EnumConnections::create(std::move(all), connections);
  });
}

}  // namespace sample
