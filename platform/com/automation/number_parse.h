#pragma once

// Reading a number typed as text: blanks around it, a sign in front or
// behind or parentheses for a negative value, the locale's decimal separator,
// thousands separators between groups of three digits, an exponent ("1e3"),
// and hexadecimal ("&H1F") or octal ("&O17") bit patterns.

#include <string>
#include <string_view>

#include "locale_formats.h"
#include "text_scan.h"

namespace com::automation {

struct ParsedNumber {
  bool negative = false;
  // Significant decimal digits without leading or trailing zeros; empty for
  // zero. The value is digits × 10^exponent.
  std::string digits;
  long long exponent = 0;
  // A "&H" or "&O" literal: its bits, and no decimal digits.
  bool isBitPattern = false;
  unsigned long long bits = 0;

  bool isZero() const { return isBitPattern ? bits == 0 : digits.empty(); }
};

// DISP_E_TYPEMISMATCH for text that is not a number, DISP_E_OVERFLOW for a
// bit pattern wider than 64 bits.
HRESULT parseNumber(std::u16string_view text, const LocaleFormats& locale, ParsedNumber* number);

// A bit pattern as a signed number for types other than integers: 32 bits
// wide ("&HFFFFFFFF" is -1), or 64 when the digits need more.
long long bitPatternValue(const ParsedNumber& number);

}  // namespace com::automation
