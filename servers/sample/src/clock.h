#pragma once

// Time in the forms the OPC interfaces use: FILETIME (UTC, 100-nanosecond
// intervals since 1601) for time stamps and the OLE DATE (days since
// 30 December 1899) for the time-stamp property.

#include <cstdint>

#include "com/oleauto.h"
#include "win/time.h"
#include "win/types.h"

namespace sample {

inline FILETIME fileTimeNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return now;
}

inline uint64_t ticksOf(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

DATE toOleDate(const FILETIME& time);

// Minutes to add to local time to get UTC (the OPC group time bias), for the
// time zone the process runs in now.
LONG localTimeBias();

}  // namespace sample
