#include <component/frame.h>

#include <cstdio>

namespace component {

void publishEntries(ComponentInitRecord& record, const ComponentEntries& entries, HostSlots& slots) {
  record.componentId = entries.componentId;
  record.exportFunctions = entries.exportFunctions;
  record.importFunctions = entries.importFunctions;
  record.getVersion = entries.getVersion;
  record.hookEntry = entries.hookEntry;
  record.extraEntry1 = &extraEntry1;
  record.extraEntry2 = &extraEntry2;

  slots.registerApiFunction = record.registerApiFunction;
  slots.registerApiFunctionEx = record.registerApiFunctionEx;
  slots.getApiFunction = record.getApiFunction;
  slots.hostReserved3 = record.hostReserved3;
  slots.hostReserved1 = record.hostReserved1;
  slots.hostNotify = record.hostNotify;
  slots.hostReserved2 = record.hostReserved2;
}

uint32_t extraEntry1(uintptr_t, uintptr_t, uintptr_t) { return kResultOk; }

uint32_t extraEntry2(uintptr_t, uintptr_t, uintptr_t) { return kResultNotImplemented; }

namespace {

// A missing registration slot counts as a refusal, so a host that offers no
// registration gets a failed export rather than a call through null.
bool registerOne(const HostSlots& slots, const ExportEntry& entry) {
  if (entry.registrar == Registrar::Extended) {
    return slots.registerApiFunctionEx != nullptr &&
           slots.registerApiFunctionEx(entry.name, entry.function, entry.libraryFlag,
                                       entry.signatureHash, entry.version) == 0;
  }
  return slots.registerApiFunction != nullptr &&
         slots.registerApiFunction(entry.name, entry.function, entry.libraryFlag, 0) == 0;
}

void logExportFailure(LogAddFunction log, uint32_t componentId, const char* name) {
  if (log == nullptr) return;
  // Function names are short identifiers; a longer one is cut rather than
  // overrunning the buffer, and the text still ends in the closing part.
  char text[192];
  std::snprintf(text, sizeof text, "Export of ApiFunction [%.150s] failed\n", name);
  log(0, componentId, 4, 1, 0, text);
}

}  // namespace

uint32_t exportFunctions(const HostSlots& slots, std::span<const ExportEntry> table,
                         uint32_t componentId, LogAddFunction log) {
  for (const ExportEntry& entry : table) {
    if (registerOne(slots, entry)) continue;
    if (entry.libraryFlag == COMPONENT_API_FUNCTION) logExportFailure(log, componentId, entry.name);
    return kResultFailed;
  }
  return kResultOk;
}

uint32_t importFunctions(HostGetApiFunction getApiFunction, std::span<const HostImport> imports) {
  if (getApiFunction != nullptr) {
    for (const HostImport& import : imports) getApiFunction(import.name, import.slot, 0);
  }
  for (const HostImport& import : imports) {
    if (import.required && *import.slot == nullptr) return kResultFailed;
  }
  return kResultOk;
}

}  // namespace component
