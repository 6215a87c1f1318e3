#pragma once

// The client handle the advise dialog gives its item while it watches it:
// the dialog finds the item in a data-change stream by this handle alone,
// so it must differ from every handle the group's other items carry and
// from the handles of other watches in this process.

#include <vector>

#include "opc/types.h"

namespace advise {

// A value that no earlier call in this process returned (until 2^32 calls
// have wrapped the counter) and that `inUse` does not hold. Thread-safe.
OPCHANDLE DrawTemporaryClientHandle(const std::vector<OPCHANDLE>& inUse);

// Tests only: the value the next draw starts from.
void SetNextTemporaryClientHandleForTesting(OPCHANDLE next);

}  // namespace advise
