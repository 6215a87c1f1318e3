#include "loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace bench {

void failSocket(const char* what) {
  std::fprintf(stderr, "benchmark: %s failed: %s\n", what, std::strerror(errno));
  std::exit(1);
}

namespace {

void noDelay(int fd) {
  int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

int connectLoopback(uint16_t port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) failSocket("connect");
  noDelay(fd);
  return fd;
}

void sendAll(int fd, std::span<const uint8_t> bytes) {
  if (::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<long>(bytes.size())) failSocket("send");
}

void sendAll(int fd, const std::vector<std::vector<uint8_t>>& pdus) {
  std::vector<iovec> pieces;
  std::size_t total = 0;
  for (const auto& pdu : pdus) {
    pieces.push_back({const_cast<uint8_t*>(pdu.data()), pdu.size()});
    total += pdu.size();
  }
  msghdr message{};
  message.msg_iov = pieces.data();
  message.msg_iovlen = pieces.size();
  // Loopback takes a request of this size whole; a short write is a fault.
  if (::sendmsg(fd, &message, MSG_NOSIGNAL) != static_cast<long>(total)) failSocket("sendmsg");
}

bool readExact(int fd, uint8_t* out, std::size_t length) {
  for (std::size_t done = 0; done < length;) {
    long count = ::recv(fd, out + done, length - done, 0);
    if (count <= 0) return false;
    done += static_cast<std::size_t>(count);
  }
  return true;
}

std::span<const uint8_t> PduReader::next() {
  // The common header is 16 bytes; frag_length is its little-endian u16 at
  // offset 8.
  constexpr std::size_t kHeader = 16;
  auto wanted = [&] {
    const std::size_t have = end_ - start_;
    if (have < kHeader) return kHeader;
    const std::size_t length = buffer_[start_ + 8] | (buffer_[start_ + 9] << 8);
    if (length < kHeader) failSocket("PDU length");
    return length;
  };
  for (std::size_t want = wanted(); end_ - start_ < want; want = wanted()) {
    if (buffer_.size() - start_ < want || start_ == end_) {
      // Move what is left to the front so that the PDU fits behind it.
      std::memmove(buffer_.data(), buffer_.data() + start_, end_ - start_);
      end_ -= start_;
      start_ = 0;
    }
    long count = ::recv(fd_, buffer_.data() + end_, buffer_.size() - end_, 0);
    if (count <= 0) failSocket("recv");
    end_ += static_cast<std::size_t>(count);
  }
  const std::size_t length = wanted();
  std::span<const uint8_t> pdu(buffer_.data() + start_, length);
  start_ += length;
  return pdu;
}

struct EchoConnection::Parts {
  int listener = -1;
  int client = -1;
  int server = -1;
  std::vector<uint8_t> request;
  std::vector<uint8_t> response;
  std::thread echo;
};

EchoConnection::EchoConnection(std::size_t requestBytes, std::size_t responseBytes) : parts_(new Parts) {
  Parts& p = *parts_;
  p.listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (p.listener < 0 || ::bind(p.listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(p.listener, 1) != 0) {
    failSocket("listen");
  }
  ::getsockname(p.listener, reinterpret_cast<sockaddr*>(&address), &length);
  p.client = connectLoopback(ntohs(address.sin_port));
  p.server = ::accept(p.listener, nullptr, nullptr);
  if (p.server < 0) failSocket("accept");
  noDelay(p.server);
  p.request.assign(requestBytes, 0x11);
  p.response.resize(responseBytes);
  p.echo = std::thread([server = p.server, requestBytes, responseBytes] {
    std::vector<uint8_t> in(requestBytes);
    std::vector<uint8_t> out(responseBytes, 0x5a);
    while (readExact(server, in.data(), in.size())) sendAll(server, out);
  });
}

EchoConnection::~EchoConnection() {
  ::shutdown(parts_->client, SHUT_WR);
  parts_->echo.join();
  ::close(parts_->client);
  ::close(parts_->server);
  ::close(parts_->listener);
  delete parts_;
}

void EchoConnection::exchange() {
  sendAll(parts_->client, parts_->request);
  if (!readExact(parts_->client, parts_->response.data(), parts_->response.size())) failSocket("echo");
}

}  // namespace bench
