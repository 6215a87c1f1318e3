// Readiness through SysSockSelect over loopback sockets, and the set helpers.

#include "loopback.h"

#include <sys/resource.h>
#include <unistd.h>

namespace {

using gantrel_test::ConnectedPair;
using gantrel_test::loopbackAddress;
using gantrel_test::makeConnectedPair;
using gantrel_test::makeSocket;
using gantrel_test::OwnedSocket;

SocketSet setOf(std::initializer_list<SocketHandle> sockets) {
  SocketSet set{};
  for (SocketHandle socket : sockets) SysSockFdInit(socket, &set);
  return set;
}

SocketTimeout seconds(int32_t value) { return SocketTimeout{value, 0}; }

TEST(Select, NothingReadyWithinTheTimeOutIsATimeOut) {
  OwnedSocket socket = gantrel_test::makeBoundUdp();
  SocketSet read = setOf({socket});
  SocketTimeout none{0, 0};
  int32_t ready = -5;
  EXPECT_EQ(SysSockSelect(0, &read, nullptr, nullptr, &none, &ready), RESULT_SOCK_TIMED_OUT);
  EXPECT_EQ(ready, 0);
  EXPECT_EQ(read.count, 0u);

  SocketTimeout briefly{0, 20000};
  read = setOf({socket});
  EXPECT_EQ(SysSockSelect(0, &read, nullptr, nullptr, &briefly, &ready), RESULT_SOCK_TIMED_OUT);
}

TEST(Select, KeepsTheReadyEntriesOfEachSetAndCountsThem) {
  ConnectedPair pair = makeConnectedPair();
  ASSERT_EQ(SysSockSend(pair.client, "data", 4, 0, nullptr), 4u);
  SocketSet read = setOf({pair.client, pair.server});
  SocketSet write = setOf({pair.client});
  SocketSet error = setOf({pair.client, pair.server});
  SocketTimeout wait = seconds(5);
  int32_t ready = 0;
  ASSERT_EQ(SysSockSelect(1234, &read, &write, &error, &wait, &ready), RESULT_OK);
  EXPECT_EQ(ready, 2);
  EXPECT_EQ(read.count, 1u);
  EXPECT_EQ(SysSockFdIsset(pair.server, &read), 1);
  EXPECT_EQ(SysSockFdIsset(pair.client, &read), 0);
  EXPECT_EQ(SysSockFdIsset(pair.client, &write), 1);
  EXPECT_EQ(error.count, 0u);

  // A null time-out waits without limit; here something is ready at once.
  read = setOf({pair.server});
  EXPECT_EQ(SysSockSelect(0, &read, nullptr, nullptr, nullptr, &ready), RESULT_OK);
  EXPECT_EQ(ready, 1);
}

TEST(Select, APeersCloseMakesTheSocketReadable) {
  ConnectedPair pair = makeConnectedPair();
  pair.client.reset();
  SocketSet read = setOf({pair.server});
  SocketTimeout wait = seconds(5);
  int32_t ready = 0;
  ASSERT_EQ(SysSockSelect(0, &read, nullptr, nullptr, &wait, &ready), RESULT_OK);
  EXPECT_EQ(ready, 1);
  char buffer[4];
  uint32_t result = 0;
  EXPECT_EQ(SysSockRecv(pair.server, buffer, sizeof buffer, 0, &result), 0u);
  EXPECT_EQ(result, RESULT_SOCK_CONNECTION_CLOSED) << "the receive reports what made it readable";
}

OwnedSocket startConnect(uint16_t port) {
  OwnedSocket socket = makeSocket(SYSSOCK_SOCK_STREAM);
  uint32_t on = 1;
  EXPECT_EQ(SysSockIoctl(socket, SYSSOCK_IOCTL_NONBLOCKING, &on), RESULT_OK);
  SocketAddress address = loopbackAddress(port);
  uint32_t result = SysSockConnect(socket, &address, sizeof address);
  EXPECT_TRUE(result == RESULT_SOCK_WOULD_BLOCK || result == RESULT_SOCK_CONNECTION_REFUSED) << result;
  return socket;
}

TEST(Select, AFailedConnectionAttemptShowsInTheErrorSet) {
  OwnedSocket socket = startConnect(gantrel_test::unusedPort());
  SocketTimeout wait = seconds(5);
  int32_t ready = 0;

  SocketSet write = setOf({socket});
  SocketSet error = setOf({socket});
  ASSERT_EQ(SysSockSelect(0, nullptr, &write, &error, &wait, &ready), RESULT_OK);
  EXPECT_EQ(ready, 1);
  EXPECT_EQ(write.count, 0u) << "not reported as connected";
  EXPECT_EQ(SysSockFdIsset(socket, &error), 1);

  // Watched for writing alone, the pending error makes it writable, so
  // that the next send reports it.
  write = setOf({socket});
  ASSERT_EQ(SysSockSelect(0, nullptr, &write, nullptr, &wait, &ready), RESULT_OK);
  EXPECT_EQ(SysSockFdIsset(socket, &write), 1);

  uint32_t pending = 0xDEAD;
  int32_t length = 4;
  ASSERT_EQ(SysSockGetOption(socket, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_ERROR, &pending, &length), RESULT_OK);
  EXPECT_EQ(pending, RESULT_SOCK_CONNECTION_REFUSED);
  ASSERT_EQ(SysSockGetOption(socket, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_ERROR, &pending, &length), RESULT_OK);
  EXPECT_EQ(pending, RESULT_OK) << "reading the error clears it";
}

TEST(Select, AFinishedConnectionIsWritableAndNoError) {
  OwnedSocket listener = gantrel_test::makeListener();
  OwnedSocket socket = startConnect(gantrel_test::portOf(listener));
  SocketSet write = setOf({socket});
  SocketSet error = setOf({socket});
  SocketTimeout wait = seconds(5);
  int32_t ready = 0;
  ASSERT_EQ(SysSockSelect(0, nullptr, &write, &error, &wait, &ready), RESULT_OK);
  EXPECT_EQ(SysSockFdIsset(socket, &write), 1);
  EXPECT_EQ(error.count, 0u);
}

TEST(Select, OutOfBandDataShowsInTheErrorSet) {
  ConnectedPair pair = makeConnectedPair();
  ASSERT_EQ(SysSockSend(pair.client, "!", 1, SYSSOCK_MSG_OOB, nullptr), 1u);
  SocketSet error = setOf({pair.server});
  SocketTimeout wait = seconds(5);
  int32_t ready = 0;
  ASSERT_EQ(SysSockSelect(0, nullptr, nullptr, &error, &wait, &ready), RESULT_OK);
  EXPECT_EQ(SysSockFdIsset(pair.server, &error), 1);
  char urgent = 0;
  EXPECT_EQ(SysSockRecv(pair.server, &urgent, 1, SYSSOCK_MSG_OOB, nullptr), 1u);
  EXPECT_EQ(urgent, '!');
}

TEST(Select, WorksForDescriptorsBeyondTheClassicSetLimit) {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  constexpr int kHighDescriptor = 1500;
  if (limit.rlim_cur <= kHighDescriptor) {
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, kHighDescriptor + 1);
    setrlimit(RLIMIT_NOFILE, &limit);
  }
  OwnedSocket socket = gantrel_test::makeBoundUdp();
  if (dup2(static_cast<int>(socket.get()), kHighDescriptor) != kHighDescriptor) {
    GTEST_SKIP() << "this process may not open descriptor " << kHighDescriptor;
  }
  OwnedSocket high(kHighDescriptor);
  SocketAddress to = loopbackAddress(gantrel_test::portOf(high));
  ASSERT_EQ(SysSockSendTo(socket, "x", 1, 0, &to, 16, nullptr), 1u);
  SocketSet read = setOf({high});
  SocketTimeout wait = seconds(5);
  int32_t ready = 0;
  EXPECT_EQ(SysSockSelect(0, &read, nullptr, nullptr, &wait, &ready), RESULT_OK);
  EXPECT_EQ(SysSockFdIsset(high, &read), 1);
}

