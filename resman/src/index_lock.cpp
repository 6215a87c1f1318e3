#include "index_lock.h"

#include <linux/membarrier.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

namespace morvick {

thread_local IndexLock::Slot* IndexLock::threadSlot = nullptr;

IndexLock::~IndexLock() {
  // The library is being unloaded: ending threads must no longer call into it.
  if (keyCreated_.load(std::memory_order_acquire)) pthread_key_delete(key_);
}

bool IndexLock::prepare() {
  if (keyCreated_.load(std::memory_order_acquire)) return true;
  std::lock_guard creation(keyCreation_);
  if (keyCreated_.load(std::memory_order_relaxed)) return true;
  if (pthread_key_create(&key_, &IndexLock::releaseSlot) != 0) return false;
  writerFences_ = syscall(SYS_membarrier, MEMBARRIER_CMD_REGISTER_PRIVATE_EXPEDITED, 0, 0) == 0;
  keyCreated_.store(true, std::memory_order_release);
  return true;
}

IndexLock::Slot& IndexLock::claimSlot() {
  // Without a key every thread counts on the shared counter.
  if (!prepare()) return overflow_;
  Slot* claimed = &overflow_;
  for (Slot& slot : slots_) {
    bool taken = false;
    if (slot.taken.compare_exchange_strong(taken, true, std::memory_order_acq_rel)) {
      claimed = &slot;
      break;
    }
  }
  // The shared counter is remembered too, so that the slots are searched
  // only once per thread; only a slot of its own goes back at its end.
  if (claimed != &overflow_ && pthread_setspecific(key_, claimed) != 0) {
    claimed->taken.store(false, std::memory_order_release);
    claimed = &overflow_;
  }
  threadSlot = claimed;
  return *claimed;
}

void IndexLock::releaseSlot(void* value) {
  static_cast<Slot*>(value)->taken.store(false, std::memory_order_release);
}

void IndexLock::lock() {
  // Decides how readers and writers meet before the first of either.
  const bool fences = prepare() && writerFences_;
  writers_.lock();
  writer_.store(true, std::memory_order_seq_cst);
  // Readers that stored to their slots before this point are seen below;
  // later ones see the announcement.
  if (fences) syscall(SYS_membarrier, MEMBARRIER_CMD_PRIVATE_EXPEDITED, 0, 0);
  // Readers that came before the announcement finish; later ones step back.
  auto drain = [](const Slot& slot) {
    while (slot.holds.load(std::memory_order_seq_cst) != 0) std::this_thread::yield();
  };
  for (const Slot& slot : slots_) drain(slot);
  drain(overflow_);
}

void IndexLock::unlock() {
  writer_.store(false, std::memory_order_seq_cst);
  writers_.unlock();
}

}  // namespace morvick
