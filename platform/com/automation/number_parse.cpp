#include "number_parse.h"

#include <cstdint>

namespace com::automation {
namespace {

constexpr long long kExponentLimit = 1'000'000'000;

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int hexValue(char16_t c) {
  if (isDigit(c)) return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// A cursor over the text with the locale's separators.
class Scanner {
 public:
  Scanner(std::u16string_view text, const LocaleFormats& locale) : text_(text), locale_(locale) {}

  bool atEnd() const { return position_ == text_.size(); }
  char16_t peek() const { return atEnd() ? u'\0' : text_[position_]; }
  void skip() { ++position_; }
  bool accept(char16_t c) {
    if (peek() != c) return false;
    ++position_;
    return true;
  }
  bool acceptText(std::u16string_view word) {
    if (word.empty() || text_.substr(position_, word.size()) != word) return false;
    position_ += word.size();
    return true;
  }
  bool acceptDecimalSeparator() { return acceptText(locale_.decimalSeparator); }
  // Locales that group with a no-break space are also typed with a plain one.
  bool acceptThousandSeparator() {
    if (acceptText(locale_.thousandSeparator)) return true;
    const std::u16string& separator = locale_.thousandSeparator;
    const bool spaceLike = separator == u"\u00A0" || separator == u"\u202F";
    return spaceLike && accept(u' ');
  }
  std::size_t position() const { return position_; }
  void rewind(std::size_t position) { position_ = position; }

 private:
  std::u16string_view text_;
  const LocaleFormats& locale_;
  std::size_t position_ = 0;
};

HRESULT parseBitPattern(Scanner& scanner, ParsedNumber* number) {
  int shift = 0;
  if (scanner.accept(u'H') || scanner.accept(u'h')) {
    shift = 4;
  } else if (scanner.accept(u'O') || scanner.accept(u'o')) {
    shift = 3;
  } else {
    return DISP_E_TYPEMISMATCH;
  }
  const int radix = 1 << shift;
  bool any = false;
  unsigned long long bits = 0;
  for (;;) {
    const int digit = hexValue(scanner.peek());
    if (digit < 0 || digit >= radix) break;
    if (bits >> (64 - shift) != 0) return DISP_E_OVERFLOW;
    bits = (bits << shift) | static_cast<unsigned>(digit);
    any = true;
    scanner.skip();
  }
  if (!any) return DISP_E_TYPEMISMATCH;
  number->isBitPattern = true;
  number->bits = bits;
  return S_OK;
}

// Digits of the integer part. Thousands separators are taken only between
// groups of three digits, so a value typed with the other convention's
// separators ("1,5" where the comma groups) is refused instead of being read
// as a different number.
bool parseIntegerPart(Scanner& scanner, std::string* digits) {
  std::size_t group = 0;
  bool grouped = false;
  for (;;) {
    if (isDigit(scanner.peek())) {
      digits->push_back(static_cast<char>(scanner.peek()));
      scanner.skip();
      ++group;
      continue;
    }
    const std::size_t before = scanner.position();
    if (group == 0 || !scanner.acceptThousandSeparator()) break;
    if (!isDigit(scanner.peek())) {
      scanner.rewind(before);
      break;
    }
    if (grouped ? group != 3 : group > 3) return false;
    grouped = true;
    group = 0;
  }
  return !grouped || group == 3;
}

bool parseExponent(Scanner& scanner, long long* exponent) {
  const std::size_t before = scanner.position();
  if (!scanner.accept(u'e') && !scanner.accept(u'E')) return true;
  bool negative = false;
  if (scanner.accept(u'-')) {
    negative = true;
  } else {
    scanner.accept(u'+');
  }
  if (!isDigit(scanner.peek())) {
    scanner.rewind(before);
    return false;
  }
  long long value = 0;
  while (isDigit(scanner.peek())) {
    // Beyond the limit every value overflows or vanishes anyway.
    if (value < kExponentLimit) value = value * 10 + (scanner.peek() - u'0');
    scanner.skip();
  }
  *exponent = negative ? -value : value;
  return true;
}

HRESULT parseDecimal(Scanner& scanner, ParsedNumber* number) {
  std::string digits;
  if (!parseIntegerPart(scanner, &digits)) return DISP_E_TYPEMISMATCH;
  const std::size_t integerDigits = digits.size();
  if (scanner.acceptDecimalSeparator()) {
    while (isDigit(scanner.peek())) {
      digits.push_back(static_cast<char>(scanner.peek()));
      scanner.skip();
    }
  }
  if (digits.empty()) return DISP_E_TYPEMISMATCH;
  long long exponent = 0;
  if (!parseExponent(scanner, &exponent)) return DISP_E_TYPEMISMATCH;
  exponent -= static_cast<long long>(digits.size() - integerDigits);

  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) {
    number->digits.clear();
    number->exponent = 0;
    return S_OK;
  }
  const std::size_t last = digits.find_last_not_of('0');
  number->digits = digits.substr(first, last - first + 1);
  number->exponent = exponent + static_cast<long long>(digits.size() - 1 - last);
  return S_OK;
}

}  // namespace

long long bitPatternValue(const ParsedNumber& number) {
  if (number.bits <= 0xFFFFFFFFull) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(number.bits));
  }
  return static_cast<long long>(number.bits);
}

HRESULT parseNumber(std::u16string_view text, const LocaleFormats& locale, ParsedNumber* number) {
  *number = ParsedNumber{};
  text = trimBlanks(text);
  bool parenthesized = false;
  if (text.size() >= 2 && text.front() == u'(' && text.back() == u')') {
    parenthesized = true;
    text = text.substr(1, text.size() - 2);
  }
  Scanner scanner(text, locale);
  bool leadingSign = false;
  if (scanner.accept(u'-')) {
    number->negative = true;
    leadingSign = true;
  } else if (scanner.accept(u'+')) {
    leadingSign = true;
  }
  if (scanner.accept(u'&')) {
    // A bit pattern carries no sign of its own.
    if (leadingSign || parenthesized) return DISP_E_TYPEMISMATCH;
    const HRESULT result = parseBitPattern(scanner, number);
    if (FAILED(result)) return result;
    return scanner.atEnd() ? S_OK : DISP_E_TYPEMISMATCH;
  }
  const HRESULT result = parseDecimal(scanner, number);
  if (FAILED(result)) return result;
  if (!leadingSign && !parenthesized) {
    if (scanner.accept(u'-')) {
      number->negative = true;
    } else {
      scanner.accept(u'+');
    }
  }
  if (!scanner.atEnd()) return DISP_E_TYPEMISMATCH;
  if (parenthesized) {
    if (leadingSign) return DISP_E_TYPEMISMATCH;
    number->negative = true;
  }
  if (number->digits.empty()) number->negative = false;
  return S_OK;
}

}  // namespace com::automation
