// File times, the clock and Sleep (win/time.h).

#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "time/calendar.h"
#include "win/lasterror.h"
#include "win/time.h"
#include "win/winerror.h"

namespace {

using win::kTicksPerSecond;

BOOL invalid() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

timespec clockNow(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return now;
}

std::uint64_t nowTicks() {
  const timespec now = clockNow(CLOCK_REALTIME);
  return win::ticksFromUnixTime(now.tv_sec, now.tv_nsec);
}

// The local zone's offset from UTC, in seconds, at the instant ticks.
bool localOffsetAt(std::uint64_t ticks, std::int64_t& offset) {
  const time_t seconds = static_cast<time_t>(static_cast<std::int64_t>(ticks / kTicksPerSecond) -
                                             win::kSecondsFrom1601To1970);
  // localtime_r does not look at TZ again by itself; tzset does, so a
  // changed TZ takes effect at the next call.
  tzset();
  tm local{};
  if (!localtime_r(&seconds, &local)) return false;
  offset = local.tm_gmtoff;
  return true;
}

}  // namespace

extern "C" {

WIN_API BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime) {
  if (!fileTime || !localFileTime) return invalid();
  const std::uint64_t ticks = win::ticksOf(*fileTime);
  std::int64_t offset = 0;
  if (ticks >= win::kFileTimeLimit || !localOffsetAt(ticks, offset)) return invalid();
  // Both values stay far below 2^63 in magnitude, so the sum cannot
  // overflow when taken unsigned; a result beyond the valid range, on
  // either side, wraps to a value at or above the limit.
  const std::uint64_t local = ticks + static_cast<std::uint64_t>(offset * kTicksPerSecond);
  if (local >= win::kFileTimeLimit) return invalid();
  *localFileTime = win::fileTimeOf(local);
  return TRUE;
}

WIN_API BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime) {
  if (!fileTime || !systemTime) return invalid();
  return win::systemTimeFromTicks(win::ticksOf(*fileTime), *systemTime) ? TRUE : invalid();
}

WIN_API BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime) {
  if (!systemTime || !fileTime) return invalid();
  std::uint64_t ticks = 0;
  if (!win::ticksFromSystemTime(*systemTime, ticks)) return invalid();
  *fileTime = win::fileTimeOf(ticks);
  return TRUE;
}

WIN_API void GetSystemTimeAsFileTime(LPFILETIME fileTime) { *fileTime = win::fileTimeOf(nowTicks()); }

WIN_API void GetSystemTime(LPSYSTEMTIME systemTime) { win::systemTimeFromTicks(nowTicks(), *systemTime); }

WIN_API void GetLocalTime(LPSYSTEMTIME systemTime) {
  const std::uint64_t ticks = nowTicks();
  std::int64_t offset = 0;
  localOffsetAt(ticks, offset);
  win::systemTimeFromTicks(ticks + static_cast<std::uint64_t>(offset * kTicksPerSecond), *systemTime);
}

WIN_API ULONGLONG GetTickCount64() {
  const timespec now = clockNow(CLOCK_MONOTONIC);
  return static_cast<ULONGLONG>(now.tv_sec) * 1000u + static_cast<ULONGLONG>(now.tv_nsec) / 1'000'000u;
}

WIN_API DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

WIN_API void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  if (milliseconds == INFINITE) {
    while (true) pause();
  }
  timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1'000'000};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

}  // extern "C"
