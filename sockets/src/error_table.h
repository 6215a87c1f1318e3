#pragma once

// The one translation of the platform's failures into the component's result
// codes. Anything the table does not list is RESULT_FAILED.

#include <cstdint>
#include <span>

namespace gantrel {

// Where a failure code comes from: errno, or the resolver's h_errno.
enum class ErrorOrigin : uint8_t { System, Resolver };

struct ErrorMapping {
  ErrorOrigin origin;
  int code;
  uint32_t result;
};

std::span<const ErrorMapping> errorTable();

// errno → result code; 0 (no error) → RESULT_OK.
uint32_t resultFromErrno(int error);

// h_errno → result code.
uint32_t resultFromResolverError(int hostError);

// The result of a failed call on socket `fd`. A call that would block on a
// socket in blocking mode ran into the socket's own time-out (Linux reports
// EAGAIN, or EINPROGRESS for connect); that is RESULT_SOCK_TIMED_OUT. On a
// non-blocking socket, or with MSG_DONTWAIT in `linuxFlags`, it is
// RESULT_SOCK_WOULD_BLOCK. Every other error goes through the table.
uint32_t resultFromSocketError(int fd, int error, int linuxFlags = 0);

}  // namespace gantrel
