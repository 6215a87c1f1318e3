// Sending and receiving. These are the hot paths: no allocation, no copy of
// the data, one system call per transfer unless a signal interrupts it.

#include "error_table.h"
#include "option_table.h"
#include "socket_api.h"
#include "system_calls.h"

#include <cerrno>
#include <cstring>
#include <netinet/in.h>

using gantrel::descriptor;
using gantrel::report;
using gantrel::resultFromSocketError;
using gantrel::systemCalls;
using gantrel::translateMessageFlags;

namespace {

// A peer that has gone must come back as a result code, never as SIGPIPE.
constexpr int kSendFlags = MSG_NOSIGNAL;

// The count of a finished transfer, with its result: a failure is mapped, and
// a transfer of 0 bytes when more were asked for means the peer closed.
uint32_t finish(int fd, ssize_t transferred, int linuxFlags, uint32_t* result) {
  if (transferred < 0) {
    report(result, resultFromSocketError(fd, errno, linuxFlags));
    return 0;
  }
  if (transferred == 0) {
    report(result, RESULT_SOCK_CONNECTION_CLOSED);
    return 0;
  }
  report(result, RESULT_OK);
  return static_cast<uint32_t>(transferred);
}

}  // namespace

extern "C" {

uint32_t SysSockRecv(SocketHandle socket, void* buffer, uint32_t size, int32_t flags, uint32_t* result) {
  if (socket == INVALID_SOCKET_HANDLE || buffer == nullptr) {
    report(result, RESULT_BAD_PARAMETER);
    return 0;
  }
  // Asking for nothing receives nothing; it says nothing about the peer.
  if (size == 0) {
    report(result, RESULT_OK);
    return 0;
  }
  const gantrel::SystemCalls& sys = systemCalls();
  int fd = descriptor(socket);
  int linuxFlags = translateMessageFlags(flags);
  ssize_t received;
  do {
    received = sys.recv(fd, buffer, size, linuxFlags);
  } while (received < 0 && errno == EINTR);
  return finish(fd, received, linuxFlags, result);
}

uint32_t SysSockSend(SocketHandle socket, const void* data, uint32_t size, int32_t flags, uint32_t* result) {
  if (socket == INVALID_SOCKET_HANDLE || data == nullptr) {
    report(result, RESULT_BAD_PARAMETER);
    return 0;
  }
  const gantrel::SystemCalls& sys = systemCalls();
  int fd = descriptor(socket);
  int linuxFlags = translateMessageFlags(flags) | kSendFlags;
  ssize_t sent;
  do {
    sent = sys.send(fd, data, size, linuxFlags);
  } while (sent < 0 && errno == EINTR);
  // Sending nothing succeeds (on a datagram socket it sends an empty datagram).
  if (sent == 0 && size == 0) {
    report(result, RESULT_OK);
    return 0;
  }
  return finish(fd, sent, linuxFlags, result);
}

uint32_t SysSockRecvFrom(SocketHandle socket, void* buffer, uint32_t size, int32_t flags, SocketAddress* address,
                         int32_t, uint32_t* result) {
  if (socket == INVALID_SOCKET_HANDLE || buffer == nullptr || address == nullptr) {
    report(result, RESULT_BAD_PARAMETER);
    return 0;
  }
  if (size == 0) {
    report(result, RESULT_OK);
    return 0;
  }
  const gantrel::SystemCalls& sys = systemCalls();
  int fd = descriptor(socket);
  int linuxFlags = translateMessageFlags(flags);
  // A connected stream socket reports no peer; the caller's address stays.
  sockaddr_in peer;
  std::memcpy(&peer, address, sizeof peer);
  socklen_t peerLength = sizeof peer;
  ssize_t received;
  do {
    received = sys.recvfrom(fd, buffer, size, linuxFlags, reinterpret_cast<sockaddr*>(&peer), &peerLength);
  } while (received < 0 && errno == EINTR);
  if (received > 0) std::memcpy(address, &peer, sizeof *address);
  return finish(fd, received, linuxFlags, result);
}

uint32_t SysSockSendTo(SocketHandle socket, const void* data, uint32_t size, int32_t flags, SocketAddress* address,
                       int32_t, uint32_t* result) {
  if (socket == INVALID_SOCKET_HANDLE || data == nullptr || address == nullptr) {
    report(result, RESULT_BAD_PARAMETER);
    return 0;
  }
  const gantrel::SystemCalls& sys = systemCalls();
  int fd = descriptor(socket);
  int linuxFlags = translateMessageFlags(flags) | kSendFlags;
  sockaddr_in destination;
  std::memcpy(&destination, address, sizeof destination);
  ssize_t sent;
  do {
    sent = sys.sendto(fd, data, size, linuxFlags, reinterpret_cast<sockaddr*>(&destination), sizeof destination);
  } while (sent < 0 && errno == EINTR);
  if (sent < 0) {
    report(result, resultFromSocketError(fd, errno, linuxFlags));
    return 0;
  }
  // An empty datagram is a datagram: 0 bytes sent is success here.
  report(result, RESULT_OK);
  return static_cast<uint32_t>(sent);
}

}  // extern "C"
