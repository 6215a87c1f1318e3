#pragma once

// The records behind the entries of a group pane: a GroupNode for each group
// entry, holding the group's interfaces, and an ItemNode for each item entry,
// the item's attribute record exactly as the server enumerated it.

#include "com/interfaces/data_object.h"
#include "opc/group.h"
#include "opc/records.h"

class CServerSession;

// One reference on each non-null pointer; FreeGroupNode releases them.
struct GroupNode {
  IOPCGroupStateMgt* groupStateMgt = nullptr;
  IOPCPublicGroupStateMgt* publicGroupStateMgt = nullptr;
  // Created once with the node and reset each time the items are listed.
  IEnumOPCItemAttributes* itemAttributes = nullptr;
  IOPCSyncIO* syncIO = nullptr;
  IOPCAsyncIO* asyncIO = nullptr;
  IOPCItemMgt* itemMgt = nullptr;
  IDataObject* dataObject = nullptr;
  // hServerGroup as GetState reported it when the node was built; 0 when
  // the group has no IOPCGroupStateMgt or the call failed.
  OPCHANDLE serverGroup = 0;
};

// A snapshot taken when the pane was last read; allocated by the server with
// the task allocator and freed the same way.
using ItemNode = OPCITEMATTRIBUTES;

// Queries the group object for its interfaces, creates its item-attribute
// enumerator and reads its server handle. Never null.
GroupNode* BuildGroupNode(IUnknown* group, const CServerSession& session);
// Releases the node's interfaces, then the record; null does nothing.
void FreeGroupNode(GroupNode* node);
// Frees the strings, the blob, the value and the record with the session's
// task allocator; null does nothing.
void FreeItemNode(ItemNode* node, const CServerSession& session);
