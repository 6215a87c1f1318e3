#pragma once

// The host functions the resource manager binds by name: one module-wide
// slot each, null until importFunctions binds it.

#include <component/frame.h>
#include <component/host_api.h>

#include <cstdint>

namespace morvick::hostfn {

using component::HostFunction;

extern HostFunction<uint32_t(uintptr_t, uint32_t, uint32_t, uint32_t, uint32_t, const char*)> logAdd;
extern HostFunction<uint32_t(uintptr_t, HostEventCallback)> eventUnregisterCallbackFunction;
extern HostFunction<uint32_t(uintptr_t, HostEventCallback, uint32_t)> eventRegisterCallbackFunction;
extern HostFunction<uint32_t(uintptr_t)> eventClose;
extern HostFunction<uintptr_t(uint32_t, uint32_t, uint32_t*)> eventOpen;
extern HostFunction<uint32_t(uintptr_t)> sysSemLeave;
extern HostFunction<uint32_t(uintptr_t)> sysSemEnter;
extern HostFunction<uint32_t(uintptr_t)> sysSemDelete;
extern HostFunction<uintptr_t(uint32_t*)> sysSemCreate;
extern HostFunction<uint32_t(const char*, void*)> sysMemFreeData;
extern HostFunction<void*(const char*, uint32_t, uint32_t*)> sysMemAllocData;
extern HostFunction<uint32_t()> ioMgrGetConfigApplication;
extern HostFunction<HostApplication*(HostApplication*, uint32_t*)> appGetNextApp;
extern HostFunction<HostApplication*(uint32_t*)> appGetFirstApp;
extern HostFunction<uint32_t(uintptr_t, void*, uint32_t)> sysCpuCallIecFuncWithParams;
extern HostFunction<uint32_t()> sysIntDisableAll;
extern HostFunction<uint32_t()> sysIntEnableAll;

// Binds all seventeen names in order; 0 when every required one is bound.
uint32_t bindAll(HostGetApiFunction getApiFunction);
// Whether every required host function is bound (the manager cannot work
// without them, so it refuses to create classes until then).
bool ready();

// Memory of the manager's tag, cleared; null when out of memory.
void* allocate(size_t size);
void release(void* block);

}  // namespace morvick::hostfn
