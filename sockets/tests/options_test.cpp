// Socket options set and read back through the translation table, checked
// on the Linux side as well, and the options the table refuses.

#include "loopback.h"

#include <netinet/tcp.h>
#include <sys/time.h>

#include <cerrno>
#include <functional>

namespace {

using gantrel_test::makeSocket;
using gantrel_test::OwnedSocket;

int linuxInteger(int fd, int level, int option) {
  int value = -1;
  socklen_t length = sizeof value;
  EXPECT_EQ(getsockopt(fd, level, option, &value, &length), 0);
  return value;
}

uint32_t slotOf(uint16_t low, uint16_t high) { return static_cast<uint32_t>(high) << 16 | low; }

TEST(Options, AreSetAndReadBackThroughTheTranslation) {
  struct Case {
    const char* name;
    int32_t type;
    int32_t level;
    int32_t option;
    uint32_t value;
    std::function<bool(uint32_t)> readBack;
    std::function<void(int fd)> onLinux;
  };
  auto equals = [](uint32_t expected) { return [expected](uint32_t got) { return got == expected; }; };
  auto atLeast = [](uint32_t expected) { return [expected](uint32_t got) { return got >= expected; }; };
  auto linuxEquals = [](int level, int option, int expected) {
    return [=](int fd) { EXPECT_EQ(linuxInteger(fd, level, option), expected); };
  };
  const uint32_t linger7 = slotOf(1, 7);  // on, 7 seconds
  const Case cases[] = {
      {"reuse address", SYSSOCK_SOCK_STREAM, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_REUSEADDR, 1, equals(1),
       linuxEquals(SOL_SOCKET, SO_REUSEADDR, 1)},
      {"keep-alive", SYSSOCK_SOCK_STREAM, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_KEEPALIVE, 1, equals(1),
       linuxEquals(SOL_SOCKET, SO_KEEPALIVE, 1)},
      {"broadcast", SYSSOCK_SOCK_DGRAM, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_BROADCAST, 1, equals(1),
       linuxEquals(SOL_SOCKET, SO_BROADCAST, 1)},
      {"don't route", SYSSOCK_SOCK_DGRAM, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_DONTROUTE, 1, equals(1),
       linuxEquals(SOL_SOCKET, SO_DONTROUTE, 1)},
      {"out-of-band inline", SYSSOCK_SOCK_STREAM, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_OOBINLINE, 1, equals(1),
       linuxEquals(SOL_SOCKET, SO_OOBINLINE, 1)},
      {"linger", SYSSOCK_SOCK_STREAM, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_LINGER, linger7, equals(linger7),
       [](int fd) {
         linger value{};
         socklen_t length = sizeof value;
         ASSERT_EQ(getsockopt(fd, SOL_SOCKET, SO_LINGER, &value, &length), 0);
         EXPECT_EQ(value.l_onoff, 1);
         EXPECT_EQ(value.l_linger, 7);
       }},
      // Linux doubles buffer sizes for its own bookkeeping and reports that.
      {"send buffer", SYSSOCK_SOCK_STREAM, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_SNDBUF, 65536, atLeast(65536),
       [](int fd) { EXPECT_GE(linuxInteger(fd, SOL_SOCKET, SO_SNDBUF), 65536); }},
      {"receive buffer", SYSSOCK_SOCK_STREAM, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_RCVBUF, 32768, atLeast(32768),
       [](int fd) { EXPECT_GE(linuxInteger(fd, SOL_SOCKET, SO_RCVBUF), 32768); }},
      {"send time-out", SYSSOCK_SOCK_STREAM, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_SNDTIMEO, 1500, equals(1500),
       [](int fd) {
         timeval value{};
         socklen_t length = sizeof value;
         ASSERT_EQ(getsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &value, &length), 0);
         EXPECT_EQ(value.tv_sec, 1);
         EXPECT_EQ(value.tv_usec, 500000);
       }},
      {"receive time-out", SYSSOCK_SOCK_DGRAM, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_RCVTIMEO, 2000, equals(2000),
       [](int fd) {
         timeval value{};
         socklen_t length = sizeof value;
         ASSERT_EQ(getsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &value, &length), 0);
         EXPECT_EQ(value.tv_sec, 2);
       }},
      {"time-to-live", SYSSOCK_SOCK_DGRAM, SYSSOCK_IPPROTO_IP, SYSSOCK_IP_TTL, 33, equals(33),
       linuxEquals(IPPROTO_IP, IP_TTL, 33)},
      {"type of service", SYSSOCK_SOCK_DGRAM, SYSSOCK_IPPROTO_IP, SYSSOCK_IP_TOS, 0x10, equals(0x10),
       linuxEquals(IPPROTO_IP, IP_TOS, 0x10)},
      {"multicast time-to-live", SYSSOCK_SOCK_DGRAM, SYSSOCK_IPPROTO_IP, SYSSOCK_IP_MULTICAST_TTL, 5, equals(5),
       linuxEquals(IPPROTO_IP, IP_MULTICAST_TTL, 5)},
      {"multicast loop", SYSSOCK_SOCK_DGRAM, SYSSOCK_IPPROTO_IP, SYSSOCK_IP_MULTICAST_LOOP, 0, equals(0),
       linuxEquals(IPPROTO_IP, IP_MULTICAST_LOOP, 0)},
      {"no delay", SYSSOCK_SOCK_STREAM, SYSSOCK_IPPROTO_TCP, SYSSOCK_TCP_NODELAY, 1, equals(1),
       linuxEquals(IPPROTO_TCP, TCP_NODELAY, 1)},
      {"keep-alive idle", SYSSOCK_SOCK_STREAM, SYSSOCK_IPPROTO_TCP, SYSSOCK_TCP_KEEPALIVE, 30, equals(30),
       linuxEquals(IPPROTO_TCP, TCP_KEEPIDLE, 30)},
      {"keep-alive count", SYSSOCK_SOCK_STREAM, SYSSOCK_IPPROTO_TCP, SYSSOCK_TCP_KEEPCNT, 4, equals(4),
       linuxEquals(IPPROTO_TCP, TCP_KEEPCNT, 4)},
      {"keep-alive interval", SYSSOCK_SOCK_STREAM, SYSSOCK_IPPROTO_TCP, SYSSOCK_TCP_KEEPINTVL, 9, equals(9),
       linuxEquals(IPPROTO_TCP, TCP_KEEPINTVL, 9)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OwnedSocket socket = makeSocket(c.type);
    ASSERT_EQ(SysSockSetOption(socket, c.level, c.option, &c.value, 4), RESULT_OK);
    uint32_t value = 0xDEADBEEF;
    int32_t length = 16;
    ASSERT_EQ(SysSockGetOption(socket, c.level, c.option, &value, &length), RESULT_OK);
    EXPECT_EQ(length, 4);
    EXPECT_TRUE(c.readBack(value)) << "read back " << value;
    c.onLinux(static_cast<int>(socket.get()));
  }
}

