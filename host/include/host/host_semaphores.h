#pragma once

// Semaphores for mutual exclusion between threads. Entering and leaving touch
// only the semaphore itself, so the host adds no hidden synchronisation between
// threads that would mask a component's races from ThreadSanitizer. The host
// checks the rules components must keep: never enter a semaphore already held,
// leave only what the thread holds, delete only what no thread holds, and
// allocate memory or call out with no semaphore held.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace host {

class RuntimeHost;

class HostSemaphores {
 public:
  explicit HostSemaphores(RuntimeHost& host) : host_(host) {}
  ~HostSemaphores();
  HostSemaphores(const HostSemaphores&) = delete;
  HostSemaphores& operator=(const HostSemaphores&) = delete;

  uintptr_t create(uint32_t* result);
  uint32_t destroy(uintptr_t handle);
  uint32_t enter(uintptr_t handle);
  uint32_t leave(uintptr_t handle);

  // The nth creation from now on fails (1 = the next one); 0 disarms.
  void failCreation(uint64_t nth);
  uint64_t live() const;
  uint64_t created() const;
  // Semaphores the calling thread holds right now (of any host).
  static int heldByThisThread();

 private:
  struct Semaphore {
    std::mutex mutex;
    std::atomic<std::thread::id> owner{};
  };
  RuntimeHost& host_;
  mutable std::mutex mutex_;  // guards the set and the counters, not the semaphores
  std::unordered_set<Semaphore*> live_;
  uint64_t created_ = 0;
  uint64_t failCountdown_ = 0;
};

}  // namespace host
