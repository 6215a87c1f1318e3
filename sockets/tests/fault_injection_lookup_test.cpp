// Name lookups, ping and the interface list against fake system answers:
// hosts with many addresses, unknown names, missing ICMP, adapters with
// several addresses. Nothing here reaches the network.

#include "loopback.h"
#include "system_calls.h"

#include <netdb.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

struct Fakes {
  std::vector<uint32_t> addresses;  // network byte order
  int hostError = 0;                // resolver failure to report, 0 for none
  int resolverCalls = 0;
  std::vector<int> socketTypes;     // types of the sockets asked for
  int refusedSocketTypes = 0;       // types (without flags) refused with EACCES, as a bit mask
  std::vector<uint32_t> destinations;
  uint64_t clock = 0;
  std::vector<ifaddrs*> freed;
  ifaddrs* interfaces = nullptr;
  bool interfaceListFails = false;
};
Fakes fakes;

int fakeResolver(const char* name, hostent* entry, char* buffer, size_t size, hostent** result, int* hostError) {
  ++fakes.resolverCalls;
  *result = nullptr;
  if (fakes.hostError != 0) {
    *hostError = fakes.hostError;
    return ENOENT;
  }
  const size_t count = fakes.addresses.size();
  const size_t needed = (count + 2) * sizeof(char*) + count * 4 + std::strlen(name) + 1;
  if (needed > size) return ERANGE;
  auto** list = reinterpret_cast<char**>(buffer);
  char** aliases = list + count + 1;
  char* cursor = reinterpret_cast<char*>(aliases + 1);
  for (size_t i = 0; i < count; ++i, cursor += 4) {
    std::memcpy(cursor, &fakes.addresses[i], 4);
    list[i] = cursor;
  }
  list[count] = nullptr;
  aliases[0] = nullptr;
  std::strcpy(cursor, name);
  *entry = hostent{cursor, aliases, AF_INET, 4, list};
  *result = entry;
  return 0;
}

// ICMP sockets become plain UDP sockets, which never carry anything here.
int fakeSocket(int family, int type, int protocol) {
  fakes.socketTypes.push_back(type & ~SOCK_CLOEXEC);
  if ((fakes.refusedSocketTypes & (1 << (type & ~SOCK_CLOEXEC))) != 0) {
    errno = EACCES;
    return -1;
  }
  return ::socket(family, SOCK_DGRAM | SOCK_CLOEXEC, protocol == IPPROTO_ICMP ? 0 : protocol);
}

// Records the destination of an echo and sends nothing.
ssize_t unreachableSendto(int, const void*, size_t, int, const sockaddr* address, socklen_t) {
  fakes.destinations.push_back(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
  errno = ENETUNREACH;
  return -1;
}

uint64_t fakeClock() { return fakes.clock; }
void fakeSleep(uint32_t milliseconds) { fakes.clock += milliseconds; }

int fakeGetifaddrs(ifaddrs** list) {
  if (fakes.interfaceListFails) {
    errno = ENOMEM;
    return -1;
  }
  *list = fakes.interfaces;
  return 0;
}
void fakeFreeifaddrs(ifaddrs* list) { fakes.freed.push_back(list); }

class FakeSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    fakes = Fakes{};
    calls = gantrel::realSystemCalls();
    calls.gethostbyname_r = &fakeResolver;
    calls.socket = &fakeSocket;
    calls.sendto = &unreachableSendto;
    calls.monotonicMilliseconds = &fakeClock;
    calls.sleepMilliseconds = &fakeSleep;
    calls.getifaddrs = &fakeGetifaddrs;
    calls.freeifaddrs = &fakeFreeifaddrs;
    gantrel::installSystemCalls(&calls);
  }
  void TearDown() override { gantrel::installSystemCalls(nullptr); }

  gantrel::SystemCalls calls{};
};

uint32_t ipv4(const char* text) { return inet_addr(text); }

std::vector<uint32_t> addressesOf(const HostInfo& info) {
  std::vector<uint32_t> result;
  for (char** entry = info.addresses; *entry != nullptr; ++entry) {
    uint32_t address;
    std::memcpy(&address, *entry, 4);
    result.push_back(address);
  }
  return result;
}

