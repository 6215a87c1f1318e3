#pragma once

// Parameter records of Gantrel's library-call wrappers (syssockcreate ...):
// the API function's arguments in order, then the slot the wrapper writes the
// return value to. Values are 32-bit slots, pointers pointer-width, so that a
// 32-bit build lays every record out in 32-bit slots as the control program
// does (pinned below). A 16-bit value sits in the first two bytes of its slot.

#include <sockets/syssock.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SysSockCreateParameters {
  int16_t family;  // read as 16 bits and sign-extended
  int32_t type;
  int32_t protocol;
  uint32_t* result;
  SocketHandle socket;
} SysSockCreateParameters;

typedef struct SysSockCloseParameters {
  SocketHandle socket;
  uint32_t result;
} SysSockCloseParameters;

typedef struct SysSockSetOptionParameters {
  SocketHandle socket;
  int32_t level;
  int32_t option;
  const void* value;
  int32_t length;
  uint32_t result;
} SysSockSetOptionParameters;

typedef struct SysSockGetOptionParameters {
  SocketHandle socket;
  int32_t level;
  int32_t option;
  void* value;
  int32_t* length;
  uint32_t result;
} SysSockGetOptionParameters;

// syssockbind and syssockconnect.
typedef struct SysSockAddressParameters {
  SocketHandle socket;
  SocketAddress* address;
  int32_t length;
  uint32_t result;
} SysSockAddressParameters;

typedef struct SysSockListenParameters {
  SocketHandle socket;
  int32_t backlog;
  uint32_t result;
} SysSockListenParameters;

typedef struct SysSockAcceptParameters {
  SocketHandle socket;
  SocketAddress* address;
  int32_t* length;
  uint32_t* result;
  SocketHandle accepted;
} SysSockAcceptParameters;

typedef struct SysSockShutdownParameters {
  SocketHandle socket;
  int32_t how;
  uint32_t result;
} SysSockShutdownParameters;

typedef struct SysSockIoctlParameters {
  SocketHandle socket;
  int32_t command;
  uint32_t* argument;
  uint32_t result;
} SysSockIoctlParameters;

typedef struct SysSockSelectParameters {
  int32_t highest;
  SocketSet* read;
  SocketSet* write;
  SocketSet* error;
  SocketTimeout* timeout;
  int32_t* readyCount;
  uint32_t result;
} SysSockSelectParameters;

// syssockrecv and syssocksend.
typedef struct SysSockTransferParameters {
  SocketHandle socket;
  void* buffer;
  uint32_t size;
  int32_t flags;
  uint32_t* result;
  uint32_t count;
} SysSockTransferParameters;

// syssockrecvfrom and syssocksendto.
typedef struct SysSockTransferToParameters {
  SocketHandle socket;
  void* buffer;
  uint32_t size;
  int32_t flags;
  SocketAddress* address;
  int32_t addressLength;
  uint32_t* result;
  uint32_t count;
} SysSockTransferToParameters;

typedef struct SysSockGetHostNameParameters {
  char* buffer;
  uint32_t size;
  uint32_t result;
} SysSockGetHostNameParameters;

typedef struct SysSockGetHostByNameParameters {
  const char* name;
  HostInfo* info;
  uint32_t result;
} SysSockGetHostByNameParameters;

typedef struct SysSockInetAddrParameters {
  const char* text;
  uint32_t* address;
  uint32_t result;
} SysSockInetAddrParameters;

typedef struct SysSockInetNtoaParameters {
  const uint32_t* address;
  char* buffer;
  uint32_t size;
  uint32_t result;
} SysSockInetNtoaParameters;

// syssockhtons and syssockntohs: 16-bit slots.
typedef struct SysSockShortParameters {
  uint16_t value;
  uint16_t result;
} SysSockShortParameters;

// syssockhtonl and syssockntohl.
typedef struct SysSockLongParameters {
  uint32_t value;
  uint32_t result;
} SysSockLongParameters;

typedef struct SysSockFdZeroParameters {
  SocketSet* set;
  uint32_t result;  // always 0
} SysSockFdZeroParameters;

typedef struct SysSockFdInitParameters {
  SocketHandle socket;
  SocketSet* set;
  uint32_t result;  // always 0
} SysSockFdInitParameters;

typedef struct SysSockFdIssetParameters {
  SocketHandle socket;
  SocketSet* set;
  uint8_t isSet;  // only this byte of the slot is written
} SysSockFdIssetParameters;

typedef struct SysSockGetOSHandleParameters {
  SocketHandle socket;
  SocketHandle handle;
} SysSockGetOSHandleParameters;

typedef struct SysSockCreateUdpParameters {
  uint32_t ignored;
  uint32_t port;  // a 16-bit value in a 32-bit slot
  uint32_t* result;
  SocketHandle socket;
} SysSockCreateUdpParameters;

