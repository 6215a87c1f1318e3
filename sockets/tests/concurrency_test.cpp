// The service from several threads at once: it keeps no shared state, and
// each thread's lookup results stay its own.

#include "loopback.h"

#include <unistd.h>

#include <atomic>
#include <barrier>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 4;

uint32_t firstAddress(const HostInfo& info) {
  uint32_t address = 0;
  if (info.addresses != nullptr && info.addresses[0] != nullptr) std::memcpy(&address, info.addresses[0], 4);
  return address;
}

TEST(Concurrency, EachThreadsHostInfoSurvivesOtherThreadsLookups) {
  // Half the threads hold a lookup result while the other half look up other
  // hosts. Dotted texts are converted without asking any resolver.
  std::barrier sync(kThreads);
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const bool holds = t % 2 == 0;
      const std::string own = t == 0 ? "localhost" : "127.0.0." + std::to_string(10 + t);
      const uint32_t expected = t == 0 ? htonl(INADDR_LOOPBACK) : inet_addr(own.c_str());
      HostInfo info{};
      if (holds && SysSockGetHostByName(own.c_str(), &info) != RESULT_OK) ++failures;
      sync.arrive_and_wait();
      for (int i = 0; !holds && i < 200; ++i) {
        std::string other = "127.1." + std::to_string(t) + "." + std::to_string(i % 250);
        if (SysSockGetHostByName(other.c_str(), &info) != RESULT_OK || firstAddress(info) != inet_addr(other.c_str())) {
          ++failures;
        }
      }
      sync.arrive_and_wait();
      if (holds && (info.name == nullptr || own != info.name || firstAddress(info) != expected)) ++failures;
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
}

TEST(Concurrency, ConnectionsOnSeveralThreadsDoNotInterfere) {
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      gantrel_test::ConnectedPair pair = gantrel_test::makeConnectedPair();
      for (uint32_t i = 0; i < 500; ++i) {
        uint32_t message[2] = {static_cast<uint32_t>(t), i};
        uint32_t echo[2] = {};
        uint32_t result = 0;
        if (SysSockSend(pair.client, message, sizeof message, 0, &result) != sizeof message) ++failures;
        if (SysSockRecv(pair.server, echo, sizeof echo, SYSSOCK_MSG_WAITALL, &result) != sizeof echo) ++failures;
        if (std::memcmp(message, echo, sizeof message) != 0) ++failures;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
}

TEST(Concurrency, ConcurrentPingsTellTheirRepliesApart) {
  for (int type : {SOCK_DGRAM, SOCK_RAW}) {
    int fd = socket(AF_INET, type, IPPROTO_ICMP);
    if (fd >= 0) {
      close(fd);
      std::atomic<int> failures{0};
      std::vector<std::thread> threads;
      for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
          for (int i = 0; i < 5; ++i) {
            uint32_t replyTime = 0;
            if (SysSockPing("127.0.0.1", 2000, &replyTime) != RESULT_OK || replyTime < 1) ++failures;
          }
        });
      }
      for (std::thread& thread : threads) thread.join();
      EXPECT_EQ(failures.load(), 0);
      return;
    }
  }
  GTEST_SKIP() << "ICMP is unavailable to this process (no ICMP datagram socket, no raw socket)";
}

}  // namespace
