#pragma once

// The resource manager's interface as other components and the control
// program see it: result codes, the API functions' types (bound by name through
// the host) and the parameter records of the library-call wrappers. Handles,
// resources, parents and free functions are pointer-width; results are 16 bits.
// An object handle is the address of its entry, whose first pointer-width word
// is the registered resource (0 once the entry is free).

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define RSM_COMPONENT_ID 0x4002u
#define RSM_COMPONENT_VERSION 0x03040300u
#define RSM_MEMORY_TAG "Morvick"
#define RSM_EVENT_APPLICATION_A 0x1001Au
#define RSM_EVENT_APPLICATION_B 0x1001Bu

#define RSM_RESULT_OK 0x0000u
#define RSM_RESULT_NULL_HANDLE 0x765Eu
#define RSM_RESULT_NO_EVENTS 0x765Fu
#define RSM_RESULT_NO_MEMORY 0x7660u
#define RSM_RESULT_INVALID 0x7661u
#define RSM_RESULT_CLASS_IN_USE 0x7664u
#define RSM_RESULT_REFUSED 0x7666u
#define RSM_RESULT_HAS_PARENT 0x7667u
#define RSM_RESULT_CLASS_EMPTY 0x7668u
#define RSM_RESULT_FREE_BUSY 0x7669u

// Releases one object; expected to unregister it. 0 = freed.
typedef uint16_t (*RsmFreeFunction)(uintptr_t object);

typedef struct RsmInfo {
  uint32_t marker;  // always 0xFFFFFFFF
  uint32_t classCount;
} RsmInfo;

typedef struct RsmClassInfo {
  RsmFreeFunction freeFunction;
  uint32_t capacity;
  uint32_t registered;
} RsmClassInfo;

typedef uintptr_t (*RsmClassCreateFktFunction)(RsmFreeFunction freeFunction, uint32_t entriesPerBlock,
                                               uint16_t* result);
typedef uint16_t (*RsmClassDeleteFunction)(uintptr_t classHandle);
typedef uint16_t (*RsmClassFreeFunction)(uintptr_t classHandle);
typedef uintptr_t (*RsmGetClassFunction)(uintptr_t object, uint16_t* result);
typedef uint16_t (*RsmGetClassInfoFunction)(uintptr_t classHandle, RsmClassInfo* info);
typedef uintptr_t (*RsmRegisterFunction)(uintptr_t classHandle, uintptr_t resource, uint16_t* result);
typedef uintptr_t (*RsmRegisterNoCheckFunction)(uintptr_t classHandle, uintptr_t resource, uint16_t* result);
typedef uint16_t (*RsmUnregisterFunction)(uintptr_t object);
typedef uintptr_t (*RsmGetParentFunction)(uintptr_t object, uint16_t* result);
typedef uint16_t (*RsmSetParentFunction)(uintptr_t object, uintptr_t parent);
typedef uintptr_t (*RsmCheckFunction)(uintptr_t object, uint16_t* result);
typedef uint16_t (*RsmGetInfoFunction)(RsmInfo* info);
typedef uint16_t (*RsmGetSupplierVersionFunction)(uint8_t ignored);

// Parameter records of the library-call wrappers: the API function's
// arguments in order, then the slot the wrapper writes its return value to.
typedef struct RsmClassCreateFktParameters {
  RsmFreeFunction freeFunction;
  uint32_t entriesPerBlock;
  uint16_t* result;
  uintptr_t classHandle;
} RsmClassCreateFktParameters;

typedef struct RsmClassDeleteParameters {
  uintptr_t classHandle;
  uint16_t result;
} RsmClassDeleteParameters;

typedef struct RsmClassFreeParameters {
  uintptr_t classHandle;
  uint16_t result;
} RsmClassFreeParameters;

typedef struct RsmGetClassParameters {
  uintptr_t object;
  uint16_t* result;
  uintptr_t classHandle;
} RsmGetClassParameters;

typedef struct RsmGetClassInfoParameters {
  uintptr_t classHandle;
  RsmClassInfo* info;
  uint16_t result;
} RsmGetClassInfoParameters;

typedef struct RsmRegisterParameters {
  uintptr_t classHandle;
  uintptr_t resource;
  uint16_t* result;
  uintptr_t object;
} RsmRegisterParameters;

typedef struct RsmUnregisterParameters {
  uintptr_t object;
  uint16_t result;
} RsmUnregisterParameters;

typedef struct RsmGetParentParameters {
  uintptr_t object;
  uint16_t* result;
  uintptr_t parent;
} RsmGetParentParameters;

typedef struct RsmSetParentParameters {
  uintptr_t object;
  uintptr_t parent;
  uint16_t result;
} RsmSetParentParameters;

typedef struct RsmGetInfoParameters {
  RsmInfo* info;
  uint16_t result;
} RsmGetInfoParameters;

typedef struct RsmGetSupplierVersionParameters {
  uint8_t ignored;
  uint16_t version;  // at byte 2
} RsmGetSupplierVersionParameters;

typedef struct RsmCheckParameters {
  uintptr_t object;
  uint16_t* result;
  uintptr_t resource;
} RsmCheckParameters;

#ifdef __cplusplus
}  // extern "C"
#endif

#if defined(__cplusplus)
#include <cstddef>
static_assert(offsetof(RsmGetSupplierVersionParameters, version) == 2);
#if UINTPTR_MAX == 0xFFFFFFFFu
// A 32-bit build reproduces the control program's records: 32-bit slots,
// 16-bit results in the first two bytes of their slot.
static_assert(sizeof(RsmInfo) == 8 && sizeof(RsmClassInfo) == 12);
static_assert(offsetof(RsmClassCreateFktParameters, classHandle) == 12);
static_assert(offsetof(RsmClassDeleteParameters, result) == 4 && sizeof(RsmClassDeleteParameters) == 8);
static_assert(offsetof(RsmClassFreeParameters, result) == 4);
static_assert(offsetof(RsmGetClassParameters, classHandle) == 8);
static_assert(offsetof(RsmGetClassInfoParameters, result) == 8);
static_assert(offsetof(RsmRegisterParameters, object) == 12 && sizeof(RsmRegisterParameters) == 16);
static_assert(offsetof(RsmUnregisterParameters, result) == 4);
static_assert(offsetof(RsmGetParentParameters, parent) == 8);
static_assert(offsetof(RsmSetParentParameters, result) == 8);
static_assert(offsetof(RsmGetInfoParameters, result) == 4);
static_assert(sizeof(RsmGetSupplierVersionParameters) == 4);
static_assert(offsetof(RsmCheckParameters, resource) == 8);
#endif
#endif
