// A small component on the shared frame: two wrappers and two API functions,
// one required and two optional host functions. The host's loader tests use it.

#include <component/export.h>
#include <component/frame.h>

namespace {

component::HostSlots hostSlots;
component::HostFunction<void*(const char*, uint32_t, uint32_t*)> sysMemAllocData;
component::HostFunction<uint32_t(uintptr_t, uint32_t, uint32_t, uint32_t, uint32_t, const char*)> logAdd;
component::HostFunction<uint32_t()> sysIntEnableAll;

constexpr uint32_t kProbeId = 0x7777;

struct AddParameters {
  uint32_t left;
  uint32_t right;
  uint32_t sum;
};

uint32_t ProbeAdd(uint32_t left, uint32_t right) { return left + right; }
uint32_t ProbeBound() { return sysMemAllocData.bound() ? 1 : 0; }
void probeadd(AddParameters* parameters) { parameters->sum = ProbeAdd(parameters->left, parameters->right); }
void probebound(uint32_t* result) { *result = ProbeBound(); }

const component::ExportEntry kExports[] = {
    {"probeadd", component::asComponentFunction(&probeadd), COMPONENT_LIBRARY_CALL,
     component::Registrar::Extended, 0x1234, 0x03040000},
    {"probebound", component::asComponentFunction(&probebound), COMPONENT_LIBRARY_CALL,
     component::Registrar::Plain, 0, 0},
    {"ProbeAdd", component::asComponentFunction(&ProbeAdd), COMPONENT_API_FUNCTION,
     component::Registrar::Plain, 0, 0},
    {"ProbeBound", component::asComponentFunction(&ProbeBound), COMPONENT_API_FUNCTION,
     component::Registrar::Plain, 0, 0},
};

uint32_t exportFunctions() {
  return component::exportFunctions(hostSlots, kExports, kProbeId, logAdd.get());
}

uint32_t importFunctions() {
  const component::HostImport imports[] = {
      {"LogAdd", logAdd.slot(), false},
      {"SysMemAllocData", sysMemAllocData.slot(), true},
      {"SysIntEnableAll", sysIntEnableAll.slot(), false},
  };
  return component::importFunctions(hostSlots.getApiFunction, imports);
}

uint32_t getVersion() { return 0x01020304; }

uint32_t hookEntry(uint32_t hook, uintptr_t, uintptr_t) { return hook; }

}  // namespace

COMPONENT_EXPORT uint32_t ComponentEntry(ComponentInitRecord* record) {
  if (record == nullptr) return 1;
  component::publishEntries(*record, {kProbeId, &exportFunctions, &importFunctions, &getVersion, &hookEntry},
                            hostSlots);
  return 0;
}
