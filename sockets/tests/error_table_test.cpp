// The translation of the platform's failures into result codes.

#include "error_table.h"
#include "loopback.h"

#include <cerrno>
#include <netdb.h>

namespace {

using gantrel_test::makeSocket;

TEST(ErrorTable, TranslatesEachPlatformFailureToItsResultCode) {
  struct Case {
    gantrel::ErrorOrigin origin;
    int code;
    uint32_t expected;
  };
  constexpr auto kSystem = gantrel::ErrorOrigin::System;
  constexpr auto kResolver = gantrel::ErrorOrigin::Resolver;
  const Case cases[] = {
      {kSystem, 0, RESULT_OK},
      {kSystem, ENOTSOCK, RESULT_SOCK_NOT_A_SOCKET},
      {kSystem, EBADF, RESULT_SOCK_NOT_A_SOCKET},
      {kSystem, EAFNOSUPPORT, RESULT_SOCK_FAMILY_UNSUPPORTED},
      {kSystem, EPROTONOSUPPORT, RESULT_SOCK_PROTOCOL_UNSUPPORTED},
      {kSystem, ENOBUFS, RESULT_SOCK_NO_BUFFERS},
      {kSystem, ENOMEM, RESULT_SOCK_NO_BUFFERS},
      {kSystem, EWOULDBLOCK, RESULT_SOCK_WOULD_BLOCK},
      {kSystem, EAGAIN, RESULT_SOCK_WOULD_BLOCK},
      {kSystem, EINPROGRESS, RESULT_SOCK_WOULD_BLOCK},
      {kSystem, EADDRINUSE, RESULT_SOCK_ADDRESS_IN_USE},
      {kSystem, EADDRNOTAVAIL, RESULT_SOCK_ADDRESS_UNAVAILABLE},
      {kSystem, ECONNREFUSED, RESULT_SOCK_CONNECTION_REFUSED},
      {kSystem, ETIMEDOUT, RESULT_SOCK_TIMED_OUT},
      {kResolver, HOST_NOT_FOUND, RESULT_SOCK_HOST_NOT_FOUND},
      {kSystem, EHOSTUNREACH, RESULT_SOCK_HOST_UNREACHABLE},
      {kSystem, EISCONN, RESULT_SOCK_ALREADY_CONNECTED},
      {kSystem, ENOTCONN, RESULT_SOCK_NOT_CONNECTED},
      {kSystem, ESHUTDOWN, RESULT_SOCK_SHUT_DOWN},
      {kSystem, EMSGSIZE, RESULT_SOCK_MESSAGE_TOO_LONG},
      {kSystem, ENETDOWN, RESULT_SOCK_CONNECTION_CLOSED},
      {kSystem, ECONNABORTED, RESULT_SOCK_CONNECTION_CLOSED},
      {kSystem, ECONNRESET, RESULT_SOCK_CONNECTION_CLOSED},
      {kSystem, EPIPE, RESULT_SOCK_CONNECTION_CLOSED},
      // Everything else is a plain failure, including errors with close
      // neighbours in the table.
      {kSystem, EINVAL, RESULT_FAILED},
      {kSystem, EACCES, RESULT_FAILED},
      {kSystem, EINTR, RESULT_FAILED},
      {kSystem, ENETUNREACH, RESULT_FAILED},
      {kSystem, EMFILE, RESULT_FAILED},
      {kSystem, ENOPROTOOPT, RESULT_FAILED},
      {kSystem, ESOCKTNOSUPPORT, RESULT_FAILED},
      {kResolver, TRY_AGAIN, RESULT_FAILED},
      {kResolver, NO_RECOVERY, RESULT_FAILED},
      {kResolver, NO_DATA, RESULT_FAILED},
      // A resolver code is no errno, and the other way round.
      {kSystem, HOST_NOT_FOUND, RESULT_FAILED},
      {kResolver, ENOTSOCK, RESULT_FAILED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.origin == kSystem ? "errno " : "h_errno ") << c.code);
    uint32_t result = c.origin == kSystem ? gantrel::resultFromErrno(c.code) : gantrel::resultFromResolverError(c.code);
    EXPECT_EQ(result, c.expected);
  }
}

// Linux says EAGAIN both when a non-blocking call would block and when a
// blocking call ran into the socket's time-out; the socket's mode tells which.
TEST(ErrorTable, WouldBlockOnABlockingSocketIsATimeOut) {
  gantrel_test::OwnedSocket socket = makeSocket(SYSSOCK_SOCK_DGRAM);
  int fd = static_cast<int>(socket.get());
  EXPECT_EQ(gantrel::resultFromSocketError(fd, EAGAIN), RESULT_SOCK_TIMED_OUT);
  EXPECT_EQ(gantrel::resultFromSocketError(fd, EINPROGRESS), RESULT_SOCK_TIMED_OUT);
  EXPECT_EQ(gantrel::resultFromSocketError(fd, EAGAIN, MSG_DONTWAIT), RESULT_SOCK_WOULD_BLOCK);
  EXPECT_EQ(gantrel::resultFromSocketError(fd, ECONNRESET), RESULT_SOCK_CONNECTION_CLOSED);

  uint32_t nonBlocking = 1;
  ASSERT_EQ(SysSockIoctl(socket, SYSSOCK_IOCTL_NONBLOCKING, &nonBlocking), RESULT_OK);
  EXPECT_EQ(gantrel::resultFromSocketError(fd, EAGAIN), RESULT_SOCK_WOULD_BLOCK);
  EXPECT_EQ(gantrel::resultFromSocketError(fd, EINPROGRESS), RESULT_SOCK_WOULD_BLOCK);
}

}  // namespace
