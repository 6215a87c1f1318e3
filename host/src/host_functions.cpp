#include "host_functions.h"

#include <host/runtime_host.h>

#include <cstring>

namespace host {

namespace {

// Every service forwards to the current host; with no host they fail cleanly.
RuntimeHost* hostOrNull() { return RuntimeHost::current(); }

uint32_t registerApiFunction(const char* name, ComponentFunction function, uint32_t libraryFlag,
                             uint32_t reserved) {
  RuntimeHost* host = hostOrNull();
  if (!host || !name) return 1;
  Registration registration;
  registration.name = name;
  registration.function = function;
  registration.libraryFlag = libraryFlag;
  registration.reserved = reserved;
  return host->registerFunction(std::move(registration));
}

uint32_t registerApiFunctionEx(const char* name, ComponentFunction function, uint32_t libraryFlag,
                               uint32_t signatureHash, uint32_t version) {
  RuntimeHost* host = hostOrNull();
  if (!host || !name) return 1;
  Registration registration;
  registration.name = name;
  registration.function = function;
  registration.libraryFlag = libraryFlag;
  registration.extended = true;
  registration.signatureHash = signatureHash;
  registration.version = version;
  return host->registerFunction(std::move(registration));
}

uint32_t getApiFunction(const char* name, ComponentFunction* slot, uint32_t) {
  RuntimeHost* host = hostOrNull();
  if (!host || !name || !slot) return 1;
  return host->getApiFunction(name, slot);
}

uint32_t hostNotify(uint32_t first, uint32_t second) {
  RuntimeHost* host = hostOrNull();
  return host ? host->notify(first, second) : 1;
}

void reservedSlot() {
  if (RuntimeHost* host = hostOrNull()) host->recordViolation("called a reserved host slot");
}

void* sysMemAllocData(const char* tag, uint32_t size, uint32_t* result) {
  RuntimeHost* host = hostOrNull();
  if (!host) {
    if (result) *result = 1;
    return nullptr;
  }
  return host->memory().allocate(tag, size, result);
}

uint32_t sysMemFreeData(const char* tag, void* block) {
  RuntimeHost* host = hostOrNull();
  return host ? host->memory().free(tag, block) : 1;
}

uintptr_t sysSemCreate(uint32_t* result) {
  RuntimeHost* host = hostOrNull();
  if (!host) {
    if (result) *result = 1;
    return HOST_INVALID_HANDLE;
  }
  return host->semaphores().create(result);
}

uint32_t sysSemDelete(uintptr_t semaphore) {
  RuntimeHost* host = hostOrNull();
  return host ? host->semaphores().destroy(semaphore) : 1;
}

uint32_t sysSemEnter(uintptr_t semaphore) {
  RuntimeHost* host = hostOrNull();
  return host ? host->semaphores().enter(semaphore) : 1;
}

uint32_t sysSemLeave(uintptr_t semaphore) {
  RuntimeHost* host = hostOrNull();
  return host ? host->semaphores().leave(semaphore) : 1;
}

uintptr_t eventOpen(uint32_t eventId, uint32_t count, uint32_t* result) {
  RuntimeHost* host = hostOrNull();
  if (!host) {
    if (result) *result = 1;
    return HOST_INVALID_HANDLE;
  }
  return host->events().open(eventId, count, result);
}

uint32_t eventClose(uintptr_t event) {
  RuntimeHost* host = hostOrNull();
  return host ? host->events().close(event) : 1;
}

uint32_t eventRegisterCallbackFunction(uintptr_t event, HostEventCallback callback, uint32_t reserved) {
  RuntimeHost* host = hostOrNull();
  return host ? host->events().registerCallback(event, callback, reserved) : 1;
}

uint32_t eventUnregisterCallbackFunction(uintptr_t event, HostEventCallback callback) {
  RuntimeHost* host = hostOrNull();
  return host ? host->events().unregisterCallback(event, callback) : 1;
}

HostApplication* appGetFirstApp(uint32_t* result) {
  RuntimeHost* host = hostOrNull();
  if (result) *result = host ? 0 : 1;
  return host ? host->applications().first() : nullptr;
}

HostApplication* appGetNextApp(HostApplication* application, uint32_t* result) {
  RuntimeHost* host = hostOrNull();
  if (result) *result = host ? 0 : 1;
  return host ? host->applications().next(application) : nullptr;
}

uint32_t sysCpuCallIecFuncWithParams(uintptr_t function, void* parameters, uint32_t size) {
  RuntimeHost* host = hostOrNull();
  if (!host) return 1;
  if (HostSemaphores::heldByThisThread() > 0) {
    host->recordViolation("called the control program while holding a semaphore");
  }
  return host->applications().callIec(function, parameters, size);
}

uint32_t logAdd(uintptr_t logger, uint32_t componentId, uint32_t logClass, uint32_t errorId,
                uint32_t infoId, const char* text) {
  RuntimeHost* host = hostOrNull();
  if (!host) return 1;
  return host->logAdd(LogEntry{logger, componentId, logClass, errorId, infoId, text ? text : ""});
}

// Bound by components but not meant to be called.
uint32_t ioMgrGetConfigApplication() {
  reservedSlot();
  return 1;
}
uint32_t sysIntEnableAll() {
  reservedSlot();
  return 1;
}
uint32_t sysIntDisableAll() {
  reservedSlot();
  return 1;
}

template <typename Function>
ComponentFunction generic(Function* function) {
  return reinterpret_cast<ComponentFunction>(function);
}

struct NamedFunction {
  const char* name;
  ComponentFunction function;
};

const NamedFunction kHostFunctions[] = {
    {"SysMemAllocData", generic(static_cast<SysMemAllocDataFunction>(&sysMemAllocData))},
    {"SysMemFreeData", generic(static_cast<SysMemFreeDataFunction>(&sysMemFreeData))},
    {"SysSemCreate", generic(static_cast<SysSemCreateFunction>(&sysSemCreate))},
    {"SysSemDelete", generic(static_cast<SysSemDeleteFunction>(&sysSemDelete))},
    {"SysSemEnter", generic(static_cast<SysSemEnterFunction>(&sysSemEnter))},
    {"SysSemLeave", generic(static_cast<SysSemLeaveFunction>(&sysSemLeave))},
    {"EventOpen", generic(static_cast<EventOpenFunction>(&eventOpen))},
    {"EventClose", generic(static_cast<EventCloseFunction>(&eventClose))},
    {"EventRegisterCallbackFunction",
     generic(static_cast<EventRegisterCallbackFunctionFunction>(&eventRegisterCallbackFunction))},
    {"EventUnregisterCallbackFunction",
     generic(static_cast<EventUnregisterCallbackFunctionFunction>(&eventUnregisterCallbackFunction))},
    {"AppGetFirstApp", generic(static_cast<AppGetFirstAppFunction>(&appGetFirstApp))},
    {"AppGetNextApp", generic(static_cast<AppGetNextAppFunction>(&appGetNextApp))},
    {"SysCpuCallIecFuncWithParams",
     generic(static_cast<SysCpuCallIecFuncWithParamsFunction>(&sysCpuCallIecFuncWithParams))},
    {"LogAdd", generic(static_cast<LogAddFunction>(&logAdd))},
    {"IoMgrGetConfigApplication",
     generic(static_cast<IoMgrGetConfigApplicationFunction>(&ioMgrGetConfigApplication))},
    {"SysIntEnableAll", generic(static_cast<SysIntEnableAllFunction>(&sysIntEnableAll))},
    {"SysIntDisableAll", generic(static_cast<SysIntDisableAllFunction>(&sysIntDisableAll))},
};

}  // namespace

void fillHostSlots(ComponentInitRecord& record) {
  record.registerApiFunction = &registerApiFunction;
  record.getApiFunction = &getApiFunction;
  record.hostReserved1 = &reservedSlot;
  record.hostNotify = &hostNotify;
  record.hostReserved2 = &reservedSlot;
  record.registerApiFunctionEx = &registerApiFunctionEx;
  record.hostReserved3 = &reservedSlot;
}

ComponentFunction lookupHostFunction(const char* name) {
  for (const NamedFunction& entry : kHostFunctions) {
    if (std::strcmp(entry.name, name) == 0) return entry.function;
  }
  return nullptr;
}

}  // namespace host
