// Creating, closing, binding, connecting, listening and accepting sockets, and
// the socket control commands.

#include "error_table.h"
#include "socket_api.h"
#include "system_calls.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/ioctl.h>

using gantrel::descriptor;
using gantrel::report;
using gantrel::resultFromErrno;
using gantrel::resultFromSocketError;
using gantrel::systemCalls;

namespace {

static_assert(sizeof(sockaddr_in) == sizeof(SocketAddress), "the address layouts must agree byte for byte");

sockaddr_in toSockaddr(const SocketAddress& address) {
  sockaddr_in local;
  std::memcpy(&local, &address, sizeof local);
  return local;
}

// A blocking connect that a signal interrupted goes on in the background;
// wait for it to finish and report how it ended.
uint32_t finishInterruptedConnect(int fd) {
  const gantrel::SystemCalls& sys = systemCalls();
  pollfd entry{fd, POLLOUT, 0};
  int ready;
  do {
    ready = sys.poll(&entry, 1, -1);
  } while (ready < 0 && errno == EINTR);
  if (ready < 0) return resultFromErrno(errno);
  int error = 0;
  socklen_t length = sizeof error;
  if (sys.getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return resultFromErrno(errno);
  return resultFromErrno(error);
}

}  // namespace

extern "C" {

SocketHandle SysSockCreate(int32_t family, int32_t type, int32_t protocol, uint32_t* result) {
  // Sockets are not inherited by programs the runtime starts.
  int fd = systemCalls().socket(family, type | SOCK_CLOEXEC, protocol);
  if (fd < 0) {
    report(result, resultFromErrno(errno));
    return INVALID_SOCKET_HANDLE;
  }
  report(result, RESULT_OK);
  return static_cast<SocketHandle>(fd);
}

uint32_t SysSockClose(SocketHandle socket) {
  if (socket == INVALID_SOCKET_HANDLE) return RESULT_BAD_PARAMETER;
  if (systemCalls().close(descriptor(socket)) == 0) return RESULT_OK;
  // Linux releases the descriptor even when a signal interrupts the close;
  // closing again could close a descriptor another thread has just opened.
  return errno == EINTR ? RESULT_OK : resultFromErrno(errno);
}

uint32_t SysSockBind(SocketHandle socket, SocketAddress* address, int32_t) {
  if (socket == INVALID_SOCKET_HANDLE || address == nullptr) return RESULT_BAD_PARAMETER;
  sockaddr_in local = toSockaddr(*address);
  if (systemCalls().bind(descriptor(socket), reinterpret_cast<sockaddr*>(&local), sizeof local) == 0) return RESULT_OK;
  return resultFromErrno(errno);
}

uint32_t SysSockConnect(SocketHandle socket, SocketAddress* address, int32_t) {
  if (socket == INVALID_SOCKET_HANDLE || address == nullptr) return RESULT_BAD_PARAMETER;
  int fd = descriptor(socket);
  sockaddr_in local = toSockaddr(*address);
  if (systemCalls().connect(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0) return RESULT_OK;
  int error = errno;
  if (error == EINTR) return finishInterruptedConnect(fd);
  return resultFromSocketError(fd, error);
}

uint32_t SysSockListen(SocketHandle socket, int32_t backlog) {
  if (systemCalls().listen(descriptor(socket), backlog) == 0) return RESULT_OK;
  return resultFromErrno(errno);
}

SocketHandle SysSockAccept(SocketHandle socket, SocketAddress* address, int32_t* length, uint32_t* result) {
  if (socket == INVALID_SOCKET_HANDLE || address == nullptr || length == nullptr) {
    report(result, RESULT_BAD_PARAMETER);
    return INVALID_SOCKET_HANDLE;
  }
  const gantrel::SystemCalls& sys = systemCalls();
  int fd = descriptor(socket);
  // The accepted socket takes over the listening socket's blocking mode.
  int status = sys.getStatusFlags(fd);
  if (status == -1) {
    report(result, resultFromErrno(errno));
    return INVALID_SOCKET_HANDLE;
  }
  int flags = SOCK_CLOEXEC | ((status & O_NONBLOCK) != 0 ? SOCK_NONBLOCK : 0);
  sockaddr_in local = toSockaddr(*address);
  socklen_t localLength = sizeof local;
  int accepted;
  do {
    accepted = sys.accept4(fd, reinterpret_cast<sockaddr*>(&local), &localLength, flags);
  } while (accepted < 0 && errno == EINTR);
  if (accepted < 0) {
    report(result, resultFromSocketError(fd, errno));
    return INVALID_SOCKET_HANDLE;
  }
  std::memcpy(address, &local, sizeof *address);
  *length = sizeof *address;
  report(result, RESULT_OK);
  return static_cast<SocketHandle>(accepted);
}

uint32_t SysSockShutdown(SocketHandle socket, int32_t how) {
  if (systemCalls().shutdown(descriptor(socket), how) == 0) return RESULT_OK;
  return resultFromErrno(errno);
}

uint32_t SysSockIoctl(SocketHandle socket, int32_t command, uint32_t* argument) {
  if (argument == nullptr) return RESULT_BAD_PARAMETER;
  int value;
  unsigned long request;
  switch (command) {
    case SYSSOCK_IOCTL_BYTES_READABLE:
      request = FIONREAD;
      value = 0;
      break;
    case SYSSOCK_IOCTL_NONBLOCKING:
      request = FIONBIO;
      value = *argument != 0 ? 1 : 0;
      break;
    default:
      return RESULT_FAILED;
  }
  if (systemCalls().ioctlInt(descriptor(socket), request, &value) != 0) return resultFromErrno(errno);
  if (command == SYSSOCK_IOCTL_BYTES_READABLE) *argument = static_cast<uint32_t>(value);
  return RESULT_OK;
}

SocketHandle SysSockGetOSHandle(SocketHandle socket) { return socket; }

}  // extern "C"
