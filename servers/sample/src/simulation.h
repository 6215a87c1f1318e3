#pragma once

// The simulation: at every step it computes new values for the simulated
// items of the address space (item_definition.h says how each behaves) and
// stores those that changed. Values depend on the time since the
// simulation started, so a step that comes late still shows the right
// value. Only the update thread calls step().

#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

#include "clock.h"
#include "value_store.h"

namespace sample {

class Simulator {
 public:
  Simulator(ValueStore& store, std::chrono::steady_clock::time_point start, uint32_t randomSeed);

  void step(std::chrono::steady_clock::time_point now);

 private:
  Variant valueAt(const ItemDefinition& item, double seconds);
  WORD qualityAt(const ItemDefinition& item) const;

  ValueStore& store_;
  std::chrono::steady_clock::time_point start_;
  std::vector<uint32_t> simulated_;  // indices of the simulated items
  std::mt19937 random_;
  uint32_t steps_ = 0;
};

}  // namespace sample
