#pragma once

// The latest data-change data of one item, as the advise dialog keeps it
// between the callbacks, which write it on the server's threads, and the
// display, which reads it on the user-interface thread.

#include <atomic>
#include <mutex>

#include "advise/advise_callback.h"

namespace advise {

class WatchedItem {
 public:
  // What the last callback that carried the item said about it. The time
  // stamp, quality and value are those of the last callback whose status
  // was a success; a failing status clears the value.
  struct Latest {
    HRESULT status = S_OK;
    FILETIME timeStamp{};
    WORD quality = 0;
    VARIANT value{};
    // The result of copying the value out of the callback.
    HRESULT copyResult = S_OK;
  };

  WatchedItem();
  ~WatchedItem();
  WatchedItem(const WatchedItem&) = delete;
  WatchedItem& operator=(const WatchedItem&) = delete;

  // The handle by which the item is found in a stream. Set before any
  // callback can arrive (before advising).
  void SetClientHandle(OPCHANDLE handle) { clientHandle_ = handle; }
  OPCHANDLE clientHandle() const { return clientHandle_; }

  // Takes the item's data from one "OPCSTMFORMATDATATIME" callback: false,
  // changing nothing, when the item is not in it. Any thread.
  bool Take(const OPCGROUPHEADER& header, const OPCITEMHEADER1* items, const VARIANT* values);

  // How many callbacks carried the item. Any thread.
  DWORD callbackCount() const { return callbackCount_.load(std::memory_order_relaxed); }

  // Calls `read` with the latest data while no callback can change it.
  template <class Reader>
  void Read(Reader&& read) const {
    std::lock_guard lock(lock_);
    read(static_cast<const Latest&>(latest_));
  }

 private:
  OPCHANDLE clientHandle_ = 0;
  std::atomic<DWORD> callbackCount_{0};
  mutable std::mutex lock_;  // guards latest_
  Latest latest_;
};

}  // namespace advise
