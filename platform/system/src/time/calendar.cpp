#include "time/calendar.h"

namespace win {

namespace {

constexpr std::int64_t kSecondsPerDay = 86'400;

bool isLeapYear(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(std::int64_t year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1601-01-01 of a date, and back; 1601 starts a 400-year cycle
// of the Gregorian calendar, which keeps the arithmetic free of offsets.
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
  const std::int64_t y = year - 1601;
  std::int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m) days += daysInMonth(year, m);
  return days + day - 1;
}

void civilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
  constexpr std::int64_t kDaysPer400Years = 146'097;
  year = 1601 + 400 * (days / kDaysPer400Years);
  days %= kDaysPer400Years;
  while (true) {
    const int length = isLeapYear(year) ? 366 : 365;
    if (days < length) break;
    days -= length;
    ++year;
  }
  month = 1;
  while (days >= daysInMonth(year, month)) days -= daysInMonth(year, month++);
  day = static_cast<int>(days) + 1;
}

}  // namespace

std::uint64_t ticksOf(const FILETIME& fileTime) {
  return (static_cast<std::uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
}

FILETIME fileTimeOf(std::uint64_t ticks) {
  return {static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

bool systemTimeFromTicks(std::uint64_t ticks, SYSTEMTIME& systemTime) {
  if (ticks >= kFileTimeLimit) return false;
  const auto totalSeconds = static_cast<std::int64_t>(ticks / kTicksPerSecond);
  const std::int64_t days = totalSeconds / kSecondsPerDay;
  const std::int64_t secondOfDay = totalSeconds % kSecondsPerDay;
  std::int64_t year;
  int month, day;
  civilFromDays(days, year, month, day);
  if (year > kLastYear) return false;
  systemTime.wYear = static_cast<WORD>(year);
  systemTime.wMonth = static_cast<WORD>(month);
  // 1601-01-01 was a Monday; Sunday is 0.
  systemTime.wDayOfWeek = static_cast<WORD>((days + 1) % 7);
  systemTime.wDay = static_cast<WORD>(day);
  systemTime.wHour = static_cast<WORD>(secondOfDay / 3600);
  systemTime.wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
  systemTime.wSecond = static_cast<WORD>(secondOfDay % 60);
  systemTime.wMilliseconds = static_cast<WORD>(ticks % kTicksPerSecond / kTicksPerMillisecond);
  return true;
}

bool ticksFromSystemTime(const SYSTEMTIME& t, std::uint64_t& ticks) {
  if (t.wYear < 1601 || t.wYear > kLastYear || t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 ||
      t.wDay > daysInMonth(t.wYear, t.wMonth) || t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59 ||
      t.wMilliseconds > 999) {
    return false;
  }
  const std::int64_t days = daysFromCivil(t.wYear, t.wMonth, t.wDay);
  const std::int64_t seconds = days * kSecondsPerDay + t.wHour * 3600 + t.wMinute * 60 + t.wSecond;
  ticks = static_cast<std::uint64_t>(seconds * kTicksPerSecond + t.wMilliseconds * kTicksPerMillisecond);
  return true;
}

std::uint64_t ticksFromUnixTime(std::int64_t seconds, long nanoseconds) {
  return static_cast<std::uint64_t>((seconds + kSecondsFrom1601To1970) * kTicksPerSecond + nanoseconds / 100);
}

}  // namespace win
