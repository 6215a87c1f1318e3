#pragma once

// The frame every plug-in component is built on: publishing its entries into
// the host's ComponentInitRecord, keeping the host's slots, registering its
// functions by name and binding host functions by name.

#include <component/host_api.h>
#include <component/init_record.h>

#include <cstdint>
#include <span>

namespace component {

inline constexpr uint32_t kResultOk = 0;
inline constexpr uint32_t kResultFailed = 1;
inline constexpr uint32_t kResultNotImplemented = 12;

// The component's own entries, written into the host's record.
struct ComponentEntries {
  uint32_t componentId;
  ComponentExportFunctions exportFunctions;
  ComponentImportFunctions importFunctions;
  ComponentGetVersion getVersion;
  ComponentHookEntry hookEntry;
};

// The host's slots of the record. A component keeps one module-wide instance,
// written once by ComponentEntry and only read afterwards.
struct HostSlots {
  HostRegisterApiFunction registerApiFunction = nullptr;
  HostRegisterApiFunctionEx registerApiFunctionEx = nullptr;
  HostGetApiFunction getApiFunction = nullptr;
  ComponentFunction hostReserved3 = nullptr;
  ComponentFunction hostReserved1 = nullptr;
  HostNotify hostNotify = nullptr;
  ComponentFunction hostReserved2 = nullptr;
};

// Writes the identity and the entries (in the order the host expects) and
// copies the host's slots into `slots`.
void publishEntries(ComponentInitRecord& record, const ComponentEntries& entries, HostSlots& slots);

// The two spare entries every component publishes: they ignore their
// arguments; the first succeeds, the second reports "not implemented".
uint32_t extraEntry1(uintptr_t, uintptr_t, uintptr_t);
uint32_t extraEntry2(uintptr_t, uintptr_t, uintptr_t);

// Which host slot registers a function.
enum class Registrar : uint8_t { Plain, Extended };

// One function a component registers. Plain registrations pass 0 as the
// fourth argument; extended ones pass the signature hash and the version.
struct ExportEntry {
  const char* name;
  ComponentFunction function;
  uint32_t libraryFlag;  // COMPONENT_LIBRARY_CALL or COMPONENT_API_FUNCTION
  Registrar registrar;
  uint32_t signatureHash;
  uint32_t version;
};

// Registers `table` in order and stops at the first refusal with kResultFailed.
// A refused library-call wrapper ends the procedure silently; a refused API
// function is logged once through `log` (when bound) as
// "Export of ApiFunction [<name>] failed\n".
uint32_t exportFunctions(const HostSlots& slots, std::span<const ExportEntry> table,
                         uint32_t componentId, LogAddFunction log);

// One host function a component binds by name.
struct HostImport {
  const char* name;
  ComponentFunction* slot;
  bool required;
};

// Asks the host for every name in order (ignoring each call's result) and
// succeeds when every required slot ended up bound. Without a getApiFunction
// slot nothing can be bound, so any required import fails.
uint32_t importFunctions(HostGetApiFunction getApiFunction, std::span<const HostImport> imports);

// A host function bound by name: null until bound, called with its real type.
template <typename Signature>
class HostFunction;

template <typename Result, typename... Arguments>
class HostFunction<Result(Arguments...)> {
 public:
  using Pointer = Result (*)(Arguments...);

  constexpr HostFunction() = default;

  constexpr ComponentFunction* slot() { return &address_; }
  bool bound() const { return address_ != nullptr; }
  Pointer get() const { return reinterpret_cast<Pointer>(address_); }
  Result operator()(Arguments... arguments) const {
    return get()(arguments...);
  }

 private:
  ComponentFunction address_ = nullptr;
};

// Converts any function pointer to the generic form the host stores.
template <typename Function>
ComponentFunction asComponentFunction(Function* function) {
  return reinterpret_cast<ComponentFunction>(function);
}

}  // namespace component
