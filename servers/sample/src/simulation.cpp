#include "simulation.h"

#include <array>
#include <cmath>
#include <numbers>

#include "opc/quality.h"

namespace sample {
namespace {

constexpr std::array<std::u16string_view, 6> kWords = {u"Alpha", u"Bravo", u"Charlie", u"Delta", u"Echo", u"Foxtrot"};

// The qualities Simulation.Quality cycles through: good, uncertain
// (sub-normal, low limited), bad (communication failure) and good with a
// local override.
constexpr std::array<WORD, 4> kQualities = {
    OPC_QUALITY_GOOD,
    OPC_QUALITY_SUB_NORMAL | OPC_LIMIT_LOW,
    OPC_QUALITY_COMM_FAILURE,
    OPC_QUALITY_LOCAL_OVERRIDE,
};

constexpr double kTwoPi = 2 * std::numbers::pi;

// The text and the quality items change every this many steps (two
// seconds at the usual step of 100 ms).
constexpr uint32_t kStepsPerChange = 20;

}  // namespace

Simulator::Simulator(ValueStore& store, std::chrono::steady_clock::time_point start, uint32_t randomSeed)
    : store_(store), start_(start), random_(randomSeed) {
  const AddressSpace& space = store.space();
  for (uint32_t index = 0; index < space.itemCount(); ++index) {
    if (space.item(index).simulation != Simulation::None) simulated_.push_back(index);
  }
}

void Simulator::step(std::chrono::steady_clock::time_point now) {
  ++steps_;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const FILETIME stamp = fileTimeNow();
  // Values are made before the lock is taken, so readers wait only for the
  // stores.
  std::vector<std::pair<uint32_t, Variant>> values;
  values.reserve(simulated_.size());
  for (uint32_t index : simulated_) values.emplace_back(index, valueAt(store_.space().item(index), seconds));
  ValueStore::Writing writing(store_);
  for (auto& [index, value] : values) {
    writing.update(index, std::move(value), qualityAt(store_.space().item(index)), stamp);
  }
}

Variant Simulator::valueAt(const ItemDefinition& item, double seconds) {
  switch (item.simulation) {
    case Simulation::Ramp:
      return makeR8(std::fmod(seconds, 10.0) * 10.0);
    case Simulation::Sine:
      return makeR8(100.0 * std::sin(kTwoPi * seconds / 20.0));
    case Simulation::Random:
      return makeI4(static_cast<LONG>(std::uniform_int_distribution<int>(0, 1000)(random_)));
    case Simulation::Counter:
      return makeUI4(steps_);
    case Simulation::Toggle:
      return makeBool(static_cast<int64_t>(seconds) % 2 == 1);
    case Simulation::Text:
      return makeString(kWords[(steps_ / kStepsPerChange) % kWords.size()]);
    case Simulation::Wave: {
      const double phase = seconds / 5.0;
      std::array<FLOAT, 8> samples{};
      for (size_t k = 0; k < samples.size(); ++k) {
        samples[k] = static_cast<FLOAT>(std::sin(kTwoPi * (phase + static_cast<double>(k) / samples.size())));
      }
      return makeR4Array({samples[0], samples[1], samples[2], samples[3], samples[4], samples[5], samples[6],
                          samples[7]});
    }
    case Simulation::Quality:
      return makeI4(static_cast<LONG>(qualityAt(item)));
    case Simulation::Temperature: {
      const double middle = (item.units.high + item.units.low) / 2;
      const double amplitude = (item.units.high - item.units.low) / 2;
      return makeR8(middle + amplitude * std::sin(kTwoPi * seconds / 60.0));
    }
    case Simulation::None:
      break;
  }
  return Variant();
}

WORD Simulator::qualityAt(const ItemDefinition& item) const {
  if (item.simulation != Simulation::Quality) return OPC_QUALITY_GOOD;
  return kQualities[(steps_ / kStepsPerChange) % kQualities.size()];
}

}  // namespace sample
