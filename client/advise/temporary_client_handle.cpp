#include "advise/temporary_client_handle.h"

#include <algorithm>
#include <atomic>

namespace advise {
namespace {

// Users type small handles and "Add all Items" counts from 0, so the draws
// start far from both; any value would do, as values in use are skipped.
constexpr OPCHANDLE kFirstTemporaryHandle = 0x80000000u;

std::atomic<OPCHANDLE> nextHandle{kFirstTemporaryHandle};

}  // namespace

OPCHANDLE DrawTemporaryClientHandle(const std::vector<OPCHANDLE>& inUse) {
  // At most inUse.size() draws are skipped, so the loop ends.
  for (;;) {
    const OPCHANDLE candidate = nextHandle.fetch_add(1, std::memory_order_relaxed);
    if (std::find(inUse.begin(), inUse.end(), candidate) == inUse.end()) return candidate;
  }
}

void SetNextTemporaryClientHandleForTesting(OPCHANDLE next) { nextHandle.store(next); }

}  // namespace advise
