#include "date_serial.h"

#include <cmath>

namespace com::automation {
namespace {

constexpr long long kSecondsPerDay = 86400;
// Days from 1 January 1970 back to the OLE epoch, 30 December 1899.
constexpr long long kEpochOffset = 25569;

// Days since 1 January 1970 of a proleptic Gregorian date.
long long daysFromCivil(long long year, unsigned month, unsigned day) {
  year -= month <= 2;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

void civilFromDays(long long days, DateParts* parts) {
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
  parts->day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  parts->month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  parts->year = static_cast<int>(static_cast<long long>(yearOfEra) + era * 400 + (parts->month <= 2));
}

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

}  // namespace

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool isDateInRange(double value) {
  return value > kFirstDay - 1.0 && value < kLastDay + 1.0;
}

bool dateToParts(DATE value, DateParts* parts) {
  if (!isDateInRange(value)) return false;
  double whole = std::trunc(value);
  long long seconds = std::llround(std::fabs(value - whole) * kSecondsPerDay);
  long long day = static_cast<long long>(whole);
  if (seconds >= kSecondsPerDay) {
    // Rounding reached midnight: that is the next calendar day on either side
    // of the epoch.
    seconds = 0;
    ++day;
  }
  // The last second of the range cannot round up into a day beyond it.
  if (day > kLastDay) {
    day = static_cast<long long>(kLastDay);
    seconds = kSecondsPerDay - 1;
  }
  civilFromDays(day - kEpochOffset, parts);
  parts->hour = static_cast<int>(seconds / 3600);
  parts->minute = static_cast<int>(seconds / 60 % 60);
  parts->second = static_cast<int>(seconds % 60);
  // 30 December 1899 was a Saturday.
  parts->dayOfWeek = static_cast<int>(((day % 7) + 7 + 6) % 7);
  return true;
}

bool partsToDate(const DateParts& parts, DATE* value) {
  if (parts.year < 100 || parts.year > 9999) return false;
  if (parts.day < 1 || parts.day > daysInMonth(parts.year, parts.month)) return false;
  if (parts.hour < 0 || parts.hour > 23 || parts.minute < 0 || parts.minute > 59 || parts.second < 0 ||
      parts.second > 59) {
    return false;
  }
  const long long day = daysFromCivil(parts.year, static_cast<unsigned>(parts.month), static_cast<unsigned>(parts.day)) +
                        kEpochOffset;
  const double time = static_cast<double>(parts.hour * 3600 + parts.minute * 60 + parts.second) / kSecondsPerDay;
  *value = day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
  return true;
}

}  // namespace com::automation
