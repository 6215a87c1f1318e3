#pragma once

// "Read all Items n": every readable item of a group read in one call per
// pass, n passes in a row, timed with the tick counter; the item states of
// the first pass are listed for up to 100 items. Kept apart from the pane so
// that it can be timed without a window.

#include <functional>
#include <string>
#include <vector>

#include "opc/group.h"
#include "result/function_result.h"

class CServerSession;

namespace workspace {

// The most item states listed from the first pass, so that the later passes
// measure the server alone.
constexpr DWORD kListedItemStates = 100;

// Reads the `count` handles `passes` times from the cache or the device and
// appends to `result` the item states of pass 0 (paired in order with
// `itemIds`, which needs to hold only the first kListedItemStates IDs), then
// either the failed pass or, at the top, the time the series took. Sets the
// function name and the return code of the last Read.
void ReadAllItems(IOPCSyncIO* syncIO, OPCHANDLE* handles, DWORD count, const std::vector<std::string>& itemIds,
                  DWORD passes, bool fromCache, const CServerSession& session, FunctionResult& result);

// Reads the `count` handles `passes` times from the cache or the device,
// stopping after a read that does not return S_OK; `firstPass` sees the
// states and errors of pass 0 when that read succeeds. Sets the function
// name and the return code of the last Read in `result`, appends the failed
// pass there and returns false if a read failed; otherwise stores the ticks
// the series took in `elapsed`.
bool ReadRepeatedly(IOPCSyncIO* syncIO, OPCHANDLE* handles, DWORD count, DWORD passes, bool fromCache,
                    const CServerSession& session, FunctionResult& result, DWORD& elapsed,
                    const std::function<void(const OPCITEMSTATE*, const HRESULT*)>& firstPass = {});

// The lines of one returned item state, each indented by three blanks.
void AppendItemStateLines(const OPCITEMSTATE& state, std::vector<std::string>& lines);

}  // namespace workspace
