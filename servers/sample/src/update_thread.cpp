// The update thread of a server (see server_core.h).

#include <random>

#include "clock.h"
#include "server_core.h"
#include "simulation.h"

namespace sample {
namespace {

std::atomic<long> liveThreads{0};

// Measures how much of the time the thread spends working, over one second
// at a time.
class LoadMeter {
 public:
  explicit LoadMeter(std::atomic<DWORD>& percent) : percent_(percent), windowStart_(SteadyClock::now()) {}
  void addBusy(SteadyClock::duration busy, SteadyClock::time_point now) {
    busy_ += busy;
    const auto window = now - windowStart_;
    if (window >= std::chrono::seconds(1)) {
      percent_ = static_cast<DWORD>(std::min<int64_t>(100, busy_ * 100 / window));
      busy_ = {};
      windowStart_ = now;
    }
  }

 private:
  std::atomic<DWORD>& percent_;
  SteadyClock::time_point windowStart_;
  SteadyClock::duration busy_{};
};

}  // namespace

long liveUpdateThreads() { return liveThreads.load(); }
void updateThreadStarting() { liveThreads.fetch_add(1); }
void updateThreadEnded() { liveThreads.fetch_sub(1); }

void ServerCore::run() {
  {
    const uint32_t seed = options.randomSeed != 0 ? options.randomSeed : std::random_device{}();
    Simulator simulator(shared->values, SteadyClock::now(), seed);
    LoadMeter load(bandwidth_);
    const auto simulationPeriod = std::max(options.simulationPeriod, std::chrono::milliseconds(1));
    const auto pollPeriod = std::max(options.shutdownPollPeriod, std::chrono::milliseconds(1));
    auto nextStep = SteadyClock::now();
    auto nextPoll = nextStep + pollPeriod;
    std::vector<Delivery> deliveries;

    do {
      const auto now = SteadyClock::now();
      try {
        if (now >= nextStep) {
          simulator.step(now);
          nextStep = std::max(nextStep + simulationPeriod, now);
        }
        auto nextWake = nextStep;
        if (now >= nextPoll) {
          if (auto request = shutdownWatcher_.poll()) {
            shutdownSinks->notify(request->hasReason ? request->reason.c_str() : nullptr);
          }
          nextPoll = now + pollPeriod;
        }
        nextWake = std::min(nextWake, nextPoll);
        bool delivered = false;
        for (const auto& group : groups.states()) {
          if (group->update(now, deliveries, nextWake)) delivered = true;
        }
        if (delivered) shared->lastUpdateTicks = ticksOf(fileTimeNow());
        load.addBusy(SteadyClock::now() - now, SteadyClock::now());
        if (!shared->signal.waitUntil(nextWake)) break;
      } catch (const std::bad_alloc&) {
        // Out of memory for this round: drop it and try again a step later.
        deliveries.clear();
        if (!shared->signal.waitUntil(SteadyClock::now() + simulationPeriod)) break;
      }
    } while (!shared->signal.stopping());
  }
}

}  // namespace sample
