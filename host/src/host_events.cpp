#include <host/host_events.h>

#include <host/runtime_host.h>

#include <algorithm>

namespace host {

uintptr_t HostEvents::open(uint32_t eventId, uint32_t, uint32_t* result) {
  std::lock_guard lock(mutex_);
  requests_.push_back(eventId);
  if (refused_.count(eventId) != 0) {
    if (result) *result = 1;
    return HOST_INVALID_HANDLE;
  }
  uintptr_t handle = nextHandle_++;
  open_.emplace(handle, OpenEvent{eventId, {}});
  if (result) *result = 0;
  return handle;
}

uint32_t HostEvents::close(uintptr_t handle) {
  std::unique_lock lock(mutex_);
  if (open_.erase(handle) == 0) {
    lock.unlock();
    host_.recordViolation("closed an event that is not open");
    return 1;
  }
  return 0;
}

uint32_t HostEvents::registerCallback(uintptr_t handle, HostEventCallback callback, uint32_t) {
  std::unique_lock lock(mutex_);
  auto found = open_.find(handle);
  if (found == open_.end() || callback == nullptr) {
    lock.unlock();
    host_.recordViolation("registered a callback on an event that is not open");
    return 1;
  }
  found->second.callbacks.push_back(callback);
  return 0;
}

uint32_t HostEvents::unregisterCallback(uintptr_t handle, HostEventCallback callback) {
  std::unique_lock lock(mutex_);
  auto found = open_.find(handle);
  if (found != open_.end()) {
    auto& callbacks = found->second.callbacks;
    auto position = std::find(callbacks.begin(), callbacks.end(), callback);
    if (position != callbacks.end()) {
      callbacks.erase(position);
      return 0;
    }
  }
  lock.unlock();
  host_.recordViolation("unregistered a callback that is not registered");
  return 1;
}

void HostEvents::refuse(uint32_t eventId) {
  std::lock_guard lock(mutex_);
  refused_.insert(eventId);
}

void HostEvents::accept(uint32_t eventId) {
  std::lock_guard lock(mutex_);
  refused_.erase(eventId);
}

int HostEvents::fire(uint32_t eventId, HostEventParameter* parameter) {
  std::vector<HostEventCallback> callbacks;
  {
    std::lock_guard lock(mutex_);
    for (auto& [handle, event] : open_) {
      if (event.id == eventId) callbacks.insert(callbacks.end(), event.callbacks.begin(), event.callbacks.end());
    }
  }
  for (HostEventCallback callback : callbacks) callback(parameter);
  return static_cast<int>(callbacks.size());
}

int HostEvents::openCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(open_.size());
}

int HostEvents::openCount(uint32_t eventId) const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(std::count_if(open_.begin(), open_.end(),
                                        [eventId](const auto& entry) { return entry.second.id == eventId; }));
}

int HostEvents::callbackCount() const {
  std::lock_guard lock(mutex_);
  size_t count = 0;
  for (auto& [handle, event] : open_) count += event.callbacks.size();
  return static_cast<int>(count);
}

std::vector<uint32_t> HostEvents::openRequests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

}  // namespace host
