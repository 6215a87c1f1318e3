#include "workspace/tick_clock.h"

#include "win/time.h"

namespace workspace {
namespace {

// Read and replaced on the user-interface thread only, like the commands
// that time their calls with it.
TickCounter counter = &GetTickCount;

}  // namespace

DWORD ReadTickCount() { return counter(); }

TickCounter SetTickCounter(TickCounter replacement) {
  const TickCounter previous = counter;
  counter = replacement != nullptr ? replacement : &GetTickCount;
  return previous;
}

}  // namespace workspace
