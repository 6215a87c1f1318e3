// The application events: opened with the first class, closed with the last;
// an event about a running application whose name matches the event's text
// frees every parentless object of every class.

#include "application_events.h"

#include "host_services.h"
#include "registry.h"
#include "rsm_api.h"

#include <cstring>

namespace morvick {

namespace {

constexpr uint32_t kEventIds[2] = {RSM_EVENT_APPLICATION_A, RSM_EVENT_APPLICATION_B};
constexpr uint32_t kEventOpenCount = 2;

bool concernsRunningNamedApplication(const HostEventParameter* parameter) {
  if (parameter == nullptr || parameter->kind != 1 || parameter->phase >= 2) return false;
  const HostEventData* data = parameter->data;
  if (data == nullptr || data->application == nullptr || data->text == nullptr) return false;
  const HostApplication& application = *data->application;
  if (application.state != 0) return false;
  // A name that fills its field without a terminator matches nothing.
  if (strnlen(application.name, sizeof application.name) == sizeof application.name) return false;
  return std::strcmp(application.name, data->text) == 0;
}

void applicationEventCallback(HostEventParameter* parameter) {
  if (concernsRunningNamedApplication(parameter)) RSM_ClassFree(0);
}

}  // namespace

bool openApplicationEvents() {
  if (!hostfn::appGetFirstApp.bound()) return true;
  uintptr_t* events = registry().events;
  for (int i = 0; i < 2; ++i) {
    if (events[i] != HOST_INVALID_HANDLE) continue;
    uint32_t result = 0;
    events[i] = hostfn::eventOpen(kEventIds[i], kEventOpenCount, &result);
  }
  // An event that did open stays open and is reused by the next attempt.
  if (events[0] == HOST_INVALID_HANDLE || events[1] == HOST_INVALID_HANDLE) return false;
  for (int i = 0; i < 2; ++i) hostfn::eventRegisterCallbackFunction(events[i], &applicationEventCallback, 0);
  return true;
}

void closeApplicationEvents() {
  uintptr_t* events = registry().events;
  for (int i = 0; i < 2; ++i) {
    if (events[i] == HOST_INVALID_HANDLE) continue;
    hostfn::eventUnregisterCallbackFunction(events[i], &applicationEventCallback);
    hostfn::eventClose(events[i]);
    events[i] = HOST_INVALID_HANDLE;
  }
}

}  // namespace morvick
