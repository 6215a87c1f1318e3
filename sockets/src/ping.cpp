// ICMP echo: through an ICMP datagram socket where the system allows one to
// this process, otherwise through a raw socket; without either the call
// fails as it did when the platform's ICMP library was missing.

#include "socket_api.h"
#include "system_calls.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <cstring>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <unistd.h>
#include <vector>

using gantrel::systemCalls;

namespace {

constexpr uint8_t kEchoReply = 0;
constexpr uint8_t kEchoRequest = 8;
constexpr int kTimeToLive = 64;
constexpr uint32_t kRetryPauseMilliseconds = 25;
constexpr size_t kPayloadSize = 32;
constexpr size_t kIcmpHeaderSize = 8;
constexpr size_t kLookupBufferLimit = 64 * 1024;

struct EchoMessage {
  uint8_t type;
  uint8_t code;
  uint16_t checksum;
  uint16_t identifier;
  uint16_t sequence;
  uint8_t payload[kPayloadSize];
};
static_assert(sizeof(EchoMessage) == kIcmpHeaderSize + kPayloadSize);

// The internet checksum: the ones' complement of the ones' complement sum of
// the 16-bit words.
uint16_t internetChecksum(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  uint32_t sum = 0;
  for (size_t i = 0; i + 1 < size; i += 2) sum += static_cast<uint32_t>(bytes[i] << 8 | bytes[i + 1]);
  if (size % 2 != 0) sum += static_cast<uint32_t>(bytes[size - 1] << 8);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return htons(static_cast<uint16_t>(~sum));
}

// An open ICMP socket. On a datagram socket the kernel chooses the echo
// identifier and delivers only replies to it; on a raw socket every ICMP
// message arrives, with its IP header, and the identifier is ours.
class IcmpSocket {
 public:
  IcmpSocket() {
    const gantrel::SystemCalls& sys = systemCalls();
    fd_ = sys.socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd_ < 0) {
      fd_ = sys.socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
      raw_ = fd_ >= 0;
    }
    if (fd_ >= 0) {
      sys.setsockopt(fd_, IPPROTO_IP, IP_TTL, &kTimeToLive, sizeof kTimeToLive);
      // Descriptors are unique within the process and the process id across
      // processes, so concurrent pings on raw sockets tell their replies apart.
      identifier_ = static_cast<uint16_t>(static_cast<uint32_t>(getpid()) * 2654435761u ^ static_cast<uint32_t>(fd_));
    }
  }
  ~IcmpSocket() {
    if (fd_ >= 0) systemCalls().close(fd_);
  }
  IcmpSocket(const IcmpSocket&) = delete;
  IcmpSocket& operator=(const IcmpSocket&) = delete;

  bool open() const { return fd_ >= 0; }

  bool sendEcho(uint32_t destination, uint16_t sequence) const {
    EchoMessage request{};
    request.type = kEchoRequest;
    request.identifier = htons(identifier_);
    request.sequence = htons(sequence);
    for (size_t i = 0; i < kPayloadSize; ++i) request.payload[i] = static_cast<uint8_t>(0x20 + i);
    request.checksum = internetChecksum(&request, sizeof request);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = destination;
    ssize_t sent;
    do {
      sent = systemCalls().sendto(fd_, &request, sizeof request, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&to),
                                  sizeof to);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(sizeof request);
  }

  // Waits until `deadline` for the reply to echo `sequence`; other ICMP
  // messages are skipped. On a reply, *from is its sender.
  bool awaitReply(uint16_t sequence, uint64_t deadline, uint32_t* from) const {
    const gantrel::SystemCalls& sys = systemCalls();
    for (;;) {
      uint64_t now = sys.monotonicMilliseconds();
      int left = static_cast<int>(std::min<uint64_t>(deadline > now ? deadline - now : 0, INT_MAX));
      pollfd entry{fd_, POLLIN, 0};
      int ready = sys.poll(&entry, 1, left);
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) return false;
      uint8_t packet[512];
      sockaddr_in sender{};
      socklen_t senderLength = sizeof sender;
      ssize_t size = sys.recvfrom(fd_, packet, sizeof packet, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&sender),
                                  &senderLength);
      if (size < 0) {
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
        return false;
      }
      if (isReplyTo(packet, static_cast<size_t>(size), sequence)) {
        *from = sender.sin_addr.s_addr;
        return true;
      }
    }
  }

 private:
  bool isReplyTo(const uint8_t* packet, size_t size, uint16_t sequence) const {
    size_t offset = 0;
    if (raw_) {
      if (size < sizeof(iphdr)) return false;
      offset = static_cast<size_t>(packet[0] & 0x0F) * 4;  // the IP header's length
    }
    if (size < offset + kIcmpHeaderSize) return false;
    EchoMessage reply;
    std::memcpy(&reply, packet + offset, kIcmpHeaderSize);
    if (reply.type != kEchoReply || reply.code != 0 || ntohs(reply.sequence) != sequence) return false;
    return !raw_ || ntohs(reply.identifier) == identifier_;
  }

  int fd_ = -1;
  bool raw_ = false;
  uint16_t identifier_ = 0;
};

// The first IPv4 address of a host name; false when it cannot be resolved.
bool resolveFirstAddress(const char* host, uint32_t* address) {
  std::vector<char> buffer(1024);
  for (;;) {
    hostent entry{};
    hostent* found = nullptr;
    int hostError = 0;
    int failed = systemCalls().gethostbyname_r(host, &entry, buffer.data(), buffer.size(), &found, &hostError);
    if (failed == ERANGE && buffer.size() < kLookupBufferLimit) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (failed != 0 || found == nullptr || found->h_addrtype != AF_INET || found->h_length != 4 ||
        found->h_addr_list == nullptr || found->h_addr_list[0] == nullptr) {
      return false;
    }
    std::memcpy(address, found->h_addr_list[0], sizeof *address);
    return true;
  }
}

}  // namespace

extern "C" {

uint32_t SysSockPing(const char* host, uint32_t timeoutMilliseconds, uint32_t* replyTime) {
  if (host == nullptr) return RESULT_BAD_PARAMETER;
  if (timeoutMilliseconds == 0) return RESULT_TIMEOUT;
  if (replyTime != nullptr) *replyTime = 0;

  IcmpSocket icmp;
  if (!icmp.open()) return RESULT_FAILED;

  // A dotted text is used as it stands; anything else that converts to 0 or
  // fails to convert is looked up as a name.
  uint32_t destination = 0;
  if (SysSockInetAddr(host, &destination) != RESULT_OK || destination == 0) {
    if (!resolveFirstAddress(host, &destination)) return RESULT_NOT_FOUND;
  }

  const gantrel::SystemCalls& sys = systemCalls();
  const uint64_t start = sys.monotonicMilliseconds();
  const uint64_t deadline = start + timeoutMilliseconds;
  uint16_t sequence = 0;
  for (uint64_t now = start; now - start <= timeoutMilliseconds;) {
    ++sequence;
    uint32_t from = 0;
    bool answered = icmp.sendEcho(destination, sequence) && icmp.awaitReply(sequence, deadline, &from);
    now = sys.monotonicMilliseconds();
    // A reply from another address counts as none.
    if (answered && from == destination) {
      if (replyTime != nullptr) *replyTime = static_cast<uint32_t>(std::max<uint64_t>(now - start, 1));
      return RESULT_OK;
    }
    sys.sleepMilliseconds(kRetryPauseMilliseconds);
    now = sys.monotonicMilliseconds();
  }
  return RESULT_TIMEOUT;
}

}  // extern "C"
