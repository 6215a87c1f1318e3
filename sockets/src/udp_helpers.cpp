// Ready-made UDP: a broadcast-capable datagram socket bound to a port, sending
// to an address text, receiving with the sender as text, and asking how much
// waits. Built on the socket API; invalid arguments come back through the
// result pointer with a count of 0.

#include "socket_api.h"

#include <arpa/inet.h>

using gantrel::report;

namespace {

constexpr uint32_t kOn = 1;

SocketAddress ipv4Address(uint32_t address, uint16_t port) {
  SocketAddress result{};
  result.family = SYSSOCK_AF_INET;
  result.port = htons(port);
  result.address = address;
  return result;
}

}  // namespace

extern "C" {

SocketHandle SysSockCreateUdp(uint32_t, uint16_t port, uint32_t* result) {
  SocketHandle socket = SysSockCreate(SYSSOCK_AF_INET, SYSSOCK_SOCK_DGRAM, 0, nullptr);
  if (socket == INVALID_SOCKET_HANDLE) {
    report(result, RESULT_FAILED);
    return INVALID_SOCKET_HANDLE;
  }
  if (SysSockSetOption(socket, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_BROADCAST, &kOn, sizeof kOn) != RESULT_OK) {
    SysSockClose(socket);
    report(result, RESULT_FAILED);
    return INVALID_SOCKET_HANDLE;
  }
  SysSockSetOption(socket, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_USELOOPBACK, &kOn, sizeof kOn);
  if (port != 0) {
    SocketAddress any = ipv4Address(INADDR_ANY, port);
    if (SysSockBind(socket, &any, sizeof any) != RESULT_OK) {
      SysSockClose(socket);
      report(result, RESULT_FAILED);
      return INVALID_SOCKET_HANDLE;
    }
  }
  report(result, RESULT_OK);
  return socket;
}

uint32_t SysSockCloseUdp(SocketHandle socket) {
  SysSockClose(socket);
  return RESULT_OK;
}

uint32_t SysSockSendToUdp(SocketHandle socket, uint16_t port, const char* address, const void* data, uint32_t size,
                          uint32_t* result) {
  if (socket == INVALID_SOCKET_HANDLE || address == nullptr) {
    report(result, RESULT_BAD_PARAMETER);
    return 0;
  }
  // A text that does not convert leaves 255.255.255.255: the datagram is
  // broadcast, as callers of this helper have always had it.
  uint32_t destination = 0;
  SysSockInetAddr(address, &destination);
  SocketAddress to = ipv4Address(destination, port);
  return SysSockSendTo(socket, data, size, 0, &to, sizeof to, result);
}

uint32_t SysSockRecvFromUdp(SocketHandle socket, void* buffer, uint32_t size, UdpPeerInfo* peer, uint32_t* result) {
  if (socket == INVALID_SOCKET_HANDLE || buffer == nullptr || size == 0 || peer == nullptr) {
    report(result, RESULT_BAD_PARAMETER);
    return 0;
  }
  SocketAddress from{};
  uint32_t received = RESULT_OK;
  uint32_t count = SysSockRecvFrom(socket, buffer, size, 0, &from, sizeof from, &received);
  peer->count = count;
  report(result, received);
  if (received != RESULT_OK) return 0;
  peer->address = from.address;
  peer->port = ntohs(from.port);
  SysSockInetNtoa(&peer->address, peer->text, sizeof peer->text);
  return count;
}

uint32_t SysSockGetRecvSizeUdp(SocketHandle socket, uint32_t waitMilliseconds, uint32_t* result) {
  if (socket == INVALID_SOCKET_HANDLE) {
    report(result, RESULT_BAD_PARAMETER);
    return 0;
  }
  if (waitMilliseconds != 0) {
    SocketSet readable{};
    SysSockFdInit(socket, &readable);
    SocketTimeout wait{static_cast<int32_t>(waitMilliseconds / 1000),
                       static_cast<int32_t>(waitMilliseconds % 1000) * 1000};
    int32_t ready = 0;
    uint32_t waited = SysSockSelect(0, &readable, nullptr, nullptr, &wait, &ready);
    if (waited != RESULT_OK) {  // RESULT_SOCK_TIMED_OUT when nothing arrived
      report(result, waited);
      return 0;
    }
  }
  uint32_t bytes = 0;
  if (SysSockIoctl(socket, SYSSOCK_IOCTL_BYTES_READABLE, &bytes) != RESULT_OK) {
    report(result, RESULT_FAILED);
    return 0;
  }
  report(result, RESULT_OK);
  return bytes;
}

}  // extern "C"
