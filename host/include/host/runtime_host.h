#pragma once

// A runtime host for plug-in components, for tests and demos: it loads a
// component library, runs its entry, keeps the functions the component
// registers by name, offers the host services a component binds by name, and
// can be told to fail in the ways a real host may.
//
// The host services are plain C functions without a context argument, so one
// RuntimeHost at a time is the process's host ("current"); its constructor
// installs it and its destructor unloads every component and removes it.

#include <component/init_record.h>
#include <host/host_applications.h>
#include <host/host_events.h>
#include <host/host_memory.h>
#include <host/host_semaphores.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace host {

// One registration call of a component, accepted or refused.
struct Registration {
  std::string name;
  ComponentFunction function = nullptr;
  uint32_t libraryFlag = 0;
  bool extended = false;      // through registerApiFunctionEx
  uint32_t reserved = 0;      // fourth argument of a plain registration
  uint32_t signatureHash = 0; // extended registrations only
  uint32_t version = 0;       // extended registrations only
  bool accepted = false;
};

struct LogEntry {
  uintptr_t logger;
  uint32_t componentId;
  uint32_t logClass;
  uint32_t errorId;
  uint32_t infoId;
  std::string text;
};

// A component library the host has loaded, with the record it exchanged.
class LoadedComponent {
 public:
  LoadedComponent(std::string path, void* library) : path_(std::move(path)), library_(library) {}
  ~LoadedComponent();
  LoadedComponent(const LoadedComponent&) = delete;
  LoadedComponent& operator=(const LoadedComponent&) = delete;

  const std::string& path() const { return path_; }
  ComponentInitRecord& record() { return record_; }
  uint32_t entryResult() const { return entryResult_; }

  // Calls the component's entries from the record; 1 when the entry is null.
  uint32_t exportFunctions();
  uint32_t importFunctions();
  uint32_t getVersion();
  uint32_t hook(uint32_t number, uintptr_t parameter1 = 0, uintptr_t parameter2 = 0);

  // Closes the library; true when it has left the process.
  bool unload();

 private:
  friend class RuntimeHost;
  std::string path_;
  void* library_;
  ComponentInitRecord record_{};
  uint32_t entryResult_ = 0;
};

class RuntimeHost {
 public:
  RuntimeHost();
  ~RuntimeHost();
  RuntimeHost(const RuntimeHost&) = delete;
  RuntimeHost& operator=(const RuntimeHost&) = delete;

  static RuntimeHost* current();

  // --- loading -------------------------------------------------------------
  using RecordAdjuster = std::function<void(ComponentInitRecord&)>;
  // Loads the library, fills a record with the host's slots, lets `adjust`
  // change it (e.g. clear hostNotify) and runs ComponentEntry. Null on failure;
  // loadError() tells why.
  LoadedComponent* load(const std::string& path, const RecordAdjuster& adjust = {});
  // Loads, exports and imports; null unless all three succeed.
  LoadedComponent* start(const std::string& path);
  const std::string& loadError() const { return loadError_; }
  // Unloads every component; true when every library left the process.
  bool unloadAll();

  // --- the functions components registered ----------------------------------
  const Registration* find(std::string_view name) const;
  template <typename Function>
  Function function(std::string_view name) const {
    const Registration* found = find(name);
    return found ? reinterpret_cast<Function>(found->function) : nullptr;
  }
  // Calls a registered library-call wrapper with its parameter record; false
  // when no such wrapper is registered.
  bool callWrapper(std::string_view name, void* parameters) const;
  std::vector<Registration> registrations() const;
  // The nth registration call from now on is refused (1 = the next); 0 disarms.
  void refuseRegistration(uint64_t nth);

  // --- host functions bound by name ----------------------------------------
  void removeHostFunction(std::string_view name);
  std::vector<std::string> requestedHostFunctions() const;
  std::vector<std::pair<uint32_t, uint32_t>> notifications() const;
  std::vector<LogEntry> logEntries() const;

  HostMemory& memory() { return memory_; }
  HostSemaphores& semaphores() { return semaphores_; }
  HostEvents& events() { return events_; }
  HostApplications& applications() { return applications_; }

  // Breaches of the host's rules by a component, as readable sentences.
  std::vector<std::string> violations() const;
  void recordViolation(std::string what);

  // Entry points the host's C functions forward to.
  uint32_t registerFunction(Registration registration);
  uint32_t getApiFunction(const char* name, ComponentFunction* slot);
  uint32_t notify(uint32_t first, uint32_t second);
  uint32_t logAdd(LogEntry entry);

 private:
  HostMemory memory_;
  HostSemaphores semaphores_;
  HostEvents events_;
  HostApplications applications_;

  mutable std::mutex mutex_;  // guards everything below
  std::vector<std::unique_ptr<LoadedComponent>> components_;
  std::string loadError_;
  std::map<std::string, Registration, std::less<>> functions_;
  std::vector<Registration> registrations_;
  uint64_t refuseCountdown_ = 0;
  std::set<std::string, std::less<>> removedHostFunctions_;
  std::vector<std::string> requestedHostFunctions_;
  std::vector<std::pair<uint32_t, uint32_t>> notifications_;
  std::vector<LogEntry> log_;
  std::vector<std::string> violations_;
};

}  // namespace host
