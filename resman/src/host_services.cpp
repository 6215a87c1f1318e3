#include "host_services.h"

#include <resman/rsm.h>

#include <cstring>

namespace morvick::hostfn {

HostFunction<uint32_t(uintptr_t, uint32_t, uint32_t, uint32_t, uint32_t, const char*)> logAdd;
HostFunction<uint32_t(uintptr_t, HostEventCallback)> eventUnregisterCallbackFunction;
HostFunction<uint32_t(uintptr_t, HostEventCallback, uint32_t)> eventRegisterCallbackFunction;
HostFunction<uint32_t(uintptr_t)> eventClose;
HostFunction<uintptr_t(uint32_t, uint32_t, uint32_t*)> eventOpen;
HostFunction<uint32_t(uintptr_t)> sysSemLeave;
HostFunction<uint32_t(uintptr_t)> sysSemEnter;
HostFunction<uint32_t(uintptr_t)> sysSemDelete;
HostFunction<uintptr_t(uint32_t*)> sysSemCreate;
HostFunction<uint32_t(const char*, void*)> sysMemFreeData;
HostFunction<void*(const char*, uint32_t, uint32_t*)> sysMemAllocData;
HostFunction<uint32_t()> ioMgrGetConfigApplication;
HostFunction<HostApplication*(HostApplication*, uint32_t*)> appGetNextApp;
HostFunction<HostApplication*(uint32_t*)> appGetFirstApp;
HostFunction<uint32_t(uintptr_t, void*, uint32_t)> sysCpuCallIecFuncWithParams;
HostFunction<uint32_t()> sysIntDisableAll;
HostFunction<uint32_t()> sysIntEnableAll;

namespace {

// Log and interrupt control are optional; the rest the manager cannot do without.
const component::HostImport kImports[] = {
    {"LogAdd", logAdd.slot(), false},
    {"EventUnregisterCallbackFunction", eventUnregisterCallbackFunction.slot(), true},
    {"EventRegisterCallbackFunction", eventRegisterCallbackFunction.slot(), true},
    {"EventClose", eventClose.slot(), true},
    {"EventOpen", eventOpen.slot(), true},
    {"SysSemLeave", sysSemLeave.slot(), true},
    {"SysSemEnter", sysSemEnter.slot(), true},
    {"SysSemDelete", sysSemDelete.slot(), true},
    {"SysSemCreate", sysSemCreate.slot(), true},
    {"SysMemFreeData", sysMemFreeData.slot(), true},
    {"SysMemAllocData", sysMemAllocData.slot(), true},
    {"IoMgrGetConfigApplication", ioMgrGetConfigApplication.slot(), true},
    {"AppGetNextApp", appGetNextApp.slot(), true},
    {"AppGetFirstApp", appGetFirstApp.slot(), true},
    {"SysCpuCallIecFuncWithParams", sysCpuCallIecFuncWithParams.slot(), true},
    {"SysIntDisableAll", sysIntDisableAll.slot(), false},
    {"SysIntEnableAll", sysIntEnableAll.slot(), false},
};

}  // namespace

uint32_t bindAll(HostGetApiFunction getApiFunction) {
  return component::importFunctions(getApiFunction, kImports);
}

bool ready() {
  for (const component::HostImport& import : kImports) {
    if (import.required && *import.slot == nullptr) return false;
  }
  return true;
}

void* allocate(size_t size) {
  if (size > UINT32_MAX) return nullptr;
  void* block = sysMemAllocData(RSM_MEMORY_TAG, static_cast<uint32_t>(size), nullptr);
  if (block != nullptr) std::memset(block, 0, size);
  return block;
}

void release(void* block) { sysMemFreeData(RSM_MEMORY_TAG, block); }

}  // namespace morvick::hostfn
