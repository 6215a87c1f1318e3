#pragma once

// What a server shares with its groups and its update thread: the address
// space and the values, the signal that wakes the update thread, the item
// handles, transaction numbers and a few counters. Groups keep it alive
// while a client still holds one after the server has gone; it holds no
// reference back to the server or the groups.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "com/wtypes.h"
#include "group_items.h"
#include "value_store.h"

namespace sample {

// Wakes the update thread early: when a group's timing changes, a client
// advises, an asynchronous request is queued, or the server stops.
class UpdateSignal {
 public:
  void notify() {
    {
      std::lock_guard lock(mutex_);
      pending_ = true;
    }
    wake_.notify_all();
  }
  void stop() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
  }
  bool stopping() const {
    std::lock_guard lock(mutex_);
    return stopping_;
  }
  // Waits until the deadline, a notification or stop; false once stopping.
  bool waitUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    wake_.wait_until(lock, deadline, [&] { return pending_ || stopping_; });
    pending_ = false;
    return !stopping_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool pending_ = false;   // guarded by mutex_
  bool stopping_ = false;  // guarded by mutex_
};

// The clipboard format numbers of the three stream formats (the same in the
// whole process).
struct StreamFormats {
  CLIPFORMAT data;
  CLIPFORMAT dataTime;
  CLIPFORMAT writeComplete;
  static const StreamFormats& get();
};

struct ServerShared {
  ServerShared(std::shared_ptr<const AddressSpace> addressSpace, FILETIME startTime)
      : space(addressSpace), values(std::move(addressSpace), startTime) {}

  const std::shared_ptr<const AddressSpace> space;
  ValueStore values;
  UpdateSignal signal;
  ItemHandleSource itemHandles;
  std::atomic<DWORD> nextTransaction{1};
  // Counts the changes to groups and items, so that IPersistFile::IsDirty
  // can tell whether anything changed since the last save or load.
  std::atomic<uint64_t> configurationVersion{0};
  void markChanged() { configurationVersion.fetch_add(1); }
  // When a data-change callback last went out (FILETIME ticks).
  std::atomic<uint64_t> lastUpdateTicks{0};

  DWORD newTransactionId() {
    DWORD id = nextTransaction.fetch_add(1);
    if (id == 0) id = nextTransaction.fetch_add(1);  // 0 marks subscription updates
    return id;
  }
};

}  // namespace sample
