// Apartments. Calls between objects are direct, so an apartment here is only
// a membership: each thread counts its joins and remembers its mode, and the
// process counts its member threads, those in the multithreaded apartment
// (MTA) separately. A thread outside COM may activate objects while the
// process has an MTA, as it implicitly belongs to it.

#include "com/apartment.h"

#include <atomic>
#include <mutex>

#include "apartment_state.h"

namespace {

constexpr DWORD kKnownCoInitFlags =
    COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY;

class ProcessApartments {
 public:
  void threadJoined(bool multithreaded) {
    std::lock_guard lock(mutex_);
    ++memberThreads_;
    if (multithreaded) mtaThreads_.fetch_add(1, std::memory_order_release);
  }

  // Returns true when the last member thread of the process left.
  bool threadLeft(bool multithreaded) {
    std::lock_guard lock(mutex_);
    if (multithreaded) mtaThreads_.fetch_sub(1, std::memory_order_release);
    return --memberThreads_ == 0;
  }

  bool hasMta() const noexcept { return mtaThreads_.load(std::memory_order_acquire) > 0; }

 private:
  std::mutex mutex_;
  long memberThreads_ = 0;  // guarded by mutex_
  std::atomic<long> mtaThreads_{0};
};

ProcessApartments& processApartments() {
  // Never destroyed: threads may leave COM while the process exits.
  static ProcessApartments* const apartments = new ProcessApartments;
  return *apartments;
}

// The calling thread's membership. A thread that ends without leaving COM
// leaves it here, so that the process's counts stay true.
struct ThreadApartment {
  unsigned joins = 0;
  bool multithreaded = false;

  ~ThreadApartment() {
    if (joins > 0) processApartments().threadLeft(multithreaded);
  }
};

thread_local ThreadApartment thisThread;

std::atomic<bool> securityInitialized{false};

}  // namespace

namespace com::detail {

bool callerHasJoinedCom() noexcept { return thisThread.joins > 0 || processApartments().hasMta(); }

}  // namespace com::detail

extern "C" {

COM_API HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit) {
  if (reserved != nullptr || (coInit & ~kKnownCoInitFlags) != 0) return E_INVALIDARG;
  const bool multithreaded = (coInit & COINIT_APARTMENTTHREADED) == 0;
  ThreadApartment& apartment = thisThread;
  if (apartment.joins > 0) {
    if (apartment.multithreaded != multithreaded) return RPC_E_CHANGED_MODE;
    ++apartment.joins;
    return S_FALSE;
  }
  apartment.joins = 1;
  apartment.multithreaded = multithreaded;
  processApartments().threadJoined(multithreaded);
  return S_OK;
}

COM_API HRESULT CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

COM_API void CoUninitialize() {
  ThreadApartment& apartment = thisThread;
  if (apartment.joins == 0) return;
  if (--apartment.joins > 0) return;
  if (processApartments().threadLeft(apartment.multithreaded)) com::detail::freeUnusedServers();
}

COM_API HRESULT CoInitializeSecurity(PSECURITY_DESCRIPTOR, LONG, SOLE_AUTHENTICATION_SERVICE*, void*, DWORD,
                                     DWORD, void*, DWORD, void*) {
  return securityInitialized.exchange(true) ? RPC_E_TOO_LATE : S_OK;
}

}  // extern "C"
