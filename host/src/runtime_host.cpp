#include <host/runtime_host.h>

#include "host_functions.h"

#include <atomic>
#include <cstdlib>
#include <cstdio>
#include <dlfcn.h>

namespace host {

namespace {
std::atomic<RuntimeHost*> currentHost{nullptr};
}  // namespace

// --- LoadedComponent ---------------------------------------------------------

LoadedComponent::~LoadedComponent() { unload(); }

uint32_t LoadedComponent::exportFunctions() {
  return record_.exportFunctions ? record_.exportFunctions() : 1;
}

uint32_t LoadedComponent::importFunctions() {
  return record_.importFunctions ? record_.importFunctions() : 1;
}

uint32_t LoadedComponent::getVersion() { return record_.getVersion ? record_.getVersion() : 0; }

uint32_t LoadedComponent::hook(uint32_t number, uintptr_t parameter1, uintptr_t parameter2) {
  return record_.hookEntry ? record_.hookEntry(number, parameter1, parameter2) : 1;
}

bool LoadedComponent::unload() {
  if (library_ == nullptr) return true;
  dlclose(library_);
  library_ = nullptr;
  record_ = ComponentInitRecord{};
  // RTLD_NOLOAD finds the library only if something still keeps it loaded.
  if (void* still = dlopen(path_.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
    dlclose(still);
    return false;
  }
  return true;
}

// --- RuntimeHost -------------------------------------------------------------

RuntimeHost::RuntimeHost() : memory_(*this), semaphores_(*this), events_(*this) {
  RuntimeHost* expected = nullptr;
  if (!currentHost.compare_exchange_strong(expected, this)) {
    std::fprintf(stderr, "RuntimeHost: only one host may exist at a time\n");
    std::abort();
  }
}

RuntimeHost::~RuntimeHost() {
  unloadAll();
  currentHost.store(nullptr);
}

RuntimeHost* RuntimeHost::current() { return currentHost.load(std::memory_order_acquire); }

LoadedComponent* RuntimeHost::load(const std::string& path, const RecordAdjuster& adjust) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* error = dlerror();
    std::lock_guard lock(mutex_);
    loadError_ = error ? error : "cannot load " + path;
    return nullptr;
  }
  auto entry = reinterpret_cast<ComponentEntryFunction>(dlsym(library, COMPONENT_ENTRY_NAME));
  if (entry == nullptr) {
    dlclose(library);
    std::lock_guard lock(mutex_);
    loadError_ = path + " has no " COMPONENT_ENTRY_NAME;
    return nullptr;
  }
  auto component = std::make_unique<LoadedComponent>(path, library);
  fillHostSlots(component->record_);
  if (adjust) adjust(component->record_);
  component->entryResult_ = entry(&component->record_);
  std::lock_guard lock(mutex_);
  loadError_.clear();
  components_.push_back(std::move(component));
  return components_.back().get();
}

LoadedComponent* RuntimeHost::start(const std::string& path) {
  LoadedComponent* component = load(path);
  if (component == nullptr) return nullptr;
  std::string failure;
  if (component->entryResult() != 0) {
    failure = "ComponentEntry failed";
  } else if (component->exportFunctions() != 0) {
    failure = "exportFunctions failed";
  } else if (component->importFunctions() != 0) {
    failure = "importFunctions failed";
  }
  if (failure.empty()) return component;
  std::lock_guard lock(mutex_);
  loadError_ = path + ": " + failure;
  return nullptr;
}

bool RuntimeHost::unloadAll() {
  std::vector<std::unique_ptr<LoadedComponent>> components;
  {
    std::lock_guard lock(mutex_);
    components.swap(components_);
    functions_.clear();
  }
  bool allGone = true;
  // Newest first, so that a library loaded later never outlives its loader.
  for (auto it = components.rbegin(); it != components.rend(); ++it) allGone = (*it)->unload() && allGone;
  return allGone;
}

const Registration* RuntimeHost::find(std::string_view name) const {
  std::lock_guard lock(mutex_);
  auto found = functions_.find(name);
  return found == functions_.end() ? nullptr : &found->second;
}

bool RuntimeHost::callWrapper(std::string_view name, void* parameters) const {
  const Registration* found = find(name);
  if (found == nullptr || found->libraryFlag != COMPONENT_LIBRARY_CALL) return false;
  reinterpret_cast<void (*)(void*)>(found->function)(parameters);
  return true;
}

std::vector<Registration> RuntimeHost::registrations() const {
  std::lock_guard lock(mutex_);
  return registrations_;
}

void RuntimeHost::refuseRegistration(uint64_t nth) {
  std::lock_guard lock(mutex_);
  refuseCountdown_ = nth;
}

uint32_t RuntimeHost::registerFunction(Registration registration) {
  std::lock_guard lock(mutex_);
  bool refused = refuseCountdown_ > 0 && --refuseCountdown_ == 0;
  // A second function under a name already taken is refused as well: the
  // host could not tell callers which one they bind.
  registration.accepted = !refused && functions_.count(registration.name) == 0;
  registrations_.push_back(registration);
  if (!registration.accepted) return 1;
  functions_.emplace(registration.name, std::move(registration));
  return 0;
}

void RuntimeHost::removeHostFunction(std::string_view name) {
  std::lock_guard lock(mutex_);
  removedHostFunctions_.emplace(name);
}

uint32_t RuntimeHost::getApiFunction(const char* name, ComponentFunction* slot) {
  std::lock_guard lock(mutex_);
  requestedHostFunctions_.emplace_back(name);
  ComponentFunction function = removedHostFunctions_.count(name) ? nullptr : lookupHostFunction(name);
  *slot = function;
  return function ? 0 : 1;
}

std::vector<std::string> RuntimeHost::requestedHostFunctions() const {
  std::lock_guard lock(mutex_);
  return requestedHostFunctions_;
}

uint32_t RuntimeHost::notify(uint32_t first, uint32_t second) {
  std::lock_guard lock(mutex_);
  notifications_.emplace_back(first, second);
  return 0;
}

std::vector<std::pair<uint32_t, uint32_t>> RuntimeHost::notifications() const {
  std::lock_guard lock(mutex_);
  return notifications_;
}

uint32_t RuntimeHost::logAdd(LogEntry entry) {
  std::lock_guard lock(mutex_);
  log_.push_back(std::move(entry));
  return 0;
}

std::vector<LogEntry> RuntimeHost::logEntries() const {
  std::lock_guard lock(mutex_);
  return log_;
}

std::vector<std::string> RuntimeHost::violations() const {
  std::lock_guard lock(mutex_);
  return violations_;
}

void RuntimeHost::recordViolation(std::string what) {
  std::lock_guard lock(mutex_);
  violations_.push_back(std::move(what));
}

}  // namespace host
