// The UDP helpers and datagram transfers over loopback.

#include "loopback.h"

#include <cstring>
#include <functional>
#include <vector>

namespace {

using gantrel_test::loopbackAddress;
using gantrel_test::makeSocket;
using gantrel_test::OwnedSocket;
using gantrel_test::portOf;

constexpr uint32_t kUntouched = 0xDEADu;

uint16_t unusedUdpPort() {
  OwnedSocket socket = gantrel_test::makeBoundUdp();
  return portOf(socket);
}

int linuxBroadcast(SocketHandle socket) {
  int value = -1;
  socklen_t length = sizeof value;
  getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_BROADCAST, &value, &length);
  return value;
}

TEST(UdpHelpers, CreateMakesABroadcastSocketBoundToThePortWhenOneIsGiven) {
  uint32_t result = kUntouched;
  OwnedSocket unbound(SysSockCreateUdp(0xFFFFFFFF, 0, &result));
  ASSERT_EQ(result, RESULT_OK);
  EXPECT_EQ(portOf(unbound), 0) << "port 0: not bound";
  EXPECT_EQ(linuxBroadcast(unbound), 1);

  uint16_t port = unusedUdpPort();
  OwnedSocket bound(SysSockCreateUdp(0, port, &result));
  ASSERT_EQ(result, RESULT_OK);
  EXPECT_EQ(portOf(bound), port);
  EXPECT_EQ(linuxBroadcast(bound), 1);

  result = kUntouched;
  EXPECT_EQ(SysSockCreateUdp(0, port, &result), INVALID_SOCKET_HANDLE) << "the port is taken";
  EXPECT_EQ(result, RESULT_FAILED) << "helpers report set-up failures as 1";
}

TEST(UdpHelpers, SendAndReceiveWithTheSendersAddressTextAndPort) {
  uint16_t port = unusedUdpPort();
  OwnedSocket receiver(SysSockCreateUdp(0, port, nullptr));
  OwnedSocket sender(SysSockCreateUdp(0, 0, nullptr));
  const char message[] = "datagram";
  uint32_t result = kUntouched;
  EXPECT_EQ(SysSockSendToUdp(sender, port, "127.0.0.1", message, sizeof message, &result), sizeof message);
  EXPECT_EQ(result, RESULT_OK);

  result = kUntouched;
  EXPECT_EQ(SysSockGetRecvSizeUdp(receiver, 2000, &result), sizeof message);
  EXPECT_EQ(result, RESULT_OK);

  char buffer[64] = {};
  UdpPeerInfo peer;
  std::memset(&peer, 0xCC, sizeof peer);
  result = kUntouched;
  EXPECT_EQ(SysSockRecvFromUdp(receiver, buffer, sizeof buffer, &peer, &result), sizeof message);
  EXPECT_EQ(result, RESULT_OK);
  EXPECT_STREQ(buffer, message);
  EXPECT_EQ(peer.address, htonl(INADDR_LOOPBACK));
  EXPECT_STREQ(peer.text, "127.0.0.1");
  EXPECT_EQ(peer.count, sizeof message);
  EXPECT_EQ(peer.port, portOf(sender)) << "in host byte order";

  EXPECT_EQ(SysSockGetRecvSizeUdp(receiver, 0, &result), 0u);
  EXPECT_EQ(result, RESULT_OK) << "without a wait, nothing waiting is no failure";
}

TEST(UdpHelpers, AWaitThatEndsWithoutDataIsATimeOut) {
  OwnedSocket receiver(SysSockCreateUdp(0, unusedUdpPort(), nullptr));
  uint32_t result = kUntouched;
  EXPECT_EQ(SysSockGetRecvSizeUdp(receiver, 20, &result), 0u);
  EXPECT_EQ(result, RESULT_SOCK_TIMED_OUT);
}

