#pragma once

// The millisecond tick counter by which the measuring commands time their
// server calls. Elapsed times are taken in unsigned 32-bit arithmetic, so a
// wrap of the counter between two readings still gives the right duration.
// Tests put their own counter in its place to reach wraps and zero
// durations without waiting for them.

#include "win/types.h"

namespace workspace {

using TickCounter = DWORD (*)();

// The counter's current value (the system's GetTickCount unless replaced).
DWORD ReadTickCount();
constexpr DWORD ElapsedTicks(DWORD start, DWORD end) { return end - start; }

// Replaces the counter (null restores the system's); returns the previous one.
TickCounter SetTickCounter(TickCounter counter);

}  // namespace workspace
