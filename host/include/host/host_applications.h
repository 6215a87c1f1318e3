#pragma once

// The applications the host runs (records with names and code areas) and the
// call into the control program.

#include <component/host_api.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace host {

// How the stand-in runs a control-program function when no handler is set:
// the function word is the address of a C function taking the parameter block.
using IecFunction = uint32_t (*)(void* parameters, uint32_t size);

struct IecCall {
  uintptr_t function;
  std::vector<uint8_t> parameters;
  uint32_t size;
};

class HostApplications {
 public:
  // Adds a running application (state 0) with that name and no code areas; the
  // record stays at its address until clear().
  HostApplication& add(const char* name);
  void clear();

  HostApplication* first() const;
  HostApplication* next(const HostApplication* application) const;

  using IecHandler = std::function<uint32_t(uintptr_t function, void* parameters, uint32_t size)>;
  void setIecHandler(IecHandler handler);
  uint32_t callIec(uintptr_t function, void* parameters, uint32_t size);
  std::vector<IecCall> iecCalls() const;

 private:
  mutable std::mutex mutex_;
  std::deque<HostApplication> applications_;
  IecHandler handler_;
  std::vector<IecCall> calls_;
};

}  // namespace host
