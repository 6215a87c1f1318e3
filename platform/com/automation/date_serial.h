#pragma once

// OLE dates: days since 30 December 1899 as a double, the fraction being the
// time of day. Before the epoch the whole part counts days backwards while
// the fraction still counts the time forward from midnight, so -1.25 is
// 29 December 1899, 06:00.

#include "com/oleauto.h"

namespace com::automation {

// The first and the last day of the range: 1 January 100 and
// 31 December 9999.
inline constexpr double kFirstDay = -657434.0;
inline constexpr double kLastDay = 2958465.0;

struct DateParts {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int dayOfWeek = 6;  // 0 is Sunday
};

// Whether a numeric value lies in the range of DATE: anything that falls on
// a day from the first to the last (before the epoch the fraction moves a
// value away from zero, so the first day extends down to kFirstDay - 1).
bool isDateInRange(double value);

// Splits a date, rounded to the second; false outside the range or for NaN.
bool dateToParts(DATE value, DateParts* parts);

// Joins the parts (year 100 to 9999, a real day, time within the day); false
// when a part is out of its range. The day of the week is ignored.
bool partsToDate(const DateParts& parts, DATE* value);

// Days in the month of that year (Gregorian calendar), 0 for a bad month.
int daysInMonth(int year, int month);

}  // namespace com::automation
