// TCP over loopback through the socket API: connections, transfers, the
// peer's close, refusals, blocking modes and time-outs.

#include "loopback.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <string>

namespace {

using gantrel_test::ConnectedPair;
using gantrel_test::loopbackAddress;
using gantrel_test::makeConnectedPair;
using gantrel_test::makeListener;
using gantrel_test::makeSocket;
using gantrel_test::OwnedSocket;
using gantrel_test::portOf;

constexpr uint32_t kUntouched = 0xDEADu;

bool isNonBlocking(SocketHandle socket) { return (fcntl(static_cast<int>(socket), F_GETFL) & O_NONBLOCK) != 0; }

void waitReadable(SocketHandle socket) {
  pollfd entry{static_cast<int>(socket), POLLIN, 0};
  ASSERT_EQ(poll(&entry, 1, 5000), 1);
}

TEST(Tcp, ConnectsAcceptsAndTransfersBothWays) {
  OwnedSocket listener = makeListener();
  OwnedSocket client = makeSocket(SYSSOCK_SOCK_STREAM);
  SocketAddress address = loopbackAddress(portOf(listener));
  ASSERT_EQ(SysSockConnect(client, &address, 0), RESULT_OK) << "the length argument is not used";

  SocketAddress peer{};
  int32_t length = 0;
  uint32_t result = kUntouched;
  OwnedSocket server(SysSockAccept(listener, &peer, &length, &result));
  ASSERT_EQ(result, RESULT_OK);
  EXPECT_EQ(length, 16);
  EXPECT_EQ(peer.family, SYSSOCK_AF_INET);
  EXPECT_EQ(peer.address, htonl(INADDR_LOOPBACK));
  EXPECT_EQ(ntohs(peer.port), portOf(client));
  EXPECT_EQ(SysSockGetOSHandle(server), server.get());

  const char request[] = "request";
  EXPECT_EQ(SysSockSend(client, request, sizeof request, 0, &result), sizeof request);
  EXPECT_EQ(result, RESULT_OK);
  char buffer[64] = {};
  EXPECT_EQ(SysSockRecv(server, buffer, sizeof buffer, 0, &result), sizeof request);
  EXPECT_EQ(result, RESULT_OK);
  EXPECT_STREQ(buffer, request);

  EXPECT_EQ(SysSockSend(server, "ok", 2, 0, nullptr), 2u) << "the result pointer is optional";
  EXPECT_EQ(SysSockRecv(client, buffer, sizeof buffer, 0, nullptr), 2u);
}

TEST(Tcp, ThePeersCloseIsAClosedConnectionAndNeverASignal) {
  // A SIGPIPE would end this test program.
  std::signal(SIGPIPE, SIG_DFL);
  ConnectedPair pair = makeConnectedPair();
  pair.server.reset();

  char buffer[16];
  uint32_t result = kUntouched;
  EXPECT_EQ(SysSockRecv(pair.client, buffer, sizeof buffer, 0, &result), 0u);
  EXPECT_EQ(result, RESULT_SOCK_CONNECTION_CLOSED);

  // The first send may still be accepted; the peer answers it with a reset,
  // after which sending fails.
  for (int attempt = 0; attempt < 50; ++attempt) {
    result = kUntouched;
    SysSockSend(pair.client, "x", 1, 0, &result);
    if (result != RESULT_OK) break;
    usleep(10000);
  }
  EXPECT_EQ(result, RESULT_SOCK_CONNECTION_CLOSED);
}

TEST(Tcp, AShutDownSideReportsTheCloseToItsPeer) {
  ConnectedPair pair = makeConnectedPair();
  ASSERT_EQ(SysSockShutdown(pair.client, SYSSOCK_SD_SEND), RESULT_OK);
  char buffer[4];
  uint32_t result = kUntouched;
  EXPECT_EQ(SysSockRecv(pair.server, buffer, sizeof buffer, 0, &result), 0u);
  EXPECT_EQ(result, RESULT_SOCK_CONNECTION_CLOSED);
  // Receiving still works on the side that only stopped sending.
  EXPECT_EQ(SysSockSend(pair.server, "abc", 3, 0, &result), 3u);
  EXPECT_EQ(SysSockRecv(pair.client, buffer, sizeof buffer, 0, &result), 3u);
  EXPECT_EQ(SysSockShutdown(INVALID_SOCKET_HANDLE, SYSSOCK_SD_BOTH), RESULT_SOCK_NOT_A_SOCKET);
}

TEST(Tcp, ConnectingToAPortWithoutListenerIsRefused) {
  OwnedSocket client = makeSocket(SYSSOCK_SOCK_STREAM);
  SocketAddress address = loopbackAddress(gantrel_test::unusedPort());
  EXPECT_EQ(SysSockConnect(client, &address, sizeof address), RESULT_SOCK_CONNECTION_REFUSED);
}

TEST(Tcp, NonBlockingCallsThatWouldWaitSayWouldBlock) {
  OwnedSocket listener = makeListener();
  uint32_t on = 1;
  ASSERT_EQ(SysSockIoctl(listener, SYSSOCK_IOCTL_NONBLOCKING, &on), RESULT_OK);
  SocketAddress peer{};
  int32_t length = 0;
  uint32_t result = kUntouched;
  EXPECT_EQ(SysSockAccept(listener, &peer, &length, &result), INVALID_SOCKET_HANDLE);
  EXPECT_EQ(result, RESULT_SOCK_WOULD_BLOCK);

  OwnedSocket client = makeSocket(SYSSOCK_SOCK_STREAM);
  ASSERT_EQ(SysSockIoctl(client, SYSSOCK_IOCTL_NONBLOCKING, &on), RESULT_OK);
  SocketAddress address = loopbackAddress(portOf(listener));
  EXPECT_EQ(SysSockConnect(client, &address, sizeof address), RESULT_SOCK_WOULD_BLOCK) << "connection under way";

  waitReadable(listener);
  OwnedSocket server(SysSockAccept(listener, &peer, &length, &result));
  ASSERT_EQ(result, RESULT_OK);
  EXPECT_TRUE(isNonBlocking(server)) << "an accepted socket takes the listener's mode";
  char buffer[8];
  EXPECT_EQ(SysSockRecv(server, buffer, sizeof buffer, 0, &result), 0u);
  EXPECT_EQ(result, RESULT_SOCK_WOULD_BLOCK);

  uint32_t off = 0;
  ASSERT_EQ(SysSockIoctl(server, SYSSOCK_IOCTL_NONBLOCKING, &off), RESULT_OK);
  EXPECT_FALSE(isNonBlocking(server));
}

TEST(Tcp, AcceptedSocketsOfABlockingListenerBlock) {
  ConnectedPair pair = makeConnectedPair();
  EXPECT_FALSE(isNonBlocking(pair.server));
  EXPECT_FALSE(isNonBlocking(pair.client)) << "sockets start blocking";
}

TEST(Tcp, ABlockingReceiveWhoseTimeOutExpiresTimesOut) {
  ConnectedPair pair = makeConnectedPair();
  uint32_t milliseconds = 50;
  ASSERT_EQ(SysSockSetOption(pair.server, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_RCVTIMEO, &milliseconds, 4), RESULT_OK);
  char buffer[8];
  uint32_t result = kUntouched;
  EXPECT_EQ(SysSockRecv(pair.server, buffer, sizeof buffer, 0, &result), 0u);
  EXPECT_EQ(result, RESULT_SOCK_TIMED_OUT);
}

TEST(Tcp, IoctlCountsReadableBytesAndRefusesOtherCommands) {
  ConnectedPair pair = makeConnectedPair();
  ASSERT_EQ(SysSockSend(pair.client, "12345", 5, 0, nullptr), 5u);
  waitReadable(pair.server);
  uint32_t readable = 0;
  EXPECT_EQ(SysSockIoctl(pair.server, SYSSOCK_IOCTL_BYTES_READABLE, &readable), RESULT_OK);
  EXPECT_EQ(readable, 5u);
  uint32_t argument = 0;
  EXPECT_EQ(SysSockIoctl(pair.server, 3, &argument), RESULT_FAILED);
  EXPECT_EQ(SysSockIoctl(pair.server, SYSSOCK_IOCTL_BYTES_READABLE, nullptr), RESULT_BAD_PARAMETER);
  EXPECT_EQ(SysSockIoctl(0x7FFFFFF0u, SYSSOCK_IOCTL_BYTES_READABLE, &argument), RESULT_SOCK_NOT_A_SOCKET);
}

TEST(Tcp, MessageFlagsReachTheConnection) {
  ConnectedPair pair = makeConnectedPair();
  ASSERT_EQ(SysSockSend(pair.client, "peek", 4, 0, nullptr), 4u);
  char buffer[8] = {};
  EXPECT_EQ(SysSockRecv(pair.server, buffer, 4, SYSSOCK_MSG_PEEK | SYSSOCK_MSG_WAITALL, nullptr), 4u);
  EXPECT_EQ(SysSockRecv(pair.server, buffer, 4, 0, nullptr), 4u) << "a peek leaves the data";
  EXPECT_EQ(std::string(buffer, 4), "peek");
}

TEST(Tcp, ErrorsOfCreateBindAndCloseAreMapped) {
  uint32_t result = kUntouched;
  EXPECT_EQ(SysSockCreate(9999, SYSSOCK_SOCK_STREAM, 0, &result), INVALID_SOCKET_HANDLE);
  EXPECT_EQ(result, RESULT_SOCK_FAMILY_UNSUPPORTED);
  EXPECT_EQ(SysSockCreate(SYSSOCK_AF_INET, SYSSOCK_SOCK_STREAM, SYSSOCK_IPPROTO_UDP, &result), INVALID_SOCKET_HANDLE);
  EXPECT_EQ(result, RESULT_SOCK_PROTOCOL_UNSUPPORTED);

  OwnedSocket first = gantrel_test::makeListener();
  OwnedSocket second = makeSocket(SYSSOCK_SOCK_STREAM);
  SocketAddress taken = loopbackAddress(portOf(first));
  EXPECT_EQ(SysSockBind(second, &taken, sizeof taken), RESULT_SOCK_ADDRESS_IN_USE);
  SocketAddress foreign = loopbackAddress(0);
  foreign.address = htonl(0xC6336477);  // 198.51.100.119, a documentation address no interface holds
  EXPECT_EQ(SysSockBind(second, &foreign, sizeof foreign), RESULT_SOCK_ADDRESS_UNAVAILABLE);

  SocketHandle closed = second.release();
  EXPECT_EQ(SysSockClose(closed), RESULT_OK);
  EXPECT_EQ(SysSockClose(closed), RESULT_SOCK_NOT_A_SOCKET);
  EXPECT_EQ(SysSockClose(INVALID_SOCKET_HANDLE), RESULT_BAD_PARAMETER);
}

TEST(Tcp, ConnectionStateErrorsAreMapped) {
  ConnectedPair pair = makeConnectedPair();
  sockaddr_in peer{};
  socklen_t length = sizeof peer;
  getpeername(static_cast<int>(pair.client.get()), reinterpret_cast<sockaddr*>(&peer), &length);
  SocketAddress address = loopbackAddress(ntohs(peer.sin_port));
  EXPECT_EQ(SysSockConnect(pair.client, &address, sizeof address), RESULT_SOCK_ALREADY_CONNECTED);
  char buffer[4];
  OwnedSocket unconnected = makeSocket(SYSSOCK_SOCK_STREAM);
  uint32_t result = kUntouched;
  SysSockRecv(unconnected, buffer, sizeof buffer, 0, &result);
  EXPECT_EQ(result, RESULT_SOCK_NOT_CONNECTED);
}

TEST(Tcp, InvalidArgumentsAreBadParameters) {
  ConnectedPair pair = makeConnectedPair();
  SocketAddress address{};
  int32_t length = 0;
  char buffer[4];
  int32_t value = 1;
  struct Case {
    const char* what;
    uint32_t returned;
    uint32_t result;  // reported through the result pointer, or kUntouched
  };
  uint32_t r[8];
  for (uint32_t& slot : r) slot = kUntouched;
  const Case cases[] = {
      {"bind, invalid socket", SysSockBind(INVALID_SOCKET_HANDLE, &address, 16), kUntouched},
      {"bind, null address", SysSockBind(pair.client, nullptr, 16), kUntouched},
      {"connect, null address", SysSockConnect(pair.client, nullptr, 16), kUntouched},
      {"accept, null address", SysSockAccept(pair.client, nullptr, &length, &r[0]), r[0]},
      {"accept, null length", SysSockAccept(pair.client, &address, nullptr, &r[1]), r[1]},
      {"recv, invalid socket", SysSockRecv(INVALID_SOCKET_HANDLE, buffer, 4, 0, &r[2]), r[2]},
      {"recv, null buffer", SysSockRecv(pair.client, nullptr, 4, 0, &r[3]), r[3]},
      {"send, null data", SysSockSend(pair.client, nullptr, 4, 0, &r[4]), r[4]},
      {"set option, null value", SysSockSetOption(pair.client, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_KEEPALIVE, nullptr, 4),
       kUntouched},
      {"get option, null length",
       SysSockGetOption(pair.client, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_KEEPALIVE, &value, nullptr), kUntouched},
      {"get option, invalid socket",
       SysSockGetOption(INVALID_SOCKET_HANDLE, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_KEEPALIVE, &value, &length),
       kUntouched},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.result == kUntouched) {
      EXPECT_EQ(c.returned, RESULT_BAD_PARAMETER);
    } else {
      EXPECT_EQ(c.result, RESULT_BAD_PARAMETER);
      EXPECT_TRUE(c.returned == 0 || c.returned == INVALID_SOCKET_HANDLE);
    }
  }
}

TEST(Tcp, TransfersOfNothingSucceedWithoutTouchingTheConnection) {
  ConnectedPair pair = makeConnectedPair();
  char buffer[4];
  uint32_t result = kUntouched;
  EXPECT_EQ(SysSockRecv(pair.server, buffer, 0, 0, &result), 0u);
  EXPECT_EQ(result, RESULT_OK) << "asking for 0 bytes is no sign of a closed connection";
  result = kUntouched;
  EXPECT_EQ(SysSockSend(pair.client, buffer, 0, 0, &result), 0u);
  EXPECT_EQ(result, RESULT_OK);
  ASSERT_EQ(SysSockSend(pair.client, "z", 1, 0, nullptr), 1u);
  EXPECT_EQ(SysSockRecv(pair.server, buffer, sizeof buffer, 0, &result), 1u);
}

}  // namespace
