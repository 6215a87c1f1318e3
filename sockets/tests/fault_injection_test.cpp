// The service's answers to failures injected through its system-call table:
// interrupted calls, errors the loopback cannot produce on demand, the
// resolver, the interface list, and ICMP that is missing.

#include "loopback.h"
#include "system_calls.h"

#include <fcntl.h>
#include <netdb.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using gantrel_test::ConnectedPair;
using gantrel_test::loopbackAddress;
using gantrel_test::makeConnectedPair;
using gantrel_test::OwnedSocket;

constexpr uint32_t kUntouched = 0xDEADu;

// What the fake calls do. The table's entries are plain functions, so the
// script they follow is one global, reset by the fixture.
struct Script {
  int failures = 0;  // calls that fail with `error` before the real call runs
  int error = 0;
  int injected = 0;  // failures delivered
  int lastFlags = -1;
  sockaddr_in lastDestination{};
  int calls = 0;
  std::vector<int> socketTypes;
};
Script script;

bool injectFailure() {
  if (script.failures == 0) return false;
  --script.failures;
  ++script.injected;
  errno = script.error;
  return true;
}

ssize_t fakeRecv(int fd, void* buffer, size_t size, int flags) {
  script.lastFlags = flags;
  return injectFailure() ? -1 : ::recv(fd, buffer, size, flags);
}
ssize_t fakeSend(int fd, const void* data, size_t size, int flags) {
  script.lastFlags = flags;
  return injectFailure() ? -1 : ::send(fd, data, size, flags);
}
ssize_t fakeRecvfrom(int fd, void* buffer, size_t size, int flags, sockaddr* address, socklen_t* length) {
  return injectFailure() ? -1 : ::recvfrom(fd, buffer, size, flags, address, length);
}
ssize_t fakeSendto(int fd, const void* data, size_t size, int flags, const sockaddr* address, socklen_t length) {
  return injectFailure() ? -1 : ::sendto(fd, data, size, flags, address, length);
}
int fakeAccept4(int fd, sockaddr* address, socklen_t* length, int flags) {
  return injectFailure() ? -1 : ::accept4(fd, address, length, flags);
}
int fakePpoll(pollfd* fds, nfds_t count, const timespec* timeout, const sigset_t* mask) {
  return injectFailure() ? -1 : ::ppoll(fds, count, timeout, mask);
}
int fakePoll(pollfd* fds, nfds_t count, int timeout) { return injectFailure() ? -1 : ::poll(fds, count, timeout); }
int fakeConnect(int fd, const sockaddr* address, socklen_t length) {
  return injectFailure() ? -1 : ::connect(fd, address, length);
}
int fakeSocket(int family, int type, int protocol) {
  return injectFailure() ? -1 : ::socket(family, type, protocol);
}

// A send that records where the datagram would go and sends nothing.
ssize_t capturingSendto(int, const void*, size_t size, int, const sockaddr* address, socklen_t) {
  ++script.calls;
  std::memcpy(&script.lastDestination, address, sizeof script.lastDestination);
  return static_cast<ssize_t>(size);
}

class FaultInjection : public ::testing::Test {
 protected:
  void SetUp() override {
    script = Script{};
    calls = gantrel::realSystemCalls();
  }
  void TearDown() override {
    gantrel::installSystemCalls(nullptr);
    script = Script{};
  }
  // Puts the (changed) table in use.
  void install() { gantrel::installSystemCalls(&calls); }
  void inject(int error, int failures = 1) {
    script.error = error;
    script.failures = failures;
  }

  gantrel::SystemCalls calls{};
};

