#pragma once

// Connection points for objects built on com::Object.
//
//   class Server : public com::Object<Server, IOPCServer, com::ConnectionPointContainer> {
//     com::ConnectionPoint<IOPCShutdown> shutdown_{*this};
//     void notify(LPCWSTR reason) {
//       for (auto& sink : shutdown_.sinks()) sink->ShutdownRequest(reason);
//     }
//   };
//
// com::ConnectionPointContainer implements IConnectionPointContainer over the
// connection points that register with it; list it among the object's
// interfaces. A com::ConnectionPoint<Sink> is a member of the object: it
// shares the object's lifetime (its AddRef and Release are the object's), so
// an IConnectionPoint a client holds keeps the whole object alive and no
// reference cycle forms. Advise, Unadvise and EnumConnections may run on any
// thread; sinks() takes a snapshot of the connected sinks, with a reference
// each, under the point's lock, so the owner calls them without holding it.
// A sink that is unadvised while a snapshot is being called may receive that
// one last call.

#include <mutex>
#include <utility>
#include <vector>

#include "com/enumerator.h"
#include "com/interfaces/connection_points.h"
#include "com/object.h"

namespace com {

template <class Sink>
class ConnectionPoint;

class ConnectionPointContainer : public IConnectionPointContainer {
 public:
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

 protected:
  ConnectionPointContainer() = default;
  ~ConnectionPointContainer() = default;

 private:
  template <class Sink>
  friend class ConnectionPoint;

  struct Entry {
    IID sinkIid;
    IConnectionPoint* point;
  };
  // Filled while the owner is constructed and fixed afterwards, so it needs
  // no lock.
  std::vector<Entry> points_;
};

// One connection as IEnumConnections hands it out.
struct StoredConnection {
  Ptr<IUnknown> sink;
  DWORD cookie = 0;
};

struct ConnectDataCopy {
  using Stored = StoredConnection;
  using Out = CONNECTDATA;
  static bool copy(const Stored& from, Out* to) {
    from.sink.copyTo(&to->pUnk);
    to->dwCookie = from.cookie;
    return true;
  }
  static void destroy(Out* item) {
    if (item->pUnk != nullptr) item->pUnk->Release();
    item->pUnk = nullptr;
  }
};

using EnumConnections = Enumerator<IEnumConnections, ConnectDataCopy>;
using EnumConnectionPoints = Enumerator<IEnumConnectionPoints, InterfaceCopy<IConnectionPoint>>;

template <class Sink>
class ConnectionPoint final : public IConnectionPoint {
 public:
  explicit ConnectionPoint(ConnectionPointContainer& container) : container_(container) {
    container.points_.push_back({iidOf<Sink>(), this});
  }
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;
  ~ConnectionPoint() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IConnectionPoint)) return E_NOINTERFACE;
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return container_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return container_.Release(); }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    if (iid == nullptr) return E_POINTER;
    *iid = iidOf<Sink>();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override {
    if (container == nullptr) return E_POINTER;
    container_.AddRef();
    *container = &container_;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
    if (cookie == nullptr) return E_POINTER;
    *cookie = 0;
    if (sink == nullptr) return E_POINTER;
    Ptr<Sink> typed;
    if (FAILED(sink->QueryInterface(iidOf<Sink>(), typed.putVoid())) || !typed) {
      return CONNECT_E_CANNOTCONNECT;
    }
    try {
      std::lock_guard lock(mutex_);
      if (++lastCookie_ == 0) ++lastCookie_;  // 0 means "no connection" to callers
      connections_.push_back({std::move(typed), lastCookie_});
      *cookie = lastCookie_;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    Ptr<Sink> leaving;  // released after the lock is let go: the sink may call back
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

  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override {
    if (connections == nullptr) return E_POINTER;
    *connections = nullptr;
    try {
      std::vector<StoredConnection> snapshot;
      {
        std::lock_guard lock(mutex_);
        snapshot.reserve(connections_.size());
        for (const auto& connection : connections_) {
          snapshot.push_back({Ptr<IUnknown>(connection.sink.get()), connection.cookie});
        }
      }
      return EnumConnections::create(std::move(snapshot), connections);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

  // The sinks connected now, each with a reference, in the order they were
  // advised. Empty when memory runs out.
  std::vector<Ptr<Sink>> sinks() const {
    std::vector<Ptr<Sink>> snapshot;
    try {
      std::lock_guard lock(mutex_);
      snapshot.reserve(connections_.size());
      for (const auto& connection : connections_) snapshot.push_back(connection.sink);
    } catch (const std::bad_alloc&) {
      snapshot.clear();
    }
    return snapshot;
  }

  size_t connectionCount() const {
    std::lock_guard lock(mutex_);
    return connections_.size();
  }

 private:
  struct Connection {
    Ptr<Sink> sink;
    DWORD cookie;
  };

  ConnectionPointContainer& container_;
  mutable std::mutex mutex_;
  std::vector<Connection> connections_;  // guarded by mutex_
  DWORD lastCookie_ = 0;                 // guarded by mutex_
};

inline HRESULT ConnectionPointContainer::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points == nullptr) return E_POINTER;
  *points = nullptr;
  try {
    std::vector<Ptr<IConnectionPoint>> all;
    all.reserve(points_.size());
    for (const auto& entry : points_) all.emplace_back(entry.point);
    return EnumConnectionPoints::create(std::move(all), points);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

inline HRESULT ConnectionPointContainer::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  if (point == nullptr) return E_POINTER;
  *point = nullptr;
  for (const auto& entry : points_) {
    if (IsEqualIID(entry.sinkIid, riid)) {
      entry.point->AddRef();
      *point = entry.point;
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

}  // namespace com

template <>
struct com::InterfaceTraits<com::ConnectionPointContainer> {
  static constexpr const IID& iid = IID_IConnectionPointContainer;
  using Base = IUnknown;
  using Interface = IConnectionPointContainer;
};
