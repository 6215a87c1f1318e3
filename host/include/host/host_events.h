#pragma once

// Application events: components open them by id and register callbacks that
// a test (or a demo host) fires with an event parameter of its choosing.

#include <component/host_api.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace host {

class RuntimeHost;

class HostEvents {
 public:
  explicit HostEvents(RuntimeHost& host) : host_(host) {}

  uintptr_t open(uint32_t eventId, uint32_t count, uint32_t* result);
  uint32_t close(uintptr_t handle);
  uint32_t registerCallback(uintptr_t handle, HostEventCallback callback, uint32_t reserved);
  uint32_t unregisterCallback(uintptr_t handle, HostEventCallback callback);

  // Opening this id fails from now on (refuse) or succeeds again (accept).
  void refuse(uint32_t eventId);
  void accept(uint32_t eventId);

  // Calls every callback registered on an open event of this id, outside the
  // host's lock (a callback may close events), and returns how many ran.
  // A callback unregistered while a firing is under way may still run once.
  int fire(uint32_t eventId, HostEventParameter* parameter);

  int openCount() const;
  int openCount(uint32_t eventId) const;
  int callbackCount() const;
  // Every id a component asked to open, refused ones included, in order.
  std::vector<uint32_t> openRequests() const;

 private:
  struct OpenEvent {
    uint32_t id;
    std::vector<HostEventCallback> callbacks;
  };
  RuntimeHost& host_;
  mutable std::mutex mutex_;
  std::map<uintptr_t, OpenEvent> open_;
  std::set<uint32_t> refused_;
  std::vector<uint32_t> requests_;
  uintptr_t nextHandle_ = 1;
};

}  // namespace host