TEST_F(FaultInjection, CallsInterruptedByASignalAreRepeated) {
  calls.recv = &fakeRecv;
  calls.send = &fakeSend;
  calls.recvfrom = &fakeRecvfrom;
  calls.sendto = &fakeSendto;
  calls.accept4 = &fakeAccept4;
  calls.poll = &fakePoll;
  calls.ppoll = &fakePpoll;
  install();
  ConnectedPair pair = makeConnectedPair();
  OwnedSocket listener = gantrel_test::makeListener();
  OwnedSocket udp = gantrel_test::makeBoundUdp();
  SocketAddress toSelf = loopbackAddress(gantrel_test::portOf(udp));
  char buffer[8];

  struct Case {
    const char* name;
    std::function<uint32_t()> call;  // returns the result code
  };
  const Case cases[] = {
      {"send",
       [&] {
         uint32_t result = kUntouched;
         SysSockSend(pair.client, "abc", 3, 0, &result);
         return result;
       }},
      {"recv",
       [&] {
         uint32_t result = kUntouched;
         SysSockRecv(pair.server, buffer, 3, 0, &result);
         return result;
       }},
      {"sendto",
       [&] {
         uint32_t result = kUntouched;
         SysSockSendTo(udp, "d", 1, 0, &toSelf, 16, &result);
         return result;
       }},
      {"recvfrom",
       [&] {
         uint32_t result = kUntouched;
         SocketAddress from{};
         SysSockRecvFrom(udp, buffer, 1, 0, &from, 16, &result);
         return result;
       }},
      {"select, limited wait",
       [&] {
         ::send(static_cast<int>(pair.client.get()), "x", 1, 0);
         SocketSet read{1, {pair.server}};
         SocketTimeout wait{5, 0};
         int32_t ready = 0;
         return SysSockSelect(0, &read, nullptr, nullptr, &wait, &ready);
       }},
      {"select, no wait",
       [&] {
         SocketSet read{1, {pair.server}};
         SocketTimeout none{0, 0};
         int32_t ready = 0;
         return SysSockSelect(0, &read, nullptr, nullptr, &none, &ready);
       }},
      {"select, no limit",
       [&] {
         SocketSet read{1, {pair.server}};
         int32_t ready = 0;
         return SysSockSelect(0, &read, nullptr, nullptr, nullptr, &ready);
       }},
      {"accept",
       [&] {
         OwnedSocket client = gantrel_test::makeSocket(SYSSOCK_SOCK_STREAM);
         SocketAddress address = loopbackAddress(gantrel_test::portOf(listener));
         SysSockConnect(client, &address, 16);
         int32_t length = 0;
         uint32_t result = kUntouched;
         OwnedSocket accepted(SysSockAccept(listener, &address, &length, &result));
         return result;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    inject(EINTR, 2);
    script.injected = 0;
    EXPECT_EQ(c.call(), RESULT_OK);
    EXPECT_EQ(script.injected, 2);
  }
}

// A connect interrupted by a signal goes on; the fake starts it without
// waiting and reports the interruption.
int interruptedConnect(int fd, const sockaddr* address, socklen_t length) {
  int flags = fcntl(fd, F_GETFL);
  fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  ::connect(fd, address, length);
  fcntl(fd, F_SETFL, flags);
  errno = EINTR;
  return -1;
}

TEST_F(FaultInjection, AnInterruptedConnectReportsHowTheConnectionEnded) {
  calls.connect = &interruptedConnect;
  install();
  OwnedSocket listener = gantrel_test::makeListener();
  OwnedSocket client = gantrel_test::makeSocket(SYSSOCK_SOCK_STREAM);
  SocketAddress address = loopbackAddress(gantrel_test::portOf(listener));
  EXPECT_EQ(SysSockConnect(client, &address, 16), RESULT_OK);

  OwnedSocket refused = gantrel_test::makeSocket(SYSSOCK_SOCK_STREAM);
  SocketAddress nobody = loopbackAddress(gantrel_test::unusedPort());
  EXPECT_EQ(SysSockConnect(refused, &nobody, 16), RESULT_SOCK_CONNECTION_REFUSED);
}

int closeInterrupted(int fd) {
  ::close(fd);
  errno = EINTR;
  return -1;
}

TEST_F(FaultInjection, AnInterruptedCloseHasClosedTheSocket) {
  calls.close = &closeInterrupted;
  install();
  SocketHandle socket = gantrel_test::makeSocket(SYSSOCK_SOCK_DGRAM).release();
  EXPECT_EQ(SysSockClose(socket), RESULT_OK);
  EXPECT_EQ(fcntl(static_cast<int>(socket), F_GETFD), -1) << "closed once, not retried";
}

TEST_F(FaultInjection, PlatformErrorsComeBackMapped) {
  calls.recv = &fakeRecv;
  calls.send = &fakeSend;
  calls.accept4 = &fakeAccept4;
  calls.connect = &fakeConnect;
  calls.poll = &fakePoll;
  calls.ppoll = &fakePpoll;
  calls.socket = &fakeSocket;
  install();
  ConnectedPair pair = makeConnectedPair();
  OwnedSocket listener = gantrel_test::makeListener();
  char buffer[4];
  auto recvResult = [&] {
    uint32_t result = kUntouched;
    EXPECT_EQ(SysSockRecv(pair.server, buffer, sizeof buffer, 0, &result), 0u);
    return result;
  };
  auto sendResult = [&] {
    uint32_t result = kUntouched;
    EXPECT_EQ(SysSockSend(pair.client, "a", 1, 0, &result), 0u);
    return result;
  };
  auto acceptResult = [&] {
    SocketAddress address{};
    int32_t length = 0;
    uint32_t result = kUntouched;
    EXPECT_EQ(SysSockAccept(listener, &address, &length, &result), INVALID_SOCKET_HANDLE);
    return result;
  };
  auto connectResult = [&] {
    SocketAddress address = loopbackAddress(9);
    return SysSockConnect(pair.client, &address, 16);
  };
  auto selectResult = [&] {
    SocketSet read{1, {pair.server}};
    SocketTimeout none{0, 0};
    int32_t ready = 0;
    uint32_t result = SysSockSelect(0, &read, nullptr, nullptr, &none, &ready);
    EXPECT_EQ(ready, -1);
    return result;
  };
  auto createResult = [&] {
    uint32_t result = kUntouched;
    EXPECT_EQ(SysSockCreate(SYSSOCK_AF_INET, SYSSOCK_SOCK_STREAM, 0, &result), INVALID_SOCKET_HANDLE);
    return result;
  };
  struct Case {
    const char* name;
    int error;
    std::function<uint32_t()> call;
    uint32_t expected;
  };
  const Case cases[] = {
      {"recv, reset", ECONNRESET, recvResult, RESULT_SOCK_CONNECTION_CLOSED},
      {"recv, time-out of a blocking socket", EAGAIN, recvResult, RESULT_SOCK_TIMED_OUT},
      {"recv, network down", ENETDOWN, recvResult, RESULT_SOCK_CONNECTION_CLOSED},
      {"recv, shut down", ESHUTDOWN, recvResult, RESULT_SOCK_SHUT_DOWN},
      {"send, peer gone", EPIPE, sendResult, RESULT_SOCK_CONNECTION_CLOSED},
      {"send, no buffers", ENOBUFS, sendResult, RESULT_SOCK_NO_BUFFERS},
      {"send, host unreachable", EHOSTUNREACH, sendResult, RESULT_SOCK_HOST_UNREACHABLE},
      {"accept, aborted", ECONNABORTED, acceptResult, RESULT_SOCK_CONNECTION_CLOSED},
      {"accept, no descriptors", EMFILE, acceptResult, RESULT_FAILED},
      {"connect, timed out", ETIMEDOUT, connectResult, RESULT_SOCK_TIMED_OUT},
      {"connect, blocking socket's time-out", EINPROGRESS, connectResult, RESULT_SOCK_TIMED_OUT},
      {"select, no memory", ENOMEM, selectResult, RESULT_SOCK_NO_BUFFERS},
      {"create, no descriptors", EMFILE, createResult, RESULT_FAILED},
      {"create, no buffers", ENOBUFS, createResult, RESULT_SOCK_NO_BUFFERS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    inject(c.error);
    EXPECT_EQ(c.call(), c.expected);
    EXPECT_EQ(script.failures, 0) << "the injected failure was used";
  }
}

TEST_F(FaultInjection, MessageFlagsReachLinuxTranslated) {
  calls.recv = &fakeRecv;
  calls.send = &fakeSend;
  install();
  ConnectedPair pair = makeConnectedPair();
  struct Case {
    int32_t flags;
    int linuxFlags;
  };
  const Case cases[] = {
      {0, 0},
      {SYSSOCK_MSG_WAITALL, MSG_WAITALL},
      {SYSSOCK_MSG_OOB | SYSSOCK_MSG_PEEK | SYSSOCK_MSG_DONTROUTE, MSG_OOB | MSG_PEEK | MSG_DONTROUTE},
      {SYSSOCK_MSG_PEEK | 0x40, MSG_PEEK | 0x40},  // bits the table does not name pass through
  };
  char buffer[4];
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    inject(EAGAIN);  // the fake records the flags, then fails without touching the socket
    SysSockSend(pair.client, "a", 1, c.flags, nullptr);
    EXPECT_EQ(script.lastFlags, c.linuxFlags | MSG_NOSIGNAL) << "sends never raise SIGPIPE";
    inject(EAGAIN);
    SysSockRecv(pair.server, buffer, 1, c.flags, nullptr);
    EXPECT_EQ(script.lastFlags, c.linuxFlags);
  }
}

TEST_F(FaultInjection, AnUnconvertibleAddressTextSendsToTheBroadcastAddress) {
  calls.sendto = &capturingSendto;
  install();
  OwnedSocket socket(SysSockCreateUdp(0, 0, nullptr));
  uint32_t result = kUntouched;
  EXPECT_EQ(SysSockSendToUdp(socket, 4242, "no address", "x", 1, &result), 1u);
  EXPECT_EQ(result, RESULT_OK);
  EXPECT_EQ(script.calls, 1);
  EXPECT_EQ(script.lastDestination.sin_family, AF_INET);
  EXPECT_EQ(script.lastDestination.sin_addr.s_addr, 0xFFFFFFFFu);
  EXPECT_EQ(ntohs(script.lastDestination.sin_port), 4242);
}

}  // namespace
