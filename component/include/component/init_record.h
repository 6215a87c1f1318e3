#pragma once

// The record that the runtime host and a plug-in component exchange through the
// component's single exported entry, ComponentEntry. It is a plain C struct so
// that a 32-bit build reproduces the host's byte layout exactly: every entry is
// a pointer-width function address, the identity a 32-bit number.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// A function address as the host stores it. Callers convert it back to the
// function's real type before calling.
typedef void (*ComponentFunction)(void);

typedef uint32_t (*ComponentExportFunctions)(void);
typedef uint32_t (*ComponentImportFunctions)(void);
typedef uint32_t (*ComponentGetVersion)(void);
typedef uint32_t (*ComponentExtraEntry)(uintptr_t, uintptr_t, uintptr_t);
typedef uint32_t (*ComponentHookEntry)(uint32_t hook, uintptr_t parameter1, uintptr_t parameter2);

typedef uint32_t (*HostRegisterApiFunction)(const char* name, ComponentFunction function,
                                            uint32_t libraryFlag, uint32_t reserved);
typedef uint32_t (*HostRegisterApiFunctionEx)(const char* name, ComponentFunction function,
                                              uint32_t libraryFlag, uint32_t signatureHash,
                                              uint32_t version);
typedef uint32_t (*HostGetApiFunction)(const char* name, ComponentFunction* slot, uint32_t reserved);
typedef uint32_t (*HostNotify)(uint32_t first, uint32_t second);

typedef struct ComponentInitRecord {
  uint32_t componentId;
  ComponentExportFunctions exportFunctions;
  ComponentImportFunctions importFunctions;
  ComponentGetVersion getVersion;
  ComponentExtraEntry extraEntry1;
  ComponentExtraEntry extraEntry2;
  ComponentHookEntry hookEntry;
  HostRegisterApiFunction registerApiFunction;
  HostGetApiFunction getApiFunction;
  ComponentFunction hostReserved1;
  HostNotify hostNotify;
  ComponentFunction hostReserved2;
  HostRegisterApiFunctionEx registerApiFunctionEx;
  ComponentFunction hostReserved3;
} ComponentInitRecord;

// The one symbol a component library exports.
typedef uint32_t (*ComponentEntryFunction)(ComponentInitRecord* record);

#define COMPONENT_ENTRY_NAME "ComponentEntry"

// Library flag of a registration: a library-call wrapper taking one parameter
// record, or an API function for other components.
#define COMPONENT_LIBRARY_CALL 1u
#define COMPONENT_API_FUNCTION 0u

#ifdef __cplusplus
}  // extern "C"
#endif

#if defined(__cplusplus) && UINTPTR_MAX == 0xFFFFFFFFu
#include <cstddef>
// On a 32-bit target the record is fourteen 32-bit slots, as the host lays it out.
static_assert(sizeof(ComponentInitRecord) == 56);
static_assert(offsetof(ComponentInitRecord, exportFunctions) == 4);
static_assert(offsetof(ComponentInitRecord, hookEntry) == 24);
static_assert(offsetof(ComponentInitRecord, registerApiFunction) == 28);
static_assert(offsetof(ComponentInitRecord, getApiFunction) == 32);
static_assert(offsetof(ComponentInitRecord, hostNotify) == 40);
static_assert(offsetof(ComponentInitRecord, registerApiFunctionEx) == 48);
static_assert(offsetof(ComponentInitRecord, hostReserved3) == 52);
#endif
