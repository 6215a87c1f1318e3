#include <host/host_semaphores.h>

#include <host/runtime_host.h>

#include <component/host_api.h>

namespace host {

namespace {
thread_local int heldSemaphores = 0;
}  // namespace

HostSemaphores::~HostSemaphores() {
  for (Semaphore* semaphore : live_) delete semaphore;
}

int HostSemaphores::heldByThisThread() { return heldSemaphores; }

uintptr_t HostSemaphores::create(uint32_t* result) {
  {
    std::lock_guard lock(mutex_);
    if (failCountdown_ == 0 || --failCountdown_ != 0) {
      auto* semaphore = new Semaphore;
      live_.insert(semaphore);
      ++created_;
      if (result) *result = 0;
      return reinterpret_cast<uintptr_t>(semaphore);
    }
  }
  if (result) *result = 1;
  return HOST_INVALID_HANDLE;
}

uint32_t HostSemaphores::destroy(uintptr_t handle) {
  auto* semaphore = reinterpret_cast<Semaphore*>(handle);
  std::unique_lock lock(mutex_);
  if (live_.count(semaphore) == 0) {
    lock.unlock();
    host_.recordViolation("deleted a semaphore that does not exist");
    return 1;
  }
  bool heldHere = semaphore->owner.load(std::memory_order_relaxed) == std::this_thread::get_id();
  if (heldHere || !semaphore->mutex.try_lock()) {
    // It stays alive (and is freed with the host): freeing it under its
    // holder would crash the holder instead of reporting the fault.
    lock.unlock();
    host_.recordViolation("deleted a semaphore that a thread holds");
    return 1;
  }
  semaphore->mutex.unlock();
  live_.erase(semaphore);
  lock.unlock();
  delete semaphore;
  return 0;
}

uint32_t HostSemaphores::enter(uintptr_t handle) {
  auto* semaphore = reinterpret_cast<Semaphore*>(handle);
  if (handle == 0 || handle == HOST_INVALID_HANDLE) {
    host_.recordViolation("entered a semaphore that is not open");
    return 1;
  }
  if (semaphore->owner.load(std::memory_order_relaxed) == std::this_thread::get_id()) {
    host_.recordViolation("entered a semaphore the thread already holds");
    return 1;
  }
  semaphore->mutex.lock();
  semaphore->owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
  ++heldSemaphores;
  return 0;
}

uint32_t HostSemaphores::leave(uintptr_t handle) {
  auto* semaphore = reinterpret_cast<Semaphore*>(handle);
  if (handle == 0 || handle == HOST_INVALID_HANDLE ||
      semaphore->owner.load(std::memory_order_relaxed) != std::this_thread::get_id()) {
    host_.recordViolation("left a semaphore the thread does not hold");
    return 1;
  }
  semaphore->owner.store(std::thread::id{}, std::memory_order_relaxed);
  --heldSemaphores;
  semaphore->mutex.unlock();
  return 0;
}

void HostSemaphores::failCreation(uint64_t nth) {
  std::lock_guard lock(mutex_);
  failCountdown_ = nth;
}

uint64_t HostSemaphores::live() const {
  std::lock_guard lock(mutex_);
  return live_.size();
}

uint64_t HostSemaphores::created() const {
  std::lock_guard lock(mutex_);
  return created_;
}

}  // namespace host
