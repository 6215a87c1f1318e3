#pragma once

// Connection points for objects built on com::Object.
//
//   class Server : public com::Object<Server, IOPCServer, com::ConnectionPointContainer> {
//     com::ConnectionPoint<IOPCShutdown> shutdown_{*this};
//     void notify(LPCWSTR reason) {
//       for (IOPCShutdown* sink : shutdown_.sinks()) sink->ShutdownRequest(reason);
//     }
//   };
//
// com::ConnectionPointContainer implements IConnectionPointContainer over the
// connection points that register with it; list it among the object's
// interfaces. A com::ConnectionPoint<Sink> is a member of the object: it
// shares the object's lifetime (its AddRef and Release are the object's), so
// an IConnectionPoint a client holds keeps the whole object alive and no
// reference cycle forms. Advise, Unadvise and EnumConnections may run on any
// thread; sinks() takes a snapshot of the connected sinks, which keeps each
// of them alive, so the owner calls them without holding the point's lock.
// A sink that is unadvised while a snapshot is being called may receive that
// one last call.

#include <algorithm>
#include <memory>
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
  struct Connection {
    Ptr<Sink> sink;
    DWORD cookie;
  };
  using Connections = std::vector<Connection>;

 public:
  // The sinks connected at one moment, in the order they were advised. It
  // holds a reference to every sink while it lives; iterating yields Sink*.
  class Snapshot {
   public:
    class iterator {
     public:
      explicit iterator(typename Connections::const_iterator at) : at_(at) {}
      Sink* operator*() const { return at_->sink.get(); }
      iterator& operator++() {
        ++at_;
        return *this;
      }
      bool operator==(const iterator& other) const { return at_ == other.at_; }

     private:
      typename Connections::const_iterator at_;
    };

    explicit Snapshot(std::shared_ptr<const Connections> connections) : connections_(std::move(connections)) {}
    iterator begin() const { return iterator(connections_->begin()); }
    iterator end() const { return iterator(connections_->end()); }
    size_t size() const { return connections_->size(); }
    bool empty() const { return connections_->empty(); }

   private:
    std::shared_ptr<const Connections> connections_;
  };

  explicit ConnectionPoint(ConnectionPointContainer& container)
      : container_(container), connections_(std::make_shared<const Connections>()) {
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
    std::shared_ptr<const Connections> previous;  // let go after the lock
    try {
      std::lock_guard lock(mutex_);
      auto updated = std::make_shared<Connections>(*connections_);
      if (++lastCookie_ == 0) ++lastCookie_;  // 0 means "no connection" to callers
      updated->push_back({std::move(typed), lastCookie_});
      previous = std::exchange(connections_, std::move(updated));
      *cookie = lastCookie_;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    // The old list, and with it the sink, is released after the lock is let
    // go: the sink's release may call back into this point.
    std::shared_ptr<const Connections> previous;
    try {
      std::lock_guard lock(mutex_);
      auto leaving = std::find_if(connections_->begin(), connections_->end(),
                                  [cookie](const Connection& connection) { return connection.cookie == cookie; });
      if (leaving == connections_->end()) return CONNECT_E_NOCONNECTION;
      auto updated = std::make_shared<Connections>();
      updated->reserve(connections_->size() - 1);
      for (auto it = connections_->begin(); it != connections_->end(); ++it) {
        if (it != leaving) updated->push_back(*it);
      }
      previous = std::exchange(connections_, std::move(updated));
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override {
    if (connections == nullptr) return E_POINTER;
    *connections = nullptr;
    try {
      std::vector<StoredConnection> listed;
      const auto current = snapshotList();
      listed.reserve(current->size());
      for (const auto& connection : *current) {
        listed.push_back({Ptr<IUnknown>(connection.sink.get()), connection.cookie});
      }
      return EnumConnections::create(std::move(listed), connections);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

  // The sinks connected now. Taking it costs one reference count, so an
  // owner may take one for every call it makes to its sinks.
  Snapshot sinks() const { return Snapshot(snapshotList()); }

  size_t connectionCount() const { return snapshotList()->size(); }

 private:
  std::shared_ptr<const Connections> snapshotList() const {
    std::lock_guard lock(mutex_);
    return connections_;
  }

  ConnectionPointContainer& container_;
  mutable std::mutex mutex_;
  // Replaced as a whole by Advise and Unadvise, never changed in place, so a
  // snapshot stays valid without the lock.
  std::shared_ptr<const Connections> connections_;  // guarded by mutex_
  DWORD lastCookie_ = 0;                            // guarded by mutex_
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
