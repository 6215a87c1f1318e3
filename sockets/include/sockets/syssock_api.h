#pragma once

// The types of Gantrel's API functions, for components that bind them by name
// through the host. Functions that produce a handle or a byte count return it
// and report through an optional result pointer (null = not wanted); the
// others return the result code.

#include <sockets/syssock.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef SocketHandle (*SysSockCreateFunction)(int32_t family, int32_t type, int32_t protocol, uint32_t* result);
typedef uint32_t (*SysSockCloseFunction)(SocketHandle socket);
typedef uint32_t (*SysSockSetOptionFunction)(SocketHandle socket, int32_t level, int32_t option, const void* value,
                                             int32_t length);
typedef uint32_t (*SysSockGetOptionFunction)(SocketHandle socket, int32_t level, int32_t option, void* value,
                                             int32_t* length);
typedef uint32_t (*SysSockBindFunction)(SocketHandle socket, SocketAddress* address, int32_t length);
typedef uint32_t (*SysSockConnectFunction)(SocketHandle socket, SocketAddress* address, int32_t length);
typedef uint32_t (*SysSockListenFunction)(SocketHandle socket, int32_t backlog);
typedef SocketHandle (*SysSockAcceptFunction)(SocketHandle socket, SocketAddress* address, int32_t* length,
                                              uint32_t* result);
typedef uint32_t (*SysSockShutdownFunction)(SocketHandle socket, int32_t how);
typedef uint32_t (*SysSockIoctlFunction)(SocketHandle socket, int32_t command, uint32_t* argument);
typedef uint32_t (*SysSockSelectFunction)(int32_t highest, SocketSet* read, SocketSet* write, SocketSet* error,
                                          SocketTimeout* timeout, int32_t* readyCount);
typedef uint32_t (*SysSockRecvFunction)(SocketHandle socket, void* buffer, uint32_t size, int32_t flags,
                                        uint32_t* result);
typedef uint32_t (*SysSockSendFunction)(SocketHandle socket, const void* data, uint32_t size, int32_t flags,
                                        uint32_t* result);
typedef uint32_t (*SysSockRecvFromFunction)(SocketHandle socket, void* buffer, uint32_t size, int32_t flags,
                                            SocketAddress* address, int32_t addressLength, uint32_t* result);
typedef uint32_t (*SysSockSendToFunction)(SocketHandle socket, const void* data, uint32_t size, int32_t flags,
                                          SocketAddress* address, int32_t addressLength, uint32_t* result);
typedef uint32_t (*SysSockGetHostNameFunction)(char* buffer, uint32_t size);
typedef uint32_t (*SysSockGetHostByNameFunction)(const char* name, HostInfo* info);
typedef uint32_t (*SysSockInetAddrFunction)(const char* text, uint32_t* address);
typedef uint32_t (*SysSockInetNtoaFunction)(const uint32_t* address, char* buffer, uint32_t size);
typedef uint16_t (*SysSockHtonsFunction)(uint16_t value);
typedef uint16_t (*SysSockNtohsFunction)(uint16_t value);
typedef uint32_t (*SysSockHtonlFunction)(uint32_t value);
typedef uint32_t (*SysSockNtohlFunction)(uint32_t value);
typedef void (*SysSockFdZeroFunction)(SocketSet* set);
typedef void (*SysSockFdInitFunction)(SocketHandle socket, SocketSet* set);
typedef int32_t (*SysSockFdIssetFunction)(SocketHandle socket, SocketSet* set);
typedef SocketHandle (*SysSockGetOSHandleFunction)(SocketHandle socket);

typedef SocketHandle (*SysSockCreateUdpFunction)(uint32_t ignored, uint16_t port, uint32_t* result);
typedef uint32_t (*SysSockCloseUdpFunction)(SocketHandle socket);
typedef uint32_t (*SysSockSendToUdpFunction)(SocketHandle socket, uint16_t port, const char* address,
                                             const void* data, uint32_t size, uint32_t* result);
typedef uint32_t (*SysSockRecvFromUdpFunction)(SocketHandle socket, void* buffer, uint32_t size, UdpPeerInfo* peer,
                                               uint32_t* result);
typedef uint32_t (*SysSockGetRecvSizeUdpFunction)(SocketHandle socket, uint32_t waitMilliseconds, uint32_t* result);
typedef uint32_t (*SysSockPingFunction)(const char* host, uint32_t timeoutMilliseconds, uint32_t* replyTime);
typedef uint32_t (*SysSockGetSubnetMaskFunction)(const char* address, char* buffer, uint32_t size);
typedef uint32_t (*SysSockSetSubnetMaskFunction)(const char* ignored1, const char* ignored2);
typedef uint32_t (*SysSockSetIPAddressFunction)(const char* ignored1, const char* ignored2);

#ifdef __cplusplus
}  // extern "C"
#endif
