#pragma once

// The lock over the block index and the class list. Every call that reads a
// class or an entry through a handle holds it shared, twice for each register
// and unregister pair, so taking it shared must cost little; adding or
// removing blocks and classes, which is rare, holds it exclusively.
//
// Each thread keeps its shared hold in a slot of its own, so that taking the
// lock shared writes only a cache line that no other thread writes, instead
// of read-modify-writes of a counter that every thread shares. A writer
// announces itself and then waits until every slot is empty; a reader that
// finds a writer announced steps back and waits for it, so a steady stream of
// registrations cannot starve class creation and deletion.
//
// A reader's store to its slot and a writer's announcement must never both
// miss each other. Where the kernel offers process-wide barriers, the writer
// pays for that: after announcing itself it makes every running thread of the
// process execute a full barrier (membarrier), so a reader needs only a plain
// store and a compiler barrier. Otherwise both sides use sequentially
// consistent operations. Threads beyond the number of slots share one counter
// instead: correct, only slower. Shared holds do not nest: a nested hold
// could wait for a writer that waits for the outer one.

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace morvick {

class IndexLock {
 public:
  struct alignas(64) Slot {
    std::atomic<uint32_t> holds{0};
    std::atomic<bool> taken{false};
    bool shared = false;  // the counter of the threads without a slot
  };

  constexpr IndexLock() = default;
  ~IndexLock();
  IndexLock(const IndexLock&) = delete;
  IndexLock& operator=(const IndexLock&) = delete;

  // The calling thread's slot, claimed on its first call.
  Slot& slotOfThisThread() {
    Slot* slot = threadSlot;
    return slot != nullptr ? *slot : claimSlot();
  }

  void lockShared(Slot& slot) {
    for (;;) {
      enter(slot);
      if (!writer_.load(std::memory_order_seq_cst)) return;
      leave(slot);
      // The writer holds this mutex until it is done.
      std::lock_guard wait(writers_);
    }
  }
  void unlockShared(Slot& slot) { leave(slot); }

  // Exclusive, for std::lock_guard and std::unique_lock.
  void lock();
  void unlock();

 private:
  static constexpr int kSlots = 64;

  void enter(Slot& slot) {
    if (slot.shared) {
      slot.holds.fetch_add(1, std::memory_order_seq_cst);
    } else if (writerFences_) {
      slot.holds.store(1, std::memory_order_relaxed);
      // Keeps the compiler from moving the writer check above the store;
      // the writer's barrier orders them for the processor.
      std::atomic_signal_fence(std::memory_order_seq_cst);
    } else {
      slot.holds.store(1, std::memory_order_seq_cst);
    }
  }
  static void leave(Slot& slot) {
    if (slot.shared) {
      slot.holds.fetch_sub(1, std::memory_order_release);
    } else {
      slot.holds.store(0, std::memory_order_release);
    }
  }

  // Creates the thread-specific key and decides whether writers fence; false
  // when there is no key.
  bool prepare();
  Slot& claimSlot();
  static void releaseSlot(void* slot);

  // Plain data, so that the library leaves no destructor behind in threads
  // that outlive it; the thread-specific key gives the slot back when the
  // thread ends.
  // Initial-exec: read with one instruction rather than through a call.
  static thread_local Slot* threadSlot __attribute__((tls_model("initial-exec")));

  Slot slots_[kSlots];
  Slot overflow_{0, true, true};
  std::atomic<bool> writer_{false};
  std::mutex writers_;  // held by the one writer for its whole turn
  std::mutex keyCreation_;
  std::atomic<bool> keyCreated_{false};
  pthread_key_t key_{};
  // Whether writers make every thread execute a barrier; decided before the
  // first slot is handed out and never changed afterwards.
  bool writerFences_ = false;
};

// Holds the index lock shared for a scope, with unlock() and lock() for the
// stretches in between that must run without it. The thread's slot is looked
// up once.
class SharedIndexHold {
 public:
  explicit SharedIndexHold(IndexLock& lock) : lock_(lock), slot_(lock.slotOfThisThread()) { lock_.lockShared(slot_); }
  ~SharedIndexHold() {
    if (held_) lock_.unlockShared(slot_);
  }
  SharedIndexHold(const SharedIndexHold&) = delete;
  SharedIndexHold& operator=(const SharedIndexHold&) = delete;

  void unlock() {
    if (!held_) return;
    lock_.unlockShared(slot_);
    held_ = false;
  }
  void lock() {
    lock_.lockShared(slot_);
    held_ = true;
  }

 private:
  IndexLock& lock_;
  IndexLock::Slot& slot_;
  bool held_ = true;
};

}  // namespace morvick
