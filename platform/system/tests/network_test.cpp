// The network enumeration over a scripted network: levels, paging through
// a buffer, failures and handles; the DNS service discovery provider when no
// daemon answers; and the names of the shell's special folders.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "win/network.h"
#include "win/shell.h"
#include "win/testing/scripted_network.h"
#include "win/winerror.h"

namespace {

using win::testing::ScopedNetworkProvider;
using win::testing::ScriptedNetwork;

struct Read {
  std::string remoteName;
  DWORD displayType;
  DWORD usage;
};

// Reads a whole level through a buffer of `bufferSize` bytes, `perFetch`
// entries at a time.
DWORD readLevel(NETRESOURCEA* parent, std::vector<Read>& read, DWORD bufferSize = 16384,
                DWORD perFetch = 0xFFFFFFFF) {
  HANDLE handle = nullptr;
  const DWORD opened = WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, parent, &handle);
  if (opened != NO_ERROR) return opened;
  std::vector<NETRESOURCEA> buffer(bufferSize / sizeof(NETRESOURCEA) + 1);
  DWORD result;
  for (;;) {
    DWORD count = perFetch;
    DWORD size = bufferSize;
    result = WNetEnumResourceA(handle, &count, buffer.data(), &size);
    if (result != NO_ERROR) break;
    EXPECT_LE(count, perFetch);
    for (DWORD i = 0; i < count; ++i) {
      read.push_back({buffer[i].lpRemoteName != nullptr ? buffer[i].lpRemoteName : "", buffer[i].dwDisplayType,
                      buffer[i].dwUsage});
    }
  }
  EXPECT_EQ(WNetCloseEnum(handle), static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(WNetCloseEnum(handle), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  return result;
}

std::shared_ptr<ScriptedNetwork> plantNetwork() {
  auto network = std::make_shared<ScriptedNetwork>();
  network->add("", win::testing::networkEntry("Plant Network"));
  network->add("Plant Network", win::testing::domainEntry("PLANT"));
  network->add("Plant Network", win::testing::domainEntry("OFFICE"));
  for (int i = 0; i < 40; ++i) network->add("PLANT", win::testing::serverEntry("\\\\PLC-" + std::to_string(i)));
  network->fail("OFFICE", ERROR_NO_NETWORK);
  return network;
}

TEST(NetworkEnumeration, ReadsEachLevelAndPagesThroughTheBuffer) {
  const auto network = plantNetwork();
  ScopedNetworkProvider installed(network);

  std::vector<Read> top;
  EXPECT_EQ(readLevel(nullptr, top), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(top[0].remoteName, "Plant Network");
  EXPECT_EQ(top[0].displayType, static_cast<DWORD>(RESOURCEDISPLAYTYPE_NETWORK));

  char domainName[] = "Plant Network";
  NETRESOURCEA provider{RESOURCE_GLOBALNET, RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_NETWORK,
                        RESOURCEUSAGE_CONTAINER, nullptr, domainName, nullptr, nullptr};
  std::vector<Read> domains;
  EXPECT_EQ(readLevel(&provider, domains), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  ASSERT_EQ(domains.size(), 2u);
  EXPECT_EQ(domains[1].remoteName, "OFFICE");

  // The same level whole, through a buffer that holds a few entries, and one
  // entry per fetch.
  char plant[] = "PLANT";
  NETRESOURCEA domain{RESOURCE_GLOBALNET, RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_DOMAIN, RESOURCEUSAGE_CONTAINER,
                      nullptr, plant, nullptr, nullptr};
  for (const auto& [bufferSize, perFetch] : {std::pair<DWORD, DWORD>{16384, 0xFFFFFFFF}, {200, 0xFFFFFFFF}, {16384, 1}}) {
    std::vector<Read> servers;
    EXPECT_EQ(readLevel(&domain, servers, bufferSize, perFetch), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    ASSERT_EQ(servers.size(), 40u);
    EXPECT_EQ(servers[0].remoteName, "\\\\PLC-0");
    EXPECT_EQ(servers[39].remoteName, "\\\\PLC-39");
    EXPECT_EQ(servers[39].displayType, static_cast<DWORD>(RESOURCEDISPLAYTYPE_SERVER));
  }
  EXPECT_EQ(network->asked(), (std::vector<std::string>{"", "Plant Network", "PLANT", "PLANT", "PLANT"}));
}

TEST(NetworkEnumeration, RefusesWhatCannotBeOpenedOrDoesNotFit) {
  ScopedNetworkProvider installed(plantNetwork());
  HANDLE handle = nullptr;

  char office[] = "OFFICE";
  NETRESOURCEA failing{RESOURCE_GLOBALNET, 0, RESOURCEDISPLAYTYPE_DOMAIN, RESOURCEUSAGE_CONTAINER,
                       nullptr, office, nullptr, nullptr};
  EXPECT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, &failing, &handle),
            static_cast<DWORD>(ERROR_NO_NETWORK));
  EXPECT_EQ(handle, nullptr);

  char share[] = "\\\\PLC-1\\data";
  NETRESOURCEA leaf{RESOURCE_GLOBALNET, 0, RESOURCEDISPLAYTYPE_SHARE, RESOURCEUSAGE_CONNECTABLE,
                    nullptr, share, nullptr, nullptr};
  EXPECT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, &leaf, &handle),
            static_cast<DWORD>(ERROR_NOT_CONTAINER));
  EXPECT_EQ(WNetOpenEnumA(RESOURCE_CONNECTED, RESOURCETYPE_ANY, 0, nullptr, &handle),
            static_cast<DWORD>(ERROR_NOT_SUPPORTED));

  ASSERT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, nullptr, &handle), static_cast<DWORD>(NO_ERROR));
  NETRESOURCEA record[1];
  DWORD count = 0xFFFFFFFF;
  DWORD size = sizeof(NETRESOURCEA);  // no room for the texts
  EXPECT_EQ(WNetEnumResourceA(handle, &count, record, &size), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(size, sizeof(NETRESOURCEA) + sizeof "Plant Network" + sizeof "Scripted Network");
  EXPECT_EQ(WNetCloseEnum(handle), static_cast<DWORD>(NO_ERROR));
  DWORD more = 1;
  EXPECT_EQ(WNetEnumResourceA(handle, &more, record, &size), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// Without a daemon to ask (the bus named here does not exist), the network
// does not open: the enumeration has nothing to show.
TEST(NetworkEnumeration, ServiceDiscoveryWithoutDaemonDoesNotOpen) {
  const char* saved = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
  const std::string previous = saved != nullptr ? saved : "";
  setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/velmora-test-bus", 1);
  ScopedNetworkProvider installed(nullptr);  // the service discovery provider
  HANDLE handle = nullptr;
  EXPECT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, nullptr, &handle),
            static_cast<DWORD>(ERROR_NO_NETWORK));
  if (saved != nullptr) {
    setenv("DBUS_SYSTEM_BUS_ADDRESS", previous.c_str(), 1);
  } else {
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
  }
}

TEST(ShellFolders, NameThisComputerAndTheNetwork) {
  struct Case {
    int folder;
    const char* name;
  };
  for (const Case& c : {Case{CSIDL_DRIVES, "This Computer"}, Case{CSIDL_NETWORK, "Network"}}) {
    LPITEMIDLIST list = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, c.folder, &list), S_OK);
    SHFILEINFOA info{};
    EXPECT_NE(SHGetFileInfoA(reinterpret_cast<LPCSTR>(list), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME),
              0u);
    EXPECT_STREQ(info.szDisplayName, c.name);
    ILFree(list);
  }
  LPITEMIDLIST list = reinterpret_cast<LPITEMIDLIST>(1);
  EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, 0x7F, &list), E_INVALIDARG);
  EXPECT_EQ(list, nullptr);
}

}  // namespace
