#pragma once

// The server's connection point for IOPCShutdown. The connected sinks live
// in a ShutdownSinks list of the server core rather than in the server
// object, so that the update thread can call them whatever happens to the
// server object meanwhile; the connection point object itself is part of
// the server object (its AddRef and Release are the server's).

#include <mutex>
#include <vector>

#include "com/connection_point.h"
#include "com/ptr.h"
#include "opc/common.h"

namespace sample {

class ShutdownSinks {
 public:
  HRESULT advise(IUnknown* sink, DWORD* cookie);
  HRESULT unadvise(DWORD cookie);
  std::vector<com::StoredConnection> connections() const;
  // Calls every sink connected now, without holding the list's lock, so a
  // sink may unadvise (or release the server) from inside the call.
  void notify(LPCWSTR reason) const;
  // Lets every sink go (the server is going away).
  void clear();

 private:
  struct Connection {
    com::Ptr<IOPCShutdown> sink;
    DWORD cookie;
  };
  mutable std::mutex mutex_;
  std::vector<Connection> connections_;  // guarded by mutex_
  DWORD lastCookie_ = 0;                 // guarded by mutex_
};

class ShutdownConnectionPoint final : public IConnectionPoint {
 public:
  ShutdownConnectionPoint(IConnectionPointContainer& container, ShutdownSinks& sinks)
      : container_(container), sinks_(sinks) {}
  ShutdownConnectionPoint(const ShutdownConnectionPoint&) = delete;
  ShutdownConnectionPoint& operator=(const ShutdownConnectionPoint&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return container_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return container_.Release(); }
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override { return sinks_.advise(sink, cookie); }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override { return sinks_.unadvise(cookie); }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

 private:
  IConnectionPointContainer& container_;
  ShutdownSinks& sinks_;
};

}  // namespace sample
