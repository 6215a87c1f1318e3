#pragma once

// Conversions between FILETIME ticks (100 ns since 1601-01-01 UTC) and
// calendar fields, in the proleptic Gregorian calendar the platform uses.

#include <cstdint>

#include "win/types.h"

namespace win {

inline constexpr std::int64_t kTicksPerSecond = 10'000'000;
inline constexpr std::int64_t kTicksPerMillisecond = 10'000;
// Seconds from 1601-01-01 to the Unix epoch, 1970-01-01.
inline constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
// FILETIMEs from this value up are invalid.
inline constexpr std::uint64_t kFileTimeLimit = 0x8000000000000000ull;
inline constexpr WORD kLastYear = 30827;

std::uint64_t ticksOf(const FILETIME& fileTime);
FILETIME fileTimeOf(std::uint64_t ticks);

// False when ticks is invalid or its date falls after kLastYear.
bool systemTimeFromTicks(std::uint64_t ticks, SYSTEMTIME& systemTime);
// False when a field is out of range (wDayOfWeek is not looked at).
bool ticksFromSystemTime(const SYSTEMTIME& systemTime, std::uint64_t& ticks);

// Ticks of a Unix time (seconds and nanoseconds since 1970).
std::uint64_t ticksFromUnixTime(std::int64_t seconds, long nanoseconds);

}  // namespace win