TEST(Options, ReadOnlyOptionsReportTheSocketsState) {
  OwnedSocket stream = makeSocket(SYSSOCK_SOCK_STREAM);
  OwnedSocket datagram = makeSocket(SYSSOCK_SOCK_DGRAM);
  uint32_t value = 0;
  int32_t length = 4;
  EXPECT_EQ(SysSockGetOption(stream, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_TYPE, &value, &length), RESULT_OK);
  EXPECT_EQ(value, static_cast<uint32_t>(SYSSOCK_SOCK_STREAM));
  EXPECT_EQ(SysSockGetOption(datagram, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_TYPE, &value, &length), RESULT_OK);
  EXPECT_EQ(value, static_cast<uint32_t>(SYSSOCK_SOCK_DGRAM));
  value = 0xDEAD;
  EXPECT_EQ(SysSockGetOption(stream, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_ERROR, &value, &length), RESULT_OK);
  EXPECT_EQ(value, RESULT_OK) << "no pending error";
  OwnedSocket listener = gantrel_test::makeListener();
  EXPECT_EQ(SysSockGetOption(listener, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_ACCEPTCONN, &value, &length), RESULT_OK);
  EXPECT_EQ(value, 1u);
}

TEST(Options, TheMulticastInterfaceIsTranslated) {
  OwnedSocket socket = makeSocket(SYSSOCK_SOCK_DGRAM);
  const int fd = static_cast<int>(socket.get());
  const in_addr loopback{htonl(INADDR_LOOPBACK)};
  // QEMU's user-mode emulator, which runs the 32-bit tests on hosts without
  // 32-bit support, does not pass this option on to the kernel.
  if (setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &loopback, sizeof loopback) != 0 && errno == ENOPROTOOPT) {
    GTEST_SKIP() << "this platform does not offer IP_MULTICAST_IF (QEMU user-mode emulation lacks it)";
  }
  const uint32_t any = 0;
  ASSERT_EQ(SysSockSetOption(socket, SYSSOCK_IPPROTO_IP, SYSSOCK_IP_MULTICAST_IF, &any, 4), RESULT_OK);
  ASSERT_EQ(SysSockSetOption(socket, SYSSOCK_IPPROTO_IP, SYSSOCK_IP_MULTICAST_IF, &loopback, 4), RESULT_OK);
  uint32_t value = 0;
  int32_t length = 4;
  ASSERT_EQ(SysSockGetOption(socket, SYSSOCK_IPPROTO_IP, SYSSOCK_IP_MULTICAST_IF, &value, &length), RESULT_OK);
  EXPECT_EQ(value, htonl(INADDR_LOOPBACK));
  EXPECT_EQ(length, 4);
}

