#pragma once

// Sockets on 127.0.0.1 for the tests: every test talks to itself over the
// loopback interface only.

#include "socket_api.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <utility>

namespace gantrel_test {

// Closes its socket at the end of the scope.
class OwnedSocket {
 public:
  OwnedSocket() = default;
  explicit OwnedSocket(SocketHandle socket) : socket_(socket) {}
  ~OwnedSocket() { reset(); }
  OwnedSocket(OwnedSocket&& other) noexcept : socket_(std::exchange(other.socket_, INVALID_SOCKET_HANDLE)) {}
  OwnedSocket& operator=(OwnedSocket&& other) noexcept {
    if (this != &other) {
      reset();
      socket_ = std::exchange(other.socket_, INVALID_SOCKET_HANDLE);
    }
    return *this;
  }

  SocketHandle get() const { return socket_; }
  operator SocketHandle() const { return socket_; }
  SocketHandle release() { return std::exchange(socket_, INVALID_SOCKET_HANDLE); }
  void reset() {
    if (socket_ != INVALID_SOCKET_HANDLE) SysSockClose(std::exchange(socket_, INVALID_SOCKET_HANDLE));
  }

 private:
  SocketHandle socket_ = INVALID_SOCKET_HANDLE;
};

inline SocketAddress loopbackAddress(uint16_t port) {
  SocketAddress address{};
  address.family = SYSSOCK_AF_INET;
  address.port = htons(port);
  address.address = htonl(INADDR_LOOPBACK);
  return address;
}

// The port a socket is bound to.
inline uint16_t portOf(SocketHandle socket) {
  sockaddr_in bound{};
  socklen_t length = sizeof bound;
  getsockname(static_cast<int>(socket), reinterpret_cast<sockaddr*>(&bound), &length);
  return ntohs(bound.sin_port);
}

inline OwnedSocket makeSocket(int32_t type) {
  uint32_t result = 0xDEAD;
  OwnedSocket socket(SysSockCreate(SYSSOCK_AF_INET, type, 0, &result));
  EXPECT_EQ(result, RESULT_OK);
  EXPECT_NE(socket.get(), INVALID_SOCKET_HANDLE);
  return socket;
}

// A TCP socket listening on 127.0.0.1 at a port the system chose.
inline OwnedSocket makeListener() {
  OwnedSocket listener = makeSocket(SYSSOCK_SOCK_STREAM);
  SocketAddress address = loopbackAddress(0);
  EXPECT_EQ(SysSockBind(listener, &address, sizeof address), RESULT_OK);
  EXPECT_EQ(SysSockListen(listener, 8), RESULT_OK);
  return listener;
}

// A UDP socket bound to 127.0.0.1 at a port the system chose.
inline OwnedSocket makeBoundUdp() {
  OwnedSocket socket = makeSocket(SYSSOCK_SOCK_DGRAM);
  SocketAddress address = loopbackAddress(0);
  EXPECT_EQ(SysSockBind(socket, &address, sizeof address), RESULT_OK);
  return socket;
}

struct ConnectedPair {
  OwnedSocket client;
  OwnedSocket server;
};

// A TCP connection over loopback, both ends blocking.
inline ConnectedPair makeConnectedPair() {
  OwnedSocket listener = makeListener();
  ConnectedPair pair{makeSocket(SYSSOCK_SOCK_STREAM), {}};
  SocketAddress address = loopbackAddress(portOf(listener));
  EXPECT_EQ(SysSockConnect(pair.client, &address, sizeof address), RESULT_OK);
  SocketAddress peer{};
  int32_t length = 0;
  uint32_t result = 0xDEAD;
  pair.server = OwnedSocket(SysSockAccept(listener, &peer, &length, &result));
  EXPECT_EQ(result, RESULT_OK);
  return pair;
}

// A port on 127.0.0.1 where nothing listens: bound, then closed.
inline uint16_t unusedPort() {
  OwnedSocket socket = makeSocket(SYSSOCK_SOCK_STREAM);
  SocketAddress address = loopbackAddress(0);
  SysSockBind(socket, &address, sizeof address);
  return portOf(socket);
}

}  // namespace gantrel_test
