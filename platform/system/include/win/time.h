#pragma once

// File times, calendar times, the tick counter and Sleep.
//
// A FILETIME counts 100-nanosecond intervals since 1 January 1601 (UTC
// unless said otherwise); values from 0x8000000000000000 up are invalid.
// A SYSTEMTIME covers the years 1601 to 30827. Local time is the C
// library's local time zone (TZ, else /etc/localtime), with the offset
// that applies at the converted instant, daylight saving time included.

#include "win/export.h"
#include "win/types.h"

#define INFINITE 0xFFFFFFFF

extern "C" {
// Each returns FALSE with ERROR_INVALID_PARAMETER for an invalid input
// (a FILETIME from 0x8000000000000000 up, one whose date falls after
// 30827, a SYSTEMTIME field out of range; wDayOfWeek is ignored) or a null
// pointer.
WIN_API BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime);
WIN_API BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime);
WIN_API BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime);

WIN_API void GetSystemTimeAsFileTime(LPFILETIME fileTime);
WIN_API void GetSystemTime(LPSYSTEMTIME systemTime);
WIN_API void GetLocalTime(LPSYSTEMTIME systemTime);

// Milliseconds since the system started (CLOCK_MONOTONIC). The 32-bit
// count wraps to 0 after about 49.7 days; differences taken in DWORD
// arithmetic stay right across the wrap.
WIN_API DWORD GetTickCount();
WIN_API ULONGLONG GetTickCount64();

// Suspends the calling thread for at least milliseconds; 0 gives up the
// rest of the time slice, INFINITE never returns.
WIN_API void Sleep(DWORD milliseconds);
}
