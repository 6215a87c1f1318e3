// Reading dates typed as text. The text is cut into numbers, words and
// separators; the time (numbers joined by colons, or an hour with an AM/PM
// designator) is taken out first, and what is left must form a date.

#include <ctime>
#include <optional>
#include <vector>

#include "date_serial.h"
#include "date_text.h"
#include "text_scan.h"

namespace com::automation {
namespace {

struct Token {
  enum Kind { Number, Word, Colon, Separator } kind;
  std::u16string_view text;
  int value = 0;  // numbers only
};

enum class Designator { None, Am, Pm };

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isSeparator(char16_t c) { return c == u'/' || c == u'-' || c == u'.' || c == u','; }

// Numbers longer than four digits name no part of a date or a time.
bool tokenize(std::u16string_view text, std::vector<Token>* tokens) {
  for (std::size_t i = 0; i < text.size();) {
    const char16_t c = text[i];
    std::size_t end = i + 1;
    if (isBlank(c)) {
      ++i;
      continue;
    }
    if (isDigit(c)) {
      while (end < text.size() && isDigit(text[end])) ++end;
      if (end - i > 4) return false;
      Token token{Token::Number, text.substr(i, end - i)};
      for (char16_t digit : token.text) token.value = token.value * 10 + (digit - u'0');
      tokens->push_back(token);
    } else if (c == u':') {
      tokens->push_back({Token::Colon, text.substr(i, 1)});
    } else if (isSeparator(c)) {
      tokens->push_back({Token::Separator, text.substr(i, 1)});
    } else {
      while (end < text.size() && !isDigit(text[end]) && !isBlank(text[end]) && text[end] != u':' &&
             !isSeparator(text[end])) {
        ++end;
      }
      tokens->push_back({Token::Word, text.substr(i, end - i)});
    }
    i = end;
  }
  return true;
}

Designator designatorOf(const Token& token, const LocaleFormats& locale) {
  if (token.kind != Token::Word) return Designator::None;
  const std::u16string_view word = token.text;
  if ((!locale.am.empty() && equalsIgnoringCase(word, locale.am)) || equalsIgnoringCase(word, u"AM") ||
      equalsIgnoringCase(word, u"A")) {
    return Designator::Am;
  }
  if ((!locale.pm.empty() && equalsIgnoringCase(word, locale.pm)) || equalsIgnoringCase(word, u"PM") ||
      equalsIgnoringCase(word, u"P")) {
    return Designator::Pm;
  }
  return Designator::None;
}

int monthOf(const Token& token) {
  if (token.kind != Token::Word) return 0;
  for (int month = 1; month <= 12; ++month) {
    if (equalsIgnoringCase(token.text, monthName(month, false)) || equalsIgnoringCase(token.text, monthName(month, true))) {
      return month;
    }
  }
  return equalsIgnoringCase(token.text, u"Sept") ? 9 : 0;
}

bool isIgnorableWord(const Token& token) {
  if (token.kind != Token::Word) return false;
  // The ISO "T" between date and time, and weekday names, carry nothing the
  // date does not already say.
  if (equalsIgnoringCase(token.text, u"T")) return true;
  for (int day = 0; day < 7; ++day) {
    if (equalsIgnoringCase(token.text, dayName(day, false)) || equalsIgnoringCase(token.text, dayName(day, true))) {
      return true;
    }
  }
  return false;
}

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Finds a time starting at token `i` (hours, then minutes and seconds after
// colons) with its designator after it or, in some locales ("tt h:mm:ss"),
// before it. Returns the token range [begin, end) and the time.
struct TimeMatch {
  std::size_t begin = 0;
  std::size_t end = 0;
  int fields[3] = {0, 0, 0};
  int count = 0;
  Designator designator = Designator::None;
};

TimeMatch matchTimeAt(const std::vector<Token>& tokens, std::size_t i, const LocaleFormats& locale) {
  TimeMatch match;
  match.begin = i;
  match.end = i + 1;
  match.fields[0] = tokens[i].value;
  match.count = 1;
  while (match.count < 3 && match.end + 1 < tokens.size() && tokens[match.end].kind == Token::Colon &&
         tokens[match.end + 1].kind == Token::Number) {
    match.fields[match.count++] = tokens[match.end + 1].value;
    match.end += 2;
  }
  if (match.end < tokens.size() && (match.designator = designatorOf(tokens[match.end], locale)) != Designator::None) {
    ++match.end;
  } else if (i > 0 && (match.designator = designatorOf(tokens[i - 1], locale)) != Designator::None) {
    --match.begin;
  }
  return match;
}

// Finds the time, marks its tokens used and checks its fields; false when a
// time is there but invalid. A time with colons wins over a bare hour with a
// designator ("6 PM"), so a day before a leading designator is not taken for
// an hour.
bool extractTime(const std::vector<Token>& tokens, const LocaleFormats& locale, std::vector<bool>* used,
                 std::optional<TimeOfDay>* time) {
  std::optional<TimeMatch> found;
  for (int pass = 0; pass < 2 && !found; ++pass) {
    for (std::size_t i = 0; i < tokens.size() && !found; ++i) {
      if (tokens[i].kind != Token::Number) continue;
      const TimeMatch match = matchTimeAt(tokens, i, locale);
      const bool withColons = match.count > 1;
      if (pass == 0 ? withColons : match.designator != Designator::None) found = match;
    }
  }
  if (!found) return true;
  if (found->end < tokens.size() && tokens[found->end].kind == Token::Colon) return false;
  for (std::size_t k = found->begin; k < found->end; ++k) (*used)[k] = true;

  TimeOfDay value{found->fields[0], found->fields[1], found->fields[2]};
  if (found->designator != Designator::None) {
    if (value.hour > 12) return false;
    if (value.hour == 12) value.hour = 0;
    if (found->designator == Designator::Pm) value.hour += 12;
  }
  if (value.hour > 23 || value.minute > 59 || value.second > 59) return false;
  *time = value;
  return true;
}

int fullYear(const Token& token) {
  if (token.text.size() <= 2) return token.value < 30 ? 2000 + token.value : 1900 + token.value;
  return token.value;
}

int currentYear() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

// The order of day, month and year in the locale's short date pattern, as
// the positions 0 to 2 of each.
struct FieldOrder {
  int day = 1;
  int month = 0;
  int year = 2;
};

FieldOrder orderOf(const LocaleFormats& locale) {
  const std::size_t day = locale.shortDate.find(u'd');
  const std::size_t month = locale.shortDate.find(u'M');
  const std::size_t year = locale.shortDate.find(u'y');
  if (day == std::u16string::npos || month == std::u16string::npos || year == std::u16string::npos) return {};
  auto rank = [&](std::size_t position) {
    return static_cast<int>((position > day) + (position > month) + (position > year));
  };
  return {rank(day), rank(month), rank(year)};
}

bool validDay(int year, int month, int day) {
  return day >= 1 && day <= daysInMonth(year, month);
}

// Builds the calendar date from the numbers and the month name left over.
bool assembleDate(const std::vector<const Token*>& numbers, int namedMonth, const LocaleFormats& locale,
                  DateParts* parts) {
  auto looksLikeYear = [](const Token* token) { return token->text.size() >= 3 || token->value > 31; };
  if (namedMonth != 0) {
    parts->month = namedMonth;
    if (numbers.size() == 1) {
      if (looksLikeYear(numbers[0])) {
        parts->year = fullYear(*numbers[0]);
        parts->day = 1;
      } else {
        parts->year = currentYear();
        parts->day = numbers[0]->value;
      }
    } else if (numbers.size() == 2) {
      const bool firstIsYear = looksLikeYear(numbers[0]) && !looksLikeYear(numbers[1]);
      parts->year = fullYear(*numbers[firstIsYear ? 0 : 1]);
      parts->day = numbers[firstIsYear ? 1 : 0]->value;
    } else {
      return false;
    }
    return validDay(parts->year, parts->month, parts->day);
  }
  if (numbers.size() == 3) {
    if (looksLikeYear(numbers[0])) {
      parts->year = fullYear(*numbers[0]);
      parts->month = numbers[1]->value;
      parts->day = numbers[2]->value;
      return validDay(parts->year, parts->month, parts->day);
    }
    const FieldOrder order = orderOf(locale);
    parts->year = fullYear(*numbers[order.year]);
    parts->month = numbers[order.month]->value;
    parts->day = numbers[order.day]->value;
    if (validDay(parts->year, parts->month, parts->day)) return true;
    // A day that cannot be a month ("15/3/2023" in a month-first locale) is
    // read the other way round, as the platform reads it.
    std::swap(parts->month, parts->day);
    return validDay(parts->year, parts->month, parts->day);
  }
  if (numbers.size() == 2) {
    if (looksLikeYear(numbers[0]) || looksLikeYear(numbers[1])) {
      const bool firstIsYear = looksLikeYear(numbers[0]);
      parts->year = fullYear(*numbers[firstIsYear ? 0 : 1]);
      parts->month = numbers[firstIsYear ? 1 : 0]->value;
      parts->day = 1;
      return validDay(parts->year, parts->month, parts->day);
    }
    const FieldOrder order = orderOf(locale);
    const bool monthFirst = order.month < order.day;
    parts->year = currentYear();
    parts->month = numbers[monthFirst ? 0 : 1]->value;
    parts->day = numbers[monthFirst ? 1 : 0]->value;
    return validDay(parts->year, parts->month, parts->day);
  }
  return false;
}

}  // namespace

HRESULT parseDate(std::u16string_view text, const LocaleFormats& locale, DATE* value) {
  std::vector<Token> tokens;
  if (!tokenize(text, &tokens) || tokens.empty()) return DISP_E_TYPEMISMATCH;
  // A leading minus is a sign, not a separator: "-2.5" is a negative number,
  // and reading it as the fifth of February would drop the sign unseen.
  if (tokens.front().kind == Token::Separator && tokens.front().text == u"-") return DISP_E_TYPEMISMATCH;
  std::vector<bool> used(tokens.size(), false);
  std::optional<TimeOfDay> time;
  if (!extractTime(tokens, locale, &used, &time)) return DISP_E_TYPEMISMATCH;

  std::vector<const Token*> numbers;
  int namedMonth = 0;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (used[i]) continue;
    const Token& token = tokens[i];
    if (token.kind == Token::Number) {
      numbers.push_back(&token);
    } else if (const int month = monthOf(token); month != 0 && namedMonth == 0) {
      namedMonth = month;
    } else if (token.kind == Token::Colon || (token.kind == Token::Word && !isIgnorableWord(token))) {
      return DISP_E_TYPEMISMATCH;
    }
  }

  DateParts parts;
  const bool hasDate = !numbers.empty() || namedMonth != 0;
  if (!hasDate && !time) return DISP_E_TYPEMISMATCH;
  if (hasDate && !assembleDate(numbers, namedMonth, locale, &parts)) return DISP_E_TYPEMISMATCH;
  if (time) {
    parts.hour = time->hour;
    parts.minute = time->minute;
    parts.second = time->second;
  }
  if (!hasDate) {
    // A time alone is a time on the zero day.
    *value = (parts.hour * 3600 + parts.minute * 60 + parts.second) / 86400.0;
    return S_OK;
  }
  return partsToDate(parts, value) ? S_OK : DISP_E_TYPEMISMATCH;
}

}  // namespace com::automation
