// Clients exporting, querying, pinging and releasing at once while the
// expiry timer runs: nothing is lost, nothing is released twice, and at the
// end every object is let go of.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "dcom/exporter.h"
#include "fake_object.h"

namespace dcom {
namespace {

using namespace std::chrono_literals;
using testing::FakeObject;
using testing::kIidSampleItf;

TEST(ExporterConcurrency, ClientsPingAndReleaseWhileObjectsExpire) {
  constexpr int kClients = 4;
  constexpr int kRounds = 200;
  std::vector<FakeObject> objects(kClients * 2);  // outlive the exporter's references
  std::atomic<std::int64_t> seconds{0};
  ExporterSettings settings;
  settings.pingPeriod = 2s;
  settings.missedPings = 2;
  Exporter exporter(settings, [&] { return std::chrono::steady_clock::time_point{} + std::chrono::seconds(seconds.load()); });

  std::atomic<bool> done{false};
  {
    ExpiryTimer timer(exporter, 1ms);
    std::thread clock([&] {
      while (!done) {
        seconds += 1;
        std::this_thread::sleep_for(100us);
      }
    });
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
      clients.emplace_back([&, c] {
        const std::string owner = "user" + std::to_string(c);
        FakeObject& kept = objects[2 * c];
        FakeObject& dropped = objects[2 * c + 1];
        SetId set = 0;
        std::uint16_t sequence = 0;
        for (int round = 0; round < kRounds; ++round) {
          StdObjRef keptRef, droppedRef;
          ASSERT_EQ(exporter.exportInterface(&kept, IID_IUnknown, owner, 1, keptRef), S_OK);
          ASSERT_EQ(exporter.exportInterface(&dropped, kIidSampleItf, owner, 1, droppedRef), S_OK);
          exporter.complexPing(set, ++sequence, {keptRef.oid}, {}, owner);
          std::vector<RemQiResult> results;
          HRESULT hr = exporter.remQueryInterface(keptRef.ipid, 1, {kIidSampleItf}, owner, results);
          // The object may have expired in between: then it is gone, not half there.
          EXPECT_TRUE(hr == S_OK || hr == kRpcEInvalidObject) << std::hex << hr;
          exporter.remRelease({{droppedRef.ipid, 1, 0}}, owner);
          exporter.simplePing(set, owner);
          Exporter::Target target;
          exporter.resolve(keptRef.ipid, owner, target);
        }
      });
    }
    for (auto& client : clients) client.join();
    done = true;
    clock.join();
  }
  // Long after the last ping everything has been released, exactly once.
  seconds += 1000;
  exporter.expire();
  EXPECT_EQ(exporter.objectCount(), 0u);
  EXPECT_EQ(exporter.interfaceCount(), 0u);
  EXPECT_EQ(exporter.setCount(), 0u);
  for (const FakeObject& object : objects) EXPECT_EQ(object.held(), 0u);
}

}  // namespace
}  // namespace dcom
