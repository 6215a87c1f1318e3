#pragma once

// "Read n" of the item pop-up: one item read n times in a row, timed with
// the tick counter. Kept apart from the pane so that it can be tested alone.

#include "opc/group.h"
#include "result/function_result.h"

class CServerSession;

namespace workspace {

// Reads the item `passes` times from the cache or the device, stopping
// after a read that does not return S_OK, and appends either the failed
// pass or the time the series took. Sets the function name and the return
// code of the last Read.
void ReadItemNTimes(IOPCSyncIO* syncIO, OPCHANDLE handle, DWORD passes, bool fromCache,
                    const CServerSession& session, FunctionResult& result);

}  // namespace workspace
