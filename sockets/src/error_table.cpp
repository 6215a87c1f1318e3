#include "error_table.h"

#include "system_calls.h"

#include <sockets/syssock.h>

#include <cerrno>
#include <fcntl.h>
#include <netdb.h>

namespace gantrel {

namespace {

constexpr ErrorOrigin kSystem = ErrorOrigin::System;

const ErrorMapping kErrorTable[] = {
    {kSystem, ENOTSOCK, RESULT_SOCK_NOT_A_SOCKET},
    {kSystem, EBADF, RESULT_SOCK_NOT_A_SOCKET},
    {kSystem, EAFNOSUPPORT, RESULT_SOCK_FAMILY_UNSUPPORTED},
    {kSystem, EPROTONOSUPPORT, RESULT_SOCK_PROTOCOL_UNSUPPORTED},
    {kSystem, ENOBUFS, RESULT_SOCK_NO_BUFFERS},
    {kSystem, ENOMEM, RESULT_SOCK_NO_BUFFERS},
    {kSystem, EWOULDBLOCK, RESULT_SOCK_WOULD_BLOCK},
#if EAGAIN != EWOULDBLOCK
    {kSystem, EAGAIN, RESULT_SOCK_WOULD_BLOCK},
#endif
    {kSystem, EINPROGRESS, RESULT_SOCK_WOULD_BLOCK},
    {kSystem, EADDRINUSE, RESULT_SOCK_ADDRESS_IN_USE},
    {kSystem, EADDRNOTAVAIL, RESULT_SOCK_ADDRESS_UNAVAILABLE},
    {kSystem, ECONNREFUSED, RESULT_SOCK_CONNECTION_REFUSED},
    {kSystem, ETIMEDOUT, RESULT_SOCK_TIMED_OUT},
    {ErrorOrigin::Resolver, HOST_NOT_FOUND, RESULT_SOCK_HOST_NOT_FOUND},
    {kSystem, EHOSTUNREACH, RESULT_SOCK_HOST_UNREACHABLE},
    {kSystem, EISCONN, RESULT_SOCK_ALREADY_CONNECTED},
    {kSystem, ENOTCONN, RESULT_SOCK_NOT_CONNECTED},
    {kSystem, ESHUTDOWN, RESULT_SOCK_SHUT_DOWN},
    {kSystem, EMSGSIZE, RESULT_SOCK_MESSAGE_TOO_LONG},
    {kSystem, ENETDOWN, RESULT_SOCK_CONNECTION_CLOSED},
    {kSystem, ECONNABORTED, RESULT_SOCK_CONNECTION_CLOSED},
    {kSystem, ECONNRESET, RESULT_SOCK_CONNECTION_CLOSED},
    // Linux reports a write to a connection the peer has reset as EPIPE.
    {kSystem, EPIPE, RESULT_SOCK_CONNECTION_CLOSED},
};

uint32_t lookup(ErrorOrigin origin, int code) {
  for (const ErrorMapping& mapping : kErrorTable) {
    if (mapping.origin == origin && mapping.code == code) return mapping.result;
  }
  return RESULT_FAILED;
}

}  // namespace

std::span<const ErrorMapping> errorTable() { return kErrorTable; }

uint32_t resultFromErrno(int error) { return error == 0 ? RESULT_OK : lookup(ErrorOrigin::System, error); }

uint32_t resultFromResolverError(int hostError) { return lookup(ErrorOrigin::Resolver, hostError); }

uint32_t resultFromSocketError(int fd, int error, int linuxFlags) {
  if (error == EAGAIN || error == EWOULDBLOCK || error == EINPROGRESS) {
    if ((linuxFlags & MSG_DONTWAIT) != 0) return RESULT_SOCK_WOULD_BLOCK;
    int status = systemCalls().getStatusFlags(fd);
    if (status != -1 && (status & O_NONBLOCK) == 0) return RESULT_SOCK_TIMED_OUT;
    return RESULT_SOCK_WOULD_BLOCK;
  }
  return resultFromErrno(error);
}

}  // namespace gantrel
