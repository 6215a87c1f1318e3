#include <host/host_applications.h>

#include <cstring>

namespace host {

HostApplication& HostApplications::add(const char* name) {
  std::lock_guard lock(mutex_);
  HostApplication& application = applications_.emplace_back();
  std::memset(&application, 0, sizeof application);
  std::strncpy(application.name, name, sizeof application.name - 1);
  return application;
}

void HostApplications::clear() {
  std::lock_guard lock(mutex_);
  applications_.clear();
}

HostApplication* HostApplications::first() const {
  std::lock_guard lock(mutex_);
  return applications_.empty() ? nullptr : const_cast<HostApplication*>(&applications_.front());
}

HostApplication* HostApplications::next(const HostApplication* application) const {
  std::lock_guard lock(mutex_);
  for (size_t index = 0; index + 1 < applications_.size(); ++index) {
    if (&applications_[index] == application) return const_cast<HostApplication*>(&applications_[index + 1]);
  }
  return nullptr;
}

void HostApplications::setIecHandler(IecHandler handler) {
  std::lock_guard lock(mutex_);
  handler_ = std::move(handler);
}

uint32_t HostApplications::callIec(uintptr_t function, void* parameters, uint32_t size) {
  IecHandler handler;
  {
    std::lock_guard lock(mutex_);
    auto* bytes = static_cast<const uint8_t*>(parameters);
    calls_.push_back(IecCall{function, std::vector<uint8_t>(bytes, bytes + (bytes ? size : 0)), size});
    handler = handler_;
  }
  // The control program's function runs without the host's lock: it may call
  // back into components that ask the host for applications again.
  if (handler) return handler(function, parameters, size);
  if (function == 0) return 1;
  return reinterpret_cast<IecFunction>(function)(parameters, size);
}

std::vector<IecCall> HostApplications::iecCalls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

}  // namespace host