typedef struct SysSockCloseUdpParameters {
  SocketHandle socket;
  uint32_t result;
} SysSockCloseUdpParameters;

typedef struct SysSockSendToUdpParameters {
  SocketHandle socket;
  uint32_t port;  // a 16-bit value in a 32-bit slot
  const char* address;
  const void* data;
  uint32_t size;
  uint32_t* result;
  uint32_t count;
} SysSockSendToUdpParameters;

typedef struct SysSockRecvFromUdp2Parameters {
  SocketHandle socket;
  void* buffer;
  uint32_t size;
  UdpPeerInfo* peer;
  uint32_t* result;
  uint32_t count;
} SysSockRecvFromUdp2Parameters;

typedef struct SysSockRecvFromUdpParameters {
  SocketHandle socket;
  void* buffer;
  uint32_t size;
  UdpShortPeerInfo* peer;
  uint32_t* result;
  uint32_t count;
} SysSockRecvFromUdpParameters;

typedef struct SysSockGetRecvSizeUdpParameters {
  SocketHandle socket;
  uint32_t waitMilliseconds;
  uint32_t* result;
  uint32_t count;
} SysSockGetRecvSizeUdpParameters;

typedef struct SysSockPingParameters {
  const char* host;
  uint32_t timeoutMilliseconds;
  uint32_t* replyTime;
  uint32_t result;
} SysSockPingParameters;

typedef struct SysSockGetSubnetMaskParameters {
  const char* address;
  char* buffer;
  uint32_t size;
  uint32_t result;
} SysSockGetSubnetMaskParameters;

// syssocksetsubnetmask and syssocksetipaddress: two ignored texts.
typedef struct SysSockAdapterParameters {
  const char* ignored1;
  const char* ignored2;
  uint32_t result;
} SysSockAdapterParameters;

#ifdef __cplusplus
}  // extern "C"
#endif

#if defined(__cplusplus)
#include <cstddef>
static_assert(offsetof(SysSockShortParameters, result) == 2 && sizeof(SysSockShortParameters) == 4);
static_assert(offsetof(SysSockCreateParameters, type) == 4);
#if UINTPTR_MAX == 0xFFFFFFFFu
// On a 32-bit build every slot is 4 bytes: slot n sits at offset 4 * (n - 1).
static_assert(offsetof(SysSockCreateParameters, socket) == 16 && sizeof(SysSockCreateParameters) == 20);
static_assert(sizeof(SysSockCloseParameters) == 8);
static_assert(offsetof(SysSockSetOptionParameters, result) == 20);
static_assert(offsetof(SysSockGetOptionParameters, result) == 20);
static_assert(offsetof(SysSockAddressParameters, result) == 12);
static_assert(offsetof(SysSockListenParameters, result) == 8);
static_assert(offsetof(SysSockAcceptParameters, accepted) == 16);
static_assert(offsetof(SysSockShutdownParameters, result) == 8);
static_assert(offsetof(SysSockIoctlParameters, result) == 12);
static_assert(offsetof(SysSockSelectParameters, result) == 24 && sizeof(SysSockSelectParameters) == 28);
static_assert(offsetof(SysSockTransferParameters, count) == 20 && sizeof(SysSockTransferParameters) == 24);
static_assert(offsetof(SysSockTransferToParameters, count) == 28 && sizeof(SysSockTransferToParameters) == 32);
static_assert(offsetof(SysSockGetHostNameParameters, result) == 8);
static_assert(offsetof(SysSockGetHostByNameParameters, result) == 8);
static_assert(offsetof(SysSockInetAddrParameters, result) == 8);
static_assert(offsetof(SysSockInetNtoaParameters, result) == 12);
static_assert(sizeof(SysSockLongParameters) == 8);
static_assert(offsetof(SysSockFdZeroParameters, result) == 4);
static_assert(offsetof(SysSockFdInitParameters, result) == 8);
static_assert(offsetof(SysSockFdIssetParameters, isSet) == 8 && sizeof(SysSockFdIssetParameters) == 12);
static_assert(offsetof(SysSockGetOSHandleParameters, handle) == 4);
static_assert(offsetof(SysSockCreateUdpParameters, socket) == 12);
static_assert(sizeof(SysSockCloseUdpParameters) == 8);
static_assert(offsetof(SysSockSendToUdpParameters, count) == 24 && sizeof(SysSockSendToUdpParameters) == 28);
static_assert(offsetof(SysSockRecvFromUdp2Parameters, count) == 20);
static_assert(offsetof(SysSockRecvFromUdpParameters, count) == 20);
static_assert(offsetof(SysSockGetRecvSizeUdpParameters, count) == 12);
static_assert(offsetof(SysSockPingParameters, result) == 12);
static_assert(offsetof(SysSockGetSubnetMaskParameters, result) == 12);
static_assert(offsetof(SysSockAdapterParameters, result) == 8);
#endif
#endif
