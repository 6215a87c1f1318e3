#pragma once

// Enumerating the network's resources: providers, domains, servers and
// their containers, as a tree that is opened and read level by level.
//
//   HANDLE e;
//   if (WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, parent, &e) == NO_ERROR) {
//     DWORD count = 0xFFFFFFFF, size = 16384;
//     while (WNetEnumResourceA(e, &count, buffer, &size) == NO_ERROR) { ...count entries... }
//     WNetCloseEnum(e);
//   }
//
// parent null is the top of the network; otherwise a container entry read
// before (its remote name and display type identify it). The network is the
// process's NetworkProvider (win/network_provider.h): DNS service discovery
// through the Avahi daemon unless a test installs another. WNetOpenEnumA
// reads the whole level at once; it fails with ERROR_NO_NETWORK when the
// network cannot be read (no Avahi daemon answers), ERROR_NOT_CONTAINER
// for an entry that holds nothing, ERROR_NOT_SUPPORTED for scopes other
// than RESOURCE_GLOBALNET. WNetEnumResourceA copies as many whole entries
// as fit (at most *count; 0xFFFFFFFF for no limit) with their texts into the
// buffer and sets *count; ERROR_NO_MORE_ITEMS when none are left,
// ERROR_MORE_DATA with *bufferSize set to the size needed when not even one
// entry fits. ERROR_INVALID_HANDLE for a handle that is not open.

#include "win/export.h"
#include "win/types.h"

#define RESOURCE_CONNECTED 0x00000001
#define RESOURCE_GLOBALNET 0x00000002
#define RESOURCE_REMEMBERED 0x00000003

#define RESOURCETYPE_ANY 0x00000000
#define RESOURCETYPE_DISK 0x00000001
#define RESOURCETYPE_PRINT 0x00000002

#define RESOURCEUSAGE_CONNECTABLE 0x00000001
#define RESOURCEUSAGE_CONTAINER 0x00000002

#define RESOURCEDISPLAYTYPE_GENERIC 0x00000000
#define RESOURCEDISPLAYTYPE_DOMAIN 0x00000001
#define RESOURCEDISPLAYTYPE_SERVER 0x00000002
#define RESOURCEDISPLAYTYPE_SHARE 0x00000003
#define RESOURCEDISPLAYTYPE_FILE 0x00000004
#define RESOURCEDISPLAYTYPE_GROUP 0x00000005
#define RESOURCEDISPLAYTYPE_NETWORK 0x00000006

#define ERROR_NOT_CONTAINER 1207L

using LPHANDLE = HANDLE*;

struct NETRESOURCEA {
  DWORD dwScope;
  DWORD dwType;
  DWORD dwDisplayType;
  DWORD dwUsage;
  LPSTR lpLocalName;
  LPSTR lpRemoteName;
  LPSTR lpComment;
  LPSTR lpProvider;
};
using LPNETRESOURCEA = NETRESOURCEA*;

extern "C" {
WIN_API DWORD WNetOpenEnumA(DWORD scope, DWORD type, DWORD usage, LPNETRESOURCEA resource, LPHANDLE handle);
WIN_API DWORD WNetEnumResourceA(HANDLE handle, LPDWORD count, LPVOID buffer, LPDWORD bufferSize);
WIN_API DWORD WNetCloseEnum(HANDLE handle);
}
