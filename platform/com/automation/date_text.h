#pragma once

// Dates as text in a locale's short date and time patterns, and back.

#include <string>
#include <string_view>

#include "com/oleauto.h"
#include "locale_formats.h"

namespace com::automation {

// The locale's short date, a blank and its time ("3/15/2023 12:00:00 PM").
// A date at midnight shows only the date, a time on 30 December 1899 (the
// zero day) only the time. DISP_E_OVERFLOW outside the range of DATE.
HRESULT formatDate(DATE value, const LocaleFormats& locale, std::u16string* text);

// Reads a date, a time, or both in either order: numeric dates in the
// locale's day-month-year order ("3/15/2023" in en-US, "15.03.2023" in
// de-DE), ISO dates ("2023-03-15", also with a "T" before the time), English
// month names ("15 March 2023", "Mar 15, 2023"), times with or without
// seconds and with the locale's or the English AM/PM designators. Two-digit
// years below 30 are 20xx, the others 19xx; a date without a year is in the
// current year. DISP_E_TYPEMISMATCH when the text is no valid date.
HRESULT parseDate(std::u16string_view text, const LocaleFormats& locale, DATE* value);

// English names used for "MMM"/"MMMM" and "ddd"/"dddd" pattern parts and
// understood in dates typed as text.
std::u16string_view monthName(int month, bool abbreviated);
std::u16string_view dayName(int dayOfWeek, bool abbreviated);

}  // namespace com::automation
