#pragma once

// The small types and enumerations of OPC Data Access 1.0/2.0. The values
// are the published ones; every enumeration is 32 bits wide, as the
// interfaces pass them.

#include "com/oleauto.h"
#include "win/types.h"

// A handle chosen by the client (hClient, hClientGroup) or by the server
// (hServer, hServerGroup); 32 bits on every build.
using OPCHANDLE = DWORD;

// Where a read takes its values from.
enum OPCDATASOURCE : DWORD {
  OPC_DS_CACHE = 1,
  OPC_DS_DEVICE = 2,
};

// What IOPCBrowseServerAddressSpace::BrowseOPCItemIDs lists.
enum OPCBROWSETYPE : DWORD {
  OPC_BRANCH = 1,
  OPC_LEAF = 2,
  OPC_FLAT = 3,
};

// The shape of the address space (QueryOrganization). The spelling
// "HIERARCHIAL" is the published name.
enum OPCNAMESPACETYPE : DWORD {
  OPC_NS_HIERARCHIAL = 1,
  OPC_NS_FLAT = 2,
};

// How ChangeBrowsePosition moves.
enum OPCBROWSEDIRECTION : DWORD {
  OPC_BROWSE_UP = 1,
  OPC_BROWSE_DOWN = 2,
  OPC_BROWSE_TO = 3,
};

// The kind of engineering-unit information an item carries (vEUInfo).
enum OPCEUTYPE : DWORD {
  OPC_NOENUM = 0,
  OPC_ANALOG = 1,
  OPC_ENUMERATED = 2,
};

// The server's state (OPCSERVERSTATUS::dwServerState).
enum OPCSERVERSTATE : DWORD {
  OPC_STATUS_RUNNING = 1,
  OPC_STATUS_FAILED = 2,
  OPC_STATUS_NOCONFIG = 3,
  OPC_STATUS_SUSPENDED = 4,
  OPC_STATUS_TEST = 5,
};

// Which groups CreateGroupEnumerator lists. The *_CONNECTIONS scopes ask for
// the groups this client is connected to; a server whose groups all belong
// to the one client that created them treats them as the plain scopes.
enum OPCENUMSCOPE : DWORD {
  OPC_ENUM_PRIVATE_CONNECTIONS = 1,
  OPC_ENUM_PUBLIC_CONNECTIONS = 2,
  OPC_ENUM_ALL_CONNECTIONS = 3,
  OPC_ENUM_PRIVATE = 4,
  OPC_ENUM_PUBLIC = 5,
  OPC_ENUM_ALL = 6,
};

// Access rights of an item (dwAccessRights), a bit set.
enum OPCACCESSRIGHTS : DWORD {
  OPC_READABLE = 1,
  OPC_WRITEABLE = 2,
};
