#pragma once

// The resource manager's API functions. They are registered with the host by
// name; the library exports none of them as a symbol.

#include <resman/rsm.h>

extern "C" {
uintptr_t RSM_ClassCreateFkt(RsmFreeFunction freeFunction, uint32_t entriesPerBlock, uint16_t* result);
uint16_t RSM_ClassDelete(uintptr_t classHandle);
uint16_t RSM_ClassFree(uintptr_t classHandle);
uintptr_t RSM_GetClass(uintptr_t object, uint16_t* result);
uint16_t RSM_GetClassInfo(uintptr_t classHandle, RsmClassInfo* info);
uintptr_t RSM_Register(uintptr_t classHandle, uintptr_t resource, uint16_t* result);
uintptr_t RSM_RegisterNoCheck(uintptr_t classHandle, uintptr_t resource, uint16_t* result);
uint16_t RSM_Unregister(uintptr_t object);
uintptr_t RSM_GetParent(uintptr_t object, uint16_t* result);
uint16_t RSM_SetParent(uintptr_t object, uintptr_t parent);
uintptr_t RSM_Check(uintptr_t object, uint16_t* result);
uint16_t RSM_GetInfo(RsmInfo* info);
uint16_t RSM_GetSupplierVersion(uint8_t ignored);
}

namespace morvick {
// The check behind the rsm_check wrapper: the resource of the entry a handle
// points at (0 for a free entry); false when the handle names no entry.
bool readEntryResource(uintptr_t object, uintptr_t* resource);
}  // namespace morvick