TEST_F(FakeSystem, AHostsAddressesComeInAscendingOrder) {
  fakes.addresses = {ipv4("10.0.0.9"), ipv4("10.0.0.2")};
  HostInfo info{};
  ASSERT_EQ(SysSockGetHostByName("two.test", &info), RESULT_OK);
  EXPECT_STREQ(info.name, "two.test");
  EXPECT_EQ(addressesOf(info), (std::vector<uint32_t>{ipv4("10.0.0.2"), ipv4("10.0.0.9")}));

  // Any number of them, compared as host-order numbers.
  fakes.addresses.clear();
  std::vector<uint32_t> expected;
  for (uint32_t i = 0; i < 40; ++i) {
    uint32_t value = i % 2 == 0 ? 0xC8000000u + i : 0x0A000000u + i;  // 200.x and 10.x mixed
    fakes.addresses.insert(fakes.addresses.begin(), htonl(value));
    expected.push_back(value);
  }
  std::sort(expected.begin(), expected.end());
  ASSERT_EQ(SysSockGetHostByName("many.test", &info), RESULT_OK);
  std::vector<uint32_t> got = addressesOf(info);
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(ntohl(got[i]), expected[i]) << i;
}

TEST_F(FakeSystem, AFailedLookupEmptiesTheHostInfo) {
  HostInfo info;
  std::memset(&info, 0xCC, sizeof info);
  fakes.hostError = HOST_NOT_FOUND;
  EXPECT_EQ(SysSockGetHostByName("unknown.test", &info), RESULT_FAILED);
  EXPECT_EQ(info.name, nullptr);
  EXPECT_EQ(info.aliases, nullptr);
  EXPECT_EQ(info.addresses, nullptr);
  EXPECT_EQ(info.addressType, 0);
  EXPECT_EQ(info.addressLength, 0);

  // A host with more addresses than the thread's storage holds fails the same way.
  fakes.hostError = 0;
  fakes.addresses.assign(2000, ipv4("10.0.0.1"));
  std::memset(&info, 0xCC, sizeof info);
  EXPECT_EQ(SysSockGetHostByName("huge.test", &info), RESULT_FAILED);
  EXPECT_EQ(info.addresses, nullptr);
}

TEST_F(FakeSystem, PingFailsWithoutICMPBeforeLookingUpTheHost) {
  fakes.refusedSocketTypes = 1 << SOCK_DGRAM | 1 << SOCK_RAW;
  uint32_t replyTime = 0xDEAD;
  EXPECT_EQ(SysSockPing("some.host.test", 1000, &replyTime), RESULT_FAILED);
  EXPECT_EQ(fakes.socketTypes, (std::vector<int>{SOCK_DGRAM, SOCK_RAW}));
  EXPECT_EQ(fakes.resolverCalls, 0);
  EXPECT_TRUE(fakes.destinations.empty());
}

TEST_F(FakeSystem, PingPrefersADatagramSocketAndFallsBackToARawOne) {
  uint32_t replyTime = 0;
  EXPECT_EQ(SysSockPing("127.0.0.1", 10, &replyTime), RESULT_TIMEOUT);
  EXPECT_EQ(fakes.socketTypes, (std::vector<int>{SOCK_DGRAM}));

  fakes = Fakes{};
  fakes.refusedSocketTypes = 1 << SOCK_DGRAM;
  EXPECT_EQ(SysSockPing("127.0.0.1", 10, &replyTime), RESULT_TIMEOUT);
  EXPECT_EQ(fakes.socketTypes, (std::vector<int>{SOCK_DGRAM, SOCK_RAW}));
}

TEST_F(FakeSystem, PingOfAnUnknownNameIsNotFound) {
  fakes.hostError = HOST_NOT_FOUND;
  uint32_t replyTime = 0xDEAD;
  EXPECT_EQ(SysSockPing("unknown.test", 1000, &replyTime), RESULT_NOT_FOUND);
  EXPECT_EQ(replyTime, 0u);
  EXPECT_TRUE(fakes.destinations.empty());
}