TEST(Options, MembershipsOfAMulticastGroupAreTranslated) {
  OwnedSocket socket = makeSocket(SYSSOCK_SOCK_DGRAM);
  // The group is joined on the loopback interface, so nothing leaves the host.
  ip_mreq membership{};
  membership.imr_multiaddr.s_addr = inet_addr("239.1.2.3");
  membership.imr_interface.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(SysSockSetOption(socket, SYSSOCK_IPPROTO_IP, SYSSOCK_IP_ADD_MEMBERSHIP, &membership, sizeof membership),
            RESULT_OK);
  EXPECT_EQ(SysSockSetOption(socket, SYSSOCK_IPPROTO_IP, SYSSOCK_IP_DROP_MEMBERSHIP, &membership, sizeof membership),
            RESULT_OK);
  EXPECT_NE(SysSockSetOption(socket, SYSSOCK_IPPROTO_IP, SYSSOCK_IP_DROP_MEMBERSHIP, &membership, sizeof membership),
            RESULT_OK)
      << "the group was left already";
}

TEST(Options, WhatTheTableDoesNotKnowNeverReachesAnUnrelatedLinuxOption) {
  OwnedSocket socket = makeSocket(SYSSOCK_SOCK_DGRAM);
  const uint32_t one = 1;
  struct Case {
    const char* name;
    int32_t level;
    int32_t option;
    uint32_t expectSet;
    uint32_t expectGet;
  };
  const Case cases[] = {
      // Linux's SO_REUSEADDR is 2; here 2 is the read-only accept-connection state.
      {"socket level 2", SYSSOCK_SOL_SOCKET, 2, RESULT_FAILED, RESULT_OK},
      {"socket level, unknown", SYSSOCK_SOL_SOCKET, 0x1009, RESULT_FAILED, RESULT_FAILED},
      {"use loopback: no counterpart", SYSSOCK_SOL_SOCKET, SYSSOCK_SO_USELOOPBACK, RESULT_OK, RESULT_FAILED},
      {"error is read only", SYSSOCK_SOL_SOCKET, SYSSOCK_SO_ERROR, RESULT_FAILED, RESULT_OK},
      {"IP level, unknown", SYSSOCK_IPPROTO_IP, 14, RESULT_FAILED, RESULT_FAILED},
      // Linux reads level 1 as its socket level.
      {"ICMP level", SYSSOCK_IPPROTO_ICMP, 2, RESULT_FAILED, RESULT_FAILED},
      {"UDP level", SYSSOCK_IPPROTO_UDP, 1, RESULT_FAILED, RESULT_FAILED},
      {"TCP level, unknown", SYSSOCK_IPPROTO_TCP, 2, RESULT_FAILED, RESULT_FAILED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SysSockSetOption(socket, c.level, c.option, &one, 4), c.expectSet);
    uint32_t value = 0;
    int32_t length = 4;
    EXPECT_EQ(SysSockGetOption(socket, c.level, c.option, &value, &length), c.expectGet);
  }
  EXPECT_EQ(linuxInteger(static_cast<int>(socket.get()), SOL_SOCKET, SO_REUSEADDR), 0);
}

TEST(Options, ValuesShorterThanTheirFormatAreRefused) {
  OwnedSocket socket = makeSocket(SYSSOCK_SOCK_STREAM);
  const uint32_t one = 1;
  EXPECT_EQ(SysSockSetOption(socket, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_KEEPALIVE, &one, 2), RESULT_FAILED);
  EXPECT_EQ(SysSockSetOption(socket, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_LINGER, &one, 3), RESULT_FAILED);
  EXPECT_EQ(SysSockSetOption(socket, SYSSOCK_IPPROTO_IP, SYSSOCK_IP_OPTIONS, &one, -1), RESULT_FAILED);
  uint32_t value = 0xDEADBEEF;
  int32_t length = 2;
  EXPECT_EQ(SysSockGetOption(socket, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_KEEPALIVE, &value, &length), RESULT_FAILED);
  EXPECT_EQ(value, 0xDEADBEEFu);
  EXPECT_EQ(length, 2);
}

TEST(Options, OptionsOfAClosedSocketReportIt) {
  SocketHandle closed = makeSocket(SYSSOCK_SOCK_DGRAM).release();
  SysSockClose(closed);
  const uint32_t one = 1;
  EXPECT_EQ(SysSockSetOption(closed, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_BROADCAST, &one, 4), RESULT_SOCK_NOT_A_SOCKET);
  EXPECT_EQ(SysSockSetOption(closed, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_USELOOPBACK, &one, 4), RESULT_SOCK_NOT_A_SOCKET);
}

}  // namespace
