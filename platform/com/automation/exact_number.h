#pragma once

// Exact decimal values for coercion between integers, currency, DECIMAL and
// text: a sign and a magnitude scaled by a power of ten. Rounding is half to
// even throughout, as OLE Automation rounds.

#include <string>

#include "com/oleauto.h"
#include "number_parse.h"

namespace com::automation {

// GCC's 128-bit integer holds every DECIMAL mantissa (96 bits) and every
// currency value scaled further, without a multi-word type.
using Magnitude = unsigned __int128;

struct ExactNumber {
  bool negative = false;
  Magnitude magnitude = 0;
  int scale = 0;  // value = magnitude / 10^scale

  bool isZero() const { return magnitude == 0; }
};

ExactNumber exactFromSigned(long long value);
ExactNumber exactFromUnsigned(unsigned long long value);
ExactNumber exactFromCurrency(const CY& value);
// E_INVALIDARG for a DECIMAL whose scale exceeds 28 or whose sign is neither
// 0 nor DECIMAL_NEG.
HRESULT exactFromDecimal(const DECIMAL& value, ExactNumber* number);

// The value at `scale` decimal places, rounded half to even; false when the
// result does not fit the magnitude.
bool rescale(const ExactNumber& number, int scale, ExactNumber* result);

// Integer in [minimum, maximum] after rounding to a whole number; false
// (overflow) otherwise.
bool exactToInteger(const ExactNumber& number, __int128 minimum, __int128 maximum, __int128* value);

// Currency (scale 4, 64 bits); false on overflow.
bool exactToCurrency(const ExactNumber& number, CY* value);

// DECIMAL with the largest scale up to 28 that fits 96 bits; false when even
// the whole number does not fit.
bool exactToDecimal(const ExactNumber& number, DECIMAL* value);

// The parsed text at `scale` decimal places; false on overflow. A bit
// pattern reads as a signed 32-bit value, or a 64-bit one when it is wider.
bool exactFromParsed(const ParsedNumber& number, int scale, ExactNumber* result);

// The parsed text as a DECIMAL: up to 29 significant digits and 28 decimal
// places, rounded beyond; false when the whole number does not fit 96 bits.
bool decimalFromParsed(const ParsedNumber& number, DECIMAL* value);

// The digits of the value in C notation ("-12345e-4"), for std::from_chars.
std::string exactToScientific(const ExactNumber& number);

// Plain digits with the given decimal separator, trailing fraction zeros
// removed ("12.3456", "-0.5", "7").
std::u16string formatExact(const ExactNumber& number, std::u16string_view decimalSeparator);

}  // namespace com::automation