TEST_F(FakeSystem, PingUsesDottedTextsAsTheyStandAndNamesFirstAddress) {
  uint32_t replyTime = 0;
  EXPECT_EQ(SysSockPing("255.255.255.255", 10, &replyTime), RESULT_TIMEOUT);
  EXPECT_EQ(fakes.resolverCalls, 0);
  ASSERT_FALSE(fakes.destinations.empty());
  EXPECT_EQ(fakes.destinations.front(), 0xFFFFFFFFu);

  fakes = Fakes{};
  fakes.addresses = {ipv4("127.0.0.9"), ipv4("127.0.0.3")};
  EXPECT_EQ(SysSockPing("named.test", 10, &replyTime), RESULT_TIMEOUT);
  EXPECT_EQ(fakes.resolverCalls, 1);
  ASSERT_FALSE(fakes.destinations.empty());
  EXPECT_EQ(fakes.destinations.front(), ipv4("127.0.0.9")) << "the resolver's first, unsorted";
}

TEST_F(FakeSystem, PingRetriesEveryTwentyFiveMillisecondsUntilTheTimeOut) {
  uint32_t replyTime = 0xDEAD;
  EXPECT_EQ(SysSockPing("127.0.0.1", 100, &replyTime), RESULT_TIMEOUT);
  EXPECT_EQ(fakes.destinations.size(), 5u) << "at 0, 25, 50, 75 and 100 ms";
  EXPECT_EQ(fakes.clock, 125u);
  EXPECT_EQ(replyTime, 0u);
}

// One entry of a fake interface list.
struct FakeInterface {
  ifaddrs entry{};
  sockaddr_in address{};
  sockaddr_in mask{};

  FakeInterface(const char* name, const char* address_, const char* mask_, int family = AF_INET) {
    entry.ifa_name = const_cast<char*>(name);
    address.sin_family = static_cast<sa_family_t>(family);
    address.sin_addr.s_addr = inet_addr(address_);
    mask.sin_family = static_cast<sa_family_t>(family);
    mask.sin_addr.s_addr = inet_addr(mask_);
    entry.ifa_addr = reinterpret_cast<sockaddr*>(&address);
    entry.ifa_netmask = reinterpret_cast<sockaddr*>(&mask);
  }
};

TEST_F(FakeSystem, TheSubnetMaskOfAnyAddressOfAnAdapterIsFound) {
  FakeInterface first("eth0", "10.0.0.5", "255.255.255.0");
  FakeInterface second("eth0", "10.1.0.5", "255.255.0.0");
  FakeInterface other("eth1", "10.1.0.5", "255.0.0.0", AF_INET6);
  FakeInterface noAddress("tun0", "0.0.0.0", "0.0.0.0");
  noAddress.entry.ifa_addr = nullptr;
  first.entry.ifa_next = &noAddress.entry;
  noAddress.entry.ifa_next = &other.entry;
  other.entry.ifa_next = &second.entry;
  fakes.interfaces = &first.entry;

  char buffer[16] = {};
  EXPECT_EQ(SysSockGetSubnetMask("10.1.0.5", buffer, sizeof buffer), RESULT_OK);
  EXPECT_STREQ(buffer, "255.255.0.0");
  EXPECT_EQ(SysSockGetSubnetMask("10.0.0.5", buffer, sizeof buffer), RESULT_OK);
  EXPECT_STREQ(buffer, "255.255.255.0");
  EXPECT_EQ(SysSockGetSubnetMask("10.2.0.5", buffer, sizeof buffer), RESULT_FAILED);
  EXPECT_EQ(fakes.freed, (std::vector<ifaddrs*>(3, &first.entry))) << "the list is released on every path";

  fakes.interfaceListFails = true;
  EXPECT_EQ(SysSockGetSubnetMask("10.1.0.5", buffer, sizeof buffer), RESULT_FAILED);
  EXPECT_EQ(fakes.freed.size(), 3u);
}

}  // namespace
