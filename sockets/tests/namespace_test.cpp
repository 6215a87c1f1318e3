// The paths that would leave this machine: a datagram to the broadcast
// address, a lookup of a name the system does not know, and ICMP through a
// datagram socket. They run in a child process inside a network namespace of
// its own, whose only interface is its own loopback, so nothing they send can
// reach a real network.

#include "loopback.h"
#include "system_calls.h"

#include <fcntl.h>
#include <net/if.h>
#include <net/route.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr const char kSkipPrefix[] = "skip: ";

// The message that makes the test skip itself, with the reason.
std::string skipBecause(const std::string& reason) {
  std::string message = kSkipPrefix;
  message.append(reason);
  return message;
}

// Enters a new network namespace: directly with the privilege for it,
// otherwise inside a new user namespace.
std::string enterNetworkNamespace() {
  if (unshare(CLONE_NEWNET) == 0) return {};
  int direct = errno;
  if (unshare(CLONE_NEWUSER | CLONE_NEWNET) == 0) return {};
  int viaUserNamespace = errno;
  std::string reason = "cannot create a network namespace (";
  reason.append(std::strerror(direct)).append(", and ").append(std::strerror(viaUserNamespace));
  reason.append(" for a user namespace): no privilege for it here");
  return skipBecause(reason);
}

std::string bringUpLoopback(bool defaultRouteThroughLoopback) {
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  ifreq request{};
  std::strcpy(request.ifr_name, "lo");
  if (ioctl(fd, SIOCGIFFLAGS, &request) != 0) return std::string("SIOCGIFFLAGS: ") + std::strerror(errno);
  request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
  if (ioctl(fd, SIOCSIFFLAGS, &request) != 0) return std::string("SIOCSIFFLAGS: ") + std::strerror(errno);
  if (defaultRouteThroughLoopback) {
    // Gives the broadcast address a way out, through this namespace's loopback.
    rtentry route{};
    auto* destination = reinterpret_cast<sockaddr_in*>(&route.rt_dst);
    auto* mask = reinterpret_cast<sockaddr_in*>(&route.rt_genmask);
    destination->sin_family = AF_INET;
    mask->sin_family = AF_INET;
    char device[] = "lo";
    route.rt_dev = device;
    route.rt_flags = RTF_UP;
    if (ioctl(fd, SIOCADDRT, &route) != 0) return std::string("SIOCADDRT: ") + std::strerror(errno);
  }
  close(fd);
  return {};
}

// Runs `body` in a child process inside a fresh network namespace and returns
// what it reports: empty for success, a failure text, or a skip reason.
std::string inNetworkNamespace(bool defaultRouteThroughLoopback, const std::function<std::string()>& body) {
  int channel[2];
  if (pipe(channel) != 0) return "pipe failed";
  pid_t child = fork();
  if (child < 0) return "fork failed";
  if (child == 0) {
    close(channel[0]);
    alarm(30);  // a child that hangs must not hang the test run
    std::string message = enterNetworkNamespace();
    if (message.empty()) message = bringUpLoopback(defaultRouteThroughLoopback);
    if (message.empty()) message = body();
    ssize_t written = write(channel[1], message.data(), message.size());
    (void)written;
    _exit(0);
  }
  close(channel[1]);
  std::string message;
  char chunk[256];
  for (ssize_t n; (n = read(channel[0], chunk, sizeof chunk)) > 0;) message.append(chunk, static_cast<size_t>(n));
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "the child ended abnormally (" + message + ")";
  return message;
}

#define RUN_IN_NETWORK_NAMESPACE(route, body)                                    \
  do {                                                                           \
    std::string message = inNetworkNamespace(route, body);                       \
    if (message.rfind(kSkipPrefix, 0) == 0) GTEST_SKIP() << message.substr(6);  \
    EXPECT_EQ(message, "");                                                      \
  } while (false)

std::string expectEqual(uint64_t got, uint64_t expected, const char* what) {
  if (got == expected) return {};
  return std::string(what) + ": got " + std::to_string(got) + ", expected " + std::to_string(expected);
}

TEST(NetworkNamespace, AnUnconvertibleAddressTextBroadcasts) {
  RUN_IN_NETWORK_NAMESPACE(true, [] {
    const uint16_t port = 40123;
    gantrel_test::OwnedSocket receiver(SysSockCreateUdp(0, port, nullptr));
    gantrel_test::OwnedSocket sender(SysSockCreateUdp(0, 0, nullptr));
    uint32_t result = 0xDEAD;
    uint32_t sent = SysSockSendToUdp(sender, port, "not an address", "hello", 5, &result);
    if (std::string failure = expectEqual(result, RESULT_OK, "send result"); !failure.empty()) return failure;
    if (std::string failure = expectEqual(sent, 5, "bytes sent"); !failure.empty()) return failure;
    char buffer[16] = {};
    UdpPeerInfo peer{};
    uint32_t received = SysSockGetRecvSizeUdp(receiver, 2000, &result);
    if (std::string failure = expectEqual(received, 5, "bytes waiting"); !failure.empty()) return failure;
    received = SysSockRecvFromUdp(receiver, buffer, sizeof buffer, &peer, &result);
    if (std::string failure = expectEqual(received, 5, "bytes received"); !failure.empty()) return failure;
    return std::string(buffer) == "hello" ? std::string() : "received " + std::string(buffer);
  });
}

TEST(NetworkNamespace, NamesNobodyKnowsAreNotFound) {
  RUN_IN_NETWORK_NAMESPACE(false, [] {
    // No resolver is reachable from here, so the lookup fails at once.
    HostInfo info{};
    info.addressLength = 99;
    uint32_t result = SysSockGetHostByName("no-such-host.invalid", &info);
    if (std::string failure = expectEqual(result, RESULT_FAILED, "lookup"); !failure.empty()) return failure;
    if (info.addressLength != 0 || info.name != nullptr) return std::string("the host info was not emptied");
    uint32_t replyTime = 0xDEAD;
    result = SysSockPing("no-such-host.invalid", 500, &replyTime);
    if (result == RESULT_FAILED) return skipBecause("ICMP is unavailable in the namespace");
    return expectEqual(result, RESULT_NOT_FOUND, "ping");
  });
}

// Records the kinds of socket the service asks for.
std::vector<int> requestedTypes;
int recordingSocket(int family, int type, int protocol) {
  requestedTypes.push_back(type & ~SOCK_CLOEXEC);
  return ::socket(family, type, protocol);
}

TEST(NetworkNamespace, PingUsesAnIcmpDatagramSocketWhereTheSystemAllowsIt) {
  RUN_IN_NETWORK_NAMESPACE(false, [] {
    int range = open("/proc/sys/net/ipv4/ping_group_range", O_WRONLY);
    if (range < 0 || write(range, "0 2147483647", 12) != 12) {
      return skipBecause("cannot allow ICMP datagram sockets in the namespace");
    }
    close(range);
    gantrel::SystemCalls calls = gantrel::realSystemCalls();
    calls.socket = &recordingSocket;
    gantrel::installSystemCalls(&calls);
    uint32_t replyTime = 0;
    uint32_t result = SysSockPing("127.0.0.1", 2000, &replyTime);
    gantrel::installSystemCalls(nullptr);
    if (std::string failure = expectEqual(result, RESULT_OK, "ping"); !failure.empty()) return failure;
    if (replyTime < 1) return std::string("reply time 0");
    if (requestedTypes != std::vector<int>{SOCK_DGRAM}) return std::string("not through a datagram socket");
    return std::string();
  });
}

}  // namespace
