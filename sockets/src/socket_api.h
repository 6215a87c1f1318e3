#pragma once

// Gantrel's API functions. They are registered with the host by name; the
// library exports none of them as a symbol. Their types are in
// <sockets/syssock_api.h>.

#include <sockets/syssock.h>

extern "C" {
// Sockets.
SocketHandle SysSockCreate(int32_t family, int32_t type, int32_t protocol, uint32_t* result);
uint32_t SysSockClose(SocketHandle socket);
uint32_t SysSockBind(SocketHandle socket, SocketAddress* address, int32_t length);
uint32_t SysSockConnect(SocketHandle socket, SocketAddress* address, int32_t length);
uint32_t SysSockListen(SocketHandle socket, int32_t backlog);
SocketHandle SysSockAccept(SocketHandle socket, SocketAddress* address, int32_t* length, uint32_t* result);
uint32_t SysSockShutdown(SocketHandle socket, int32_t how);
uint32_t SysSockIoctl(SocketHandle socket, int32_t command, uint32_t* argument);
SocketHandle SysSockGetOSHandle(SocketHandle socket);

// Options.
uint32_t SysSockSetOption(SocketHandle socket, int32_t level, int32_t option, const void* value, int32_t length);
uint32_t SysSockGetOption(SocketHandle socket, int32_t level, int32_t option, void* value, int32_t* length);

// Data.
uint32_t SysSockRecv(SocketHandle socket, void* buffer, uint32_t size, int32_t flags, uint32_t* result);
uint32_t SysSockSend(SocketHandle socket, const void* data, uint32_t size, int32_t flags, uint32_t* result);
uint32_t SysSockRecvFrom(SocketHandle socket, void* buffer, uint32_t size, int32_t flags, SocketAddress* address,
                         int32_t addressLength, uint32_t* result);
uint32_t SysSockSendTo(SocketHandle socket, const void* data, uint32_t size, int32_t flags, SocketAddress* address,
                       int32_t addressLength, uint32_t* result);

// Readiness and sets.
uint32_t SysSockSelect(int32_t highest, SocketSet* read, SocketSet* write, SocketSet* error, SocketTimeout* timeout,
                       int32_t* readyCount);
void SysSockFdZero(SocketSet* set);
void SysSockFdInit(SocketHandle socket, SocketSet* set);
int32_t SysSockFdIsset(SocketHandle socket, SocketSet* set);

// Names, addresses and byte order.
uint32_t SysSockGetHostName(char* buffer, uint32_t size);
uint32_t SysSockGetHostByName(const char* name, HostInfo* info);
uint32_t SysSockInetAddr(const char* text, uint32_t* address);
uint32_t SysSockInetNtoa(const uint32_t* address, char* buffer, uint32_t size);
uint16_t SysSockHtons(uint16_t value);
uint16_t SysSockNtohs(uint16_t value);
uint32_t SysSockHtonl(uint32_t value);
uint32_t SysSockNtohl(uint32_t value);

// UDP helpers.
SocketHandle SysSockCreateUdp(uint32_t ignored, uint16_t port, uint32_t* result);
uint32_t SysSockCloseUdp(SocketHandle socket);
uint32_t SysSockSendToUdp(SocketHandle socket, uint16_t port, const char* address, const void* data, uint32_t size,
                          uint32_t* result);
uint32_t SysSockRecvFromUdp(SocketHandle socket, void* buffer, uint32_t size, UdpPeerInfo* peer, uint32_t* result);
uint32_t SysSockGetRecvSizeUdp(SocketHandle socket, uint32_t waitMilliseconds, uint32_t* result);

// Ping and adapter configuration.
uint32_t SysSockPing(const char* host, uint32_t timeoutMilliseconds, uint32_t* replyTime);
uint32_t SysSockGetSubnetMask(const char* address, char* buffer, uint32_t size);
uint32_t SysSockSetSubnetMask(const char* ignored1, const char* ignored2);
uint32_t SysSockSetIPAddress(const char* ignored1, const char* ignored2);
}

namespace gantrel {

// Writes `value` through an optional result pointer.
inline void report(uint32_t* result, uint32_t value) {
  if (result != nullptr) *result = value;
}

// The descriptor behind a handle. Handles above INT_MAX become negative
// descriptors, which Linux refuses with EBADF.
inline int descriptor(SocketHandle socket) { return static_cast<int>(socket); }

}  // namespace gantrel
