// Dates as text, following the pattern letters of the locale's short date
// and time formats: d, M, y for the date, h/H, m, s and t for the time,
// quoted text taken literally.

#include <string>

#include "date_serial.h"
#include "date_text.h"

namespace com::automation {
namespace {

constexpr std::u16string_view kMonths[] = {u"January", u"February", u"March",     u"April",   u"May",      u"June",
                                           u"July",    u"August",   u"September", u"October", u"November", u"December"};
constexpr std::u16string_view kDays[] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                         u"Thursday", u"Friday", u"Saturday"};

void appendNumber(std::u16string* text, int value, int width) {
  const std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < width) text->append(width - digits.size(), u'0');
  for (char c : digits) *text += static_cast<char16_t>(c);
}

// One run of the same pattern letter, `count` long.
void appendField(std::u16string* text, char16_t letter, int count, const DateParts& parts,
                 const LocaleFormats& locale) {
  const int hour12 = parts.hour % 12 == 0 ? 12 : parts.hour % 12;
  const std::u16string& designator = parts.hour < 12 ? locale.am : locale.pm;
  switch (letter) {
    case u'd':
      if (count <= 2) {
        appendNumber(text, parts.day, count);
      } else {
        *text += dayName(parts.dayOfWeek, count == 3);
      }
      break;
    case u'M':
      if (count <= 2) {
        appendNumber(text, parts.month, count);
      } else {
        *text += monthName(parts.month, count == 3);
      }
      break;
    case u'y':
      if (count <= 2) {
        appendNumber(text, parts.year % 100, count);
      } else {
        appendNumber(text, parts.year, 4);
      }
      break;
    case u'h':
      appendNumber(text, hour12, std::min(count, 2));
      break;
    case u'H':
      appendNumber(text, parts.hour, std::min(count, 2));
      break;
    case u'm':
      appendNumber(text, parts.minute, std::min(count, 2));
      break;
    case u's':
      appendNumber(text, parts.second, std::min(count, 2));
      break;
    case u't':
      *text += count == 1 ? designator.substr(0, 1) : designator;
      break;
    default:  // 'g': the era is not shown in the Gregorian calendar
      break;
  }
}

bool isPatternLetter(char16_t c) {
  return c == u'd' || c == u'M' || c == u'y' || c == u'g' || c == u'h' || c == u'H' || c == u'm' || c == u's' ||
         c == u't';
}

std::u16string render(std::u16string_view pattern, const DateParts& parts, const LocaleFormats& locale) {
  std::u16string text;
  for (std::size_t i = 0; i < pattern.size();) {
    const char16_t c = pattern[i];
    if (c == u'\'') {
      // Quoted literal; two quotes inside stand for one.
      for (++i; i < pattern.size(); ++i) {
        if (pattern[i] == u'\'') {
          if (i + 1 < pattern.size() && pattern[i + 1] == u'\'') {
            text += u'\'';
            ++i;
            continue;
          }
          ++i;
          break;
        }
        text += pattern[i];
      }
      continue;
    }
    if (!isPatternLetter(c)) {
      text += c;
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < pattern.size() && pattern[end] == c) ++end;
    appendField(&text, c, static_cast<int>(end - i), parts, locale);
    i = end;
  }
  // A 24-hour locale has empty designators; do not leave a blank where one
  // would have been.
  while (!text.empty() && text.back() == u' ') text.pop_back();
  return text;
}

}  // namespace

std::u16string_view monthName(int month, bool abbreviated) {
  const std::u16string_view name = kMonths[month - 1];
  return abbreviated ? name.substr(0, 3) : name;
}

std::u16string_view dayName(int dayOfWeek, bool abbreviated) {
  const std::u16string_view name = kDays[dayOfWeek];
  return abbreviated ? name.substr(0, 3) : name;
}

HRESULT formatDate(DATE value, const LocaleFormats& locale, std::u16string* text) {
  DateParts parts;
  if (!dateToParts(value, &parts)) return DISP_E_OVERFLOW;
  const bool onZeroDay = parts.year == 1899 && parts.month == 12 && parts.day == 30;
  const bool atMidnight = parts.hour == 0 && parts.minute == 0 && parts.second == 0;
  text->clear();
  if (!onZeroDay) *text = render(locale.shortDate, parts, locale);
  if (onZeroDay || !atMidnight) {
    if (!text->empty()) *text += u' ';
    *text += render(locale.timeFormat, parts, locale);
  }
  return S_OK;
}

}  // namespace com::automation
