// The network through a real Avahi daemon: run by run_with_avahi.sh beside
// a daemon of its own in a namespace of its own, which announces this
// computer as "velmora-probe". Elsewhere the test skips itself.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "win/network.h"
#include "win/winerror.h"

namespace {

struct Entry {
  std::string name;
  DWORD displayType;
  DWORD usage;
};

std::vector<Entry> readLevel(NETRESOURCEA* parent, DWORD& result) {
  std::vector<Entry> entries;
  HANDLE handle = nullptr;
  result = WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, parent, &handle);
  if (result != NO_ERROR) return entries;
  std::vector<NETRESOURCEA> buffer(16384 / sizeof(NETRESOURCEA));
  for (;;) {
    DWORD count = 0xFFFFFFFF;
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(NETRESOURCEA));
    if (WNetEnumResourceA(handle, &count, buffer.data(), &size) != NO_ERROR) break;
    for (DWORD i = 0; i < count; ++i) {
      entries.push_back({buffer[i].lpRemoteName != nullptr ? buffer[i].lpRemoteName : "", buffer[i].dwDisplayType,
                         buffer[i].dwUsage});
    }
  }
  WNetCloseEnum(handle);
  return entries;
}

TEST(AvahiNetwork, ShowsTheProviderTheDomainAndTheAnnouncedHost) {
  if (std::getenv("VELMORA_AVAHI_NAMESPACE") == nullptr) GTEST_SKIP() << "needs run_with_avahi.sh";

  // The daemon announces the host once it has made sure that its name is
  // free, a moment after it started.
  DWORD result = ERROR_NO_NETWORK;
  std::vector<Entry> top;
  std::vector<Entry> hosts;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    top = readLevel(nullptr, result);
    if (result == NO_ERROR && !top.empty()) {
      std::string providerName = top[0].name;
      NETRESOURCEA provider{RESOURCE_GLOBALNET, 0, top[0].displayType, top[0].usage, nullptr, providerName.data(),
                            nullptr, nullptr};
      const std::vector<Entry> domains = readLevel(&provider, result);
      for (const Entry& domain : domains) {
        if (domain.name != "local") continue;
        std::string domainName = domain.name;
        NETRESOURCEA resource{RESOURCE_GLOBALNET, 0, domain.displayType, domain.usage, nullptr, domainName.data(),
                              nullptr, nullptr};
        hosts = readLevel(&resource, result);
      }
    }
    bool found = false;
    for (const Entry& host : hosts) found = found || host.name == "\\\\velmora-probe.local";
    if (found) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(top[0].name, "DNS Service Discovery");
  EXPECT_EQ(top[0].displayType, static_cast<DWORD>(RESOURCEDISPLAYTYPE_NETWORK));
  ASSERT_EQ(hosts.size(), 1u);
  EXPECT_EQ(hosts[0].name, "\\\\velmora-probe.local");
  EXPECT_EQ(hosts[0].displayType, static_cast<DWORD>(RESOURCEDISPLAYTYPE_SERVER));
}

}  // namespace