TEST(UdpHelpers, AFailedReceiveLeavesThePeerButTheCount) {
  OwnedSocket receiver(SysSockCreateUdp(0, unusedUdpPort(), nullptr));
  uint32_t nonBlocking = 1;
  ASSERT_EQ(SysSockIoctl(receiver, SYSSOCK_IOCTL_NONBLOCKING, &nonBlocking), RESULT_OK);
  UdpPeerInfo peer;
  std::memset(&peer, 0xCC, sizeof peer);
  char buffer[8];
  uint32_t result = kUntouched;
  EXPECT_EQ(SysSockRecvFromUdp(receiver, buffer, sizeof buffer, &peer, &result), 0u);
  EXPECT_EQ(result, RESULT_SOCK_WOULD_BLOCK);
  EXPECT_EQ(peer.count, 0u);
  EXPECT_EQ(peer.address, 0xCCCCCCCCu);
  EXPECT_EQ(peer.port, 0xCCCCu);
}

TEST(UdpHelpers, InvalidArgumentsComeBackThroughTheResult) {
  OwnedSocket socket(SysSockCreateUdp(0, 0, nullptr));
  char buffer[8] = {};
  UdpPeerInfo peer{};
  struct Case {
    const char* what;
    std::function<uint32_t(uint32_t*)> call;
  };
  const Case cases[] = {
      {"send, invalid socket",
       [&](uint32_t* r) { return SysSockSendToUdp(INVALID_SOCKET_HANDLE, 1, "127.0.0.1", buffer, 1, r); }},
      {"send, null address text", [&](uint32_t* r) { return SysSockSendToUdp(socket, 1, nullptr, buffer, 1, r); }},
      {"send, null data", [&](uint32_t* r) { return SysSockSendToUdp(socket, 1, "127.0.0.1", nullptr, 1, r); }},
      {"receive, invalid socket",
       [&](uint32_t* r) { return SysSockRecvFromUdp(INVALID_SOCKET_HANDLE, buffer, 8, &peer, r); }},
      {"receive, null buffer", [&](uint32_t* r) { return SysSockRecvFromUdp(socket, nullptr, 8, &peer, r); }},
      {"receive, size 0", [&](uint32_t* r) { return SysSockRecvFromUdp(socket, buffer, 0, &peer, r); }},
      {"receive, null peer", [&](uint32_t* r) { return SysSockRecvFromUdp(socket, buffer, 8, nullptr, r); }},
      {"size, invalid socket", [&](uint32_t* r) { return SysSockGetRecvSizeUdp(INVALID_SOCKET_HANDLE, 5, r); }},
      {"receive from, null address",
       [&](uint32_t* r) { return SysSockRecvFrom(socket, buffer, 8, 0, nullptr, 16, r); }},
      {"send to, invalid socket",
       [&](uint32_t* r) {
         SocketAddress to = loopbackAddress(1);
         return SysSockSendTo(INVALID_SOCKET_HANDLE, buffer, 1, 0, &to, 16, r);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    uint32_t result = kUntouched;
    EXPECT_EQ(c.call(&result), 0u);
    EXPECT_EQ(result, RESULT_BAD_PARAMETER);
  }
  EXPECT_EQ(SysSockCloseUdp(INVALID_SOCKET_HANDLE), RESULT_OK) << "closing always reports success";
}

TEST(Datagrams, ReceiveFromReportsThePeerAndTooLongDatagramsAreRefused) {
  OwnedSocket receiver = gantrel_test::makeBoundUdp();
  OwnedSocket sender = gantrel_test::makeBoundUdp();
  SocketAddress to = loopbackAddress(portOf(receiver));
  uint32_t result = kUntouched;
  EXPECT_EQ(SysSockSendTo(sender, "abc", 3, 0, &to, 0, &result), 3u);
  EXPECT_EQ(result, RESULT_OK);

  SocketAddress from{};
  char buffer[8];
  EXPECT_EQ(SysSockRecvFrom(receiver, buffer, sizeof buffer, 0, &from, 0, &result), 3u);
  EXPECT_EQ(result, RESULT_OK);
  EXPECT_EQ(ntohs(from.port), portOf(sender));
  EXPECT_EQ(from.address, htonl(INADDR_LOOPBACK));

  std::vector<char> huge(70000, 'x');
  EXPECT_EQ(SysSockSendTo(sender, huge.data(), static_cast<uint32_t>(huge.size()), 0, &to, 16, &result), 0u);
  EXPECT_EQ(result, RESULT_SOCK_MESSAGE_TOO_LONG);
}

}  // namespace
