#pragma once

// "Add all Items": the server's whole flat address space added to one group
// in a single AddItems call, with the durations of the browse and of the add.
// Kept apart from the pane so that it can be timed without a window.

#include "opc/group.h"
#include "opc/server.h"
#include "result/function_result.h"

class CServerSession;

namespace workspace {

// Browses the flat address space and adds every ID to the group, active,
// with the client handles 0, 1, 2, ... in browse order; fills `result` with
// the function name, return code and lines of the last call. Returns whether
// the group may have new items (the browse succeeded and found at least one
// ID), in which case the pane must be read again.
bool AddAllItems(IOPCBrowseServerAddressSpace* browse, IOPCItemMgt* itemMgt, const CServerSession& session,
                 FunctionResult& result);

}  // namespace workspace
