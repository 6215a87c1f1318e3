// The process's remote activator. Without a network transport every machine
// other than this computer is unreachable.

#include "com/remote_activator.h"

#include <mutex>
#include <utility>

#include "remote_activator_slot.h"

namespace {

constexpr HRESULT kServerUnavailable = HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);

class UnreachableMachines final : public com::RemoteActivator {
 public:
  HRESULT createInstance(REFCLSID, IUnknown*, DWORD, COSERVERINFO*, DWORD count, MULTI_QI* results) override {
    for (DWORD k = 0; k < count; ++k) {
      results[k].pItf = nullptr;
      results[k].hr = kServerUnavailable;
    }
    return kServerUnavailable;
  }
  HRESULT getClassObject(REFCLSID, DWORD, COSERVERINFO*, REFIID, void** object) override {
    *object = nullptr;
    return kServerUnavailable;
  }
};

struct ActivatorSlot {
  std::mutex mutex;
  std::shared_ptr<com::RemoteActivator> current;  // guarded by mutex
};

ActivatorSlot& slot() {
  static ActivatorSlot* const instance = new ActivatorSlot{{}, std::make_shared<UnreachableMachines>()};
  return *instance;
}

}  // namespace

namespace com {

std::shared_ptr<RemoteActivator> setRemoteActivator(std::shared_ptr<RemoteActivator> activator) {
  if (!activator) activator = std::make_shared<UnreachableMachines>();
  std::lock_guard lock(slot().mutex);
  return std::exchange(slot().current, std::move(activator));
}

namespace detail {

std::shared_ptr<RemoteActivator> remoteActivator() {
  std::lock_guard lock(slot().mutex);
  return slot().current;
}

}  // namespace detail
}  // namespace com
