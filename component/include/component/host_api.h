#pragma once

// The runtime host's services that a component binds by name, and the records
// the host hands to a component. Plain C types: a 32-bit build reproduces the
// host's byte layouts, pinned below. Values the host calls addresses or handles
// are pointer-width; results, sizes, ids and flags keep their 32-bit width.
// Host results are 0 on success.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// A semaphore or event handle that is not open: all bits set.
#define HOST_INVALID_HANDLE UINTPTR_MAX

#define HOST_CODE_AREA_COUNT 10

// An application as the host describes it; read at fixed byte offsets.
typedef struct HostApplication {
  uint32_t state;  // 0 for a running application
  uint8_t reserved1[76];
  char name[384];  // zero-terminated
  uintptr_t codeAreaStart[HOST_CODE_AREA_COUNT];  // a 0 ends the list
  uint8_t reserved2[20];
  uint32_t codeAreaSize[HOST_CODE_AREA_COUNT];
} HostApplication;

// What an application event concerns: the application and a text naming it.
typedef struct HostEventData {
  HostApplication* application;
  const char* text;
} HostEventData;

// The parameter an event callback receives.
typedef struct HostEventParameter {
  uint8_t reserved[8];
  uint16_t kind;   // 1 for the events components act on
  uint16_t phase;  // below 2 for the events components act on
  HostEventData* data;
} HostEventParameter;

typedef void (*HostEventCallback)(HostEventParameter* parameter);

typedef void* (*SysMemAllocDataFunction)(const char* tag, uint32_t size, uint32_t* result);
typedef uint32_t (*SysMemFreeDataFunction)(const char* tag, void* block);
typedef uintptr_t (*SysSemCreateFunction)(uint32_t* result);
typedef uint32_t (*SysSemDeleteFunction)(uintptr_t semaphore);
typedef uint32_t (*SysSemEnterFunction)(uintptr_t semaphore);
typedef uint32_t (*SysSemLeaveFunction)(uintptr_t semaphore);
typedef uintptr_t (*EventOpenFunction)(uint32_t eventId, uint32_t count, uint32_t* result);
typedef uint32_t (*EventCloseFunction)(uintptr_t event);
typedef uint32_t (*EventRegisterCallbackFunctionFunction)(uintptr_t event, HostEventCallback callback,
                                                          uint32_t reserved);
typedef uint32_t (*EventUnregisterCallbackFunctionFunction)(uintptr_t event, HostEventCallback callback);
typedef HostApplication* (*AppGetFirstAppFunction)(uint32_t* result);
typedef HostApplication* (*AppGetNextAppFunction)(HostApplication* application, uint32_t* result);
// Calls a function of the control program with a parameter block; the
// function's 16-bit result comes back in the low bits.
typedef uint32_t (*SysCpuCallIecFuncWithParamsFunction)(uintptr_t function, void* parameters,
                                                        uint32_t size);
typedef uint32_t (*LogAddFunction)(uintptr_t logger, uint32_t componentId, uint32_t logClass,
                                   uint32_t errorId, uint32_t infoId, const char* text);
// Bound by the resource manager but never called; their arguments do not matter.
typedef uint32_t (*IoMgrGetConfigApplicationFunction)(void);
typedef uint32_t (*SysIntEnableAllFunction)(void);
typedef uint32_t (*SysIntDisableAllFunction)(void);

#ifdef __cplusplus
}  // extern "C"
#endif

#if defined(__cplusplus)
#include <cstddef>
static_assert(offsetof(HostApplication, name) == 80);
static_assert(offsetof(HostApplication, codeAreaStart) == 464);
static_assert(offsetof(HostEventParameter, kind) == 8);
static_assert(offsetof(HostEventParameter, phase) == 10);
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(HostApplication, codeAreaSize) == 524);
static_assert(sizeof(HostApplication) == 564);
static_assert(offsetof(HostEventParameter, data) == 12);
static_assert(sizeof(HostEventParameter) == 16);
static_assert(sizeof(HostEventData) == 8);
#endif
#endif