TEST(Select, RefusesHandlesThatAreNoSocketsAndMalformedArguments) {
  OwnedSocket socket = gantrel_test::makeBoundUdp();
  SocketHandle closed = makeSocket(SYSSOCK_SOCK_DGRAM).release();
  SysSockClose(closed);
  SocketTimeout none{0, 0};
  int32_t ready = 0;

  for (SocketHandle bad : {closed, INVALID_SOCKET_HANDLE, 0x80000000u}) {
    SCOPED_TRACE(bad);
    SocketSet read = setOf({socket, bad});
    EXPECT_EQ(SysSockSelect(0, &read, nullptr, nullptr, &none, &ready), RESULT_SOCK_NOT_A_SOCKET);
    EXPECT_EQ(ready, -1);
    EXPECT_EQ(read.count, 2u) << "the set is left as it was";
  }

  SocketSet oversized = setOf({socket});
  oversized.count = 65;
  EXPECT_EQ(SysSockSelect(0, &oversized, nullptr, nullptr, &none, &ready), RESULT_BAD_PARAMETER);
  SocketSet read = setOf({socket});
  EXPECT_EQ(SysSockSelect(0, &read, nullptr, nullptr, &none, nullptr), RESULT_BAD_PARAMETER);
  SocketTimeout negative{-1, 0};
  EXPECT_EQ(SysSockSelect(0, &read, nullptr, nullptr, &negative, &ready), RESULT_FAILED);
}

TEST(SocketSets, HoldUpToSixtyFourHandles) {
  SocketSet set;
  set.count = 17;
  SysSockFdZero(&set);
  EXPECT_EQ(set.count, 0u);
  for (SocketHandle socket = 100; socket < 164; ++socket) SysSockFdInit(socket, &set);
  EXPECT_EQ(set.count, 64u);
  SysSockFdInit(500, &set);
  EXPECT_EQ(set.count, 64u) << "a full set stays as it is";
  EXPECT_EQ(SysSockFdIsset(500, &set), 0);
  EXPECT_EQ(SysSockFdIsset(163, &set), 1);
  SysSockFdInit(163, &set);  // no duplicate check, but the set is full anyway
  set.count = 3;
  EXPECT_EQ(SysSockFdIsset(163, &set), 0) << "only the counted entries are searched";
  SysSockFdInit(100, &set);
  EXPECT_EQ(set.count, 4u) << "no duplicate check";

  // Null sets are ignored rather than dereferenced.
  SysSockFdZero(nullptr);
  SysSockFdInit(1, nullptr);
  EXPECT_EQ(SysSockFdIsset(1, nullptr), 0);
}

}  // namespace
