#include "exact_number.h"

#include <algorithm>

namespace com::automation {
namespace {

constexpr int kMaxDecimalScale = 28;
constexpr int kMaxDecimalDigits = 29;
constexpr Magnitude kDecimalLimit = Magnitude{1} << 96;  // exclusive
// 10^38 is the largest power of ten below 2^128.
constexpr int kMaxPowerOfTen = 38;

Magnitude powerOfTen(int exponent) {
  Magnitude value = 1;
  for (int i = 0; i < exponent; ++i) value *= 10;
  return value;
}

// Divides by 10^digits, rounding half to even.
Magnitude divideRounded(Magnitude value, int digits) {
  if (digits > kMaxPowerOfTen) return 0;  // the value is below one half
  const Magnitude divisor = powerOfTen(digits);
  const Magnitude quotient = value / divisor;
  const Magnitude remainder = value % divisor;
  const Magnitude half = divisor / 2;
  if (remainder > half || (remainder == half && (quotient & 1) != 0)) return quotient + 1;
  return quotient;
}

bool multiplyChecked(Magnitude value, int digits, Magnitude* result) {
  for (int i = 0; i < digits; ++i) {
    if (value > ~Magnitude{0} / 10) return false;
    value *= 10;
  }
  *result = value;
  return true;
}

std::string digitsOf(Magnitude value) {
  std::string digits;
  do {
    digits.push_back(static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  } while (value != 0);
  std::reverse(digits.begin(), digits.end());
  return digits;
}

// Rounds the parsed digits to `scale` decimal places, half to even; false
// when the result needs more than 38 digits.
bool roundParsed(const ParsedNumber& number, int scale, Magnitude* result) {
  const std::string& digits = number.digits;
  const long long shift = number.exponent + scale;  // value × 10^scale = digits × 10^shift
  const long long length = static_cast<long long>(digits.size());
  if (digits.empty() || length + shift <= -1) {
    *result = 0;
    return true;
  }
  if (length + shift > kMaxPowerOfTen) return false;
  const long long kept = std::min(length, length + shift);
  Magnitude value = 0;
  for (long long i = 0; i < kept; ++i) value = value * 10 + static_cast<unsigned>(digits[i] - '0');
  if (shift > 0) return multiplyChecked(value, static_cast<int>(shift), result);
  if (kept < length) {
    // Trailing zeros were stripped, so any digit after the first dropped one
    // is non-zero and makes a dropped 5 more than a half.
    const int dropped = digits[kept] - '0';
    const bool moreFollow = kept + 1 < length;
    if (dropped > 5 || (dropped == 5 && (moreFollow || (value & 1) != 0))) ++value;
  }
  *result = value;
  return true;
}

}  // namespace

ExactNumber exactFromSigned(long long value) {
  ExactNumber number;
  number.negative = value < 0;
  number.magnitude = value < 0 ? static_cast<Magnitude>(-static_cast<__int128>(value)) : static_cast<Magnitude>(value);
  return number;
}

ExactNumber exactFromUnsigned(unsigned long long value) {
  ExactNumber number;
  number.magnitude = value;
  return number;
}

ExactNumber exactFromCurrency(const CY& value) {
  ExactNumber number = exactFromSigned(value.int64);
  number.scale = 4;
  return number;
}

HRESULT exactFromDecimal(const DECIMAL& value, ExactNumber* number) {
  if (value.s.scale > kMaxDecimalScale || (value.s.sign & ~DECIMAL_NEG) != 0) return E_INVALIDARG;
  number->negative = value.s.sign == DECIMAL_NEG;
  number->magnitude = (Magnitude{value.Hi32} << 64) | value.Lo64;
  number->scale = value.s.scale;
  if (number->magnitude == 0) number->negative = false;
  return S_OK;
}

bool rescale(const ExactNumber& number, int scale, ExactNumber* result) {
  ExactNumber scaled = number;
  scaled.scale = scale;
  if (scale >= number.scale) {
    if (!multiplyChecked(number.magnitude, scale - number.scale, &scaled.magnitude)) return false;
  } else {
    scaled.magnitude = divideRounded(number.magnitude, number.scale - scale);
  }
  if (scaled.magnitude == 0) scaled.negative = false;
  *result = scaled;
  return true;
}

bool exactToInteger(const ExactNumber& number, __int128 minimum, __int128 maximum, __int128* value) {
  ExactNumber whole;
  if (!rescale(number, 0, &whole)) return false;
  if (whole.magnitude > (Magnitude{1} << 127) - 1) return false;
  const __int128 signedValue = whole.negative ? -static_cast<__int128>(whole.magnitude)
                                              : static_cast<__int128>(whole.magnitude);
  if (signedValue < minimum || signedValue > maximum) return false;
  *value = signedValue;
  return true;
}

bool exactToCurrency(const ExactNumber& number, CY* value) {
  ExactNumber scaled;
  if (!rescale(number, 4, &scaled)) return false;
  const Magnitude limit = scaled.negative ? Magnitude{1} << 63 : (Magnitude{1} << 63) - 1;
  if (scaled.magnitude > limit) return false;
  const Magnitude twos = scaled.negative ? Magnitude(0) - scaled.magnitude : scaled.magnitude;
  value->int64 = static_cast<LONGLONG>(static_cast<ULONGLONG>(twos));
  return true;
}

bool exactToDecimal(const ExactNumber& number, DECIMAL* value) {
  ExactNumber fitted = number;
  if (fitted.scale > kMaxDecimalScale) rescale(number, kMaxDecimalScale, &fitted);
  // Drop decimal places (rounding from the original value each time) until
  // the mantissa fits.
  while (fitted.magnitude >= kDecimalLimit && fitted.scale > 0) rescale(number, fitted.scale - 1, &fitted);
  if (fitted.magnitude >= kDecimalLimit) return false;
  *value = DECIMAL{};
  value->s.scale = static_cast<BYTE>(fitted.scale);
  value->s.sign = fitted.negative ? DECIMAL_NEG : 0;
  value->Hi32 = static_cast<ULONG>(fitted.magnitude >> 64);
  value->Lo64 = static_cast<ULONGLONG>(fitted.magnitude);
  return true;
}

bool exactFromParsed(const ParsedNumber& number, int scale, ExactNumber* result) {
  if (number.isBitPattern) {
    const long long bits = bitPatternValue(number);
    return rescale(exactFromSigned(bits), scale, result);
  }
  ExactNumber exact;
  exact.scale = scale;
  if (!roundParsed(number, scale, &exact.magnitude)) return false;
  exact.negative = number.negative && exact.magnitude != 0;
  *result = exact;
  return true;
}

bool decimalFromParsed(const ParsedNumber& number, DECIMAL* value) {
  if (number.isBitPattern) {
    ExactNumber exact;
    return exactFromParsed(number, 0, &exact) && exactToDecimal(exact, value);
  }
  // Digits before the decimal separator; the rest of the 29 may be places.
  const long long integerDigits = static_cast<long long>(number.digits.size()) + number.exponent;
  if (integerDigits > kMaxDecimalDigits) return false;
  long long places = std::clamp<long long>(-number.exponent, 0, kMaxDecimalScale);
  places = std::min<long long>(places, std::max<long long>(0, kMaxDecimalDigits - integerDigits));
  for (int scale = static_cast<int>(places); scale >= 0; --scale) {
    ExactNumber exact;
    if (!exactFromParsed(number, scale, &exact)) return false;
    if (exact.magnitude < kDecimalLimit) return exactToDecimal(exact, value);
  }
  return false;
}

std::string exactToScientific(const ExactNumber& number) {
  std::string text = number.negative ? "-" : "";
  text += digitsOf(number.magnitude);
  text += "e-" + std::to_string(number.scale);
  return text;
}

std::u16string formatExact(const ExactNumber& number, std::u16string_view decimalSeparator) {
  std::string digits = digitsOf(number.magnitude);
  int scale = number.scale;
  while (scale > 0 && digits.size() > 1 && digits.back() == '0') {
    digits.pop_back();
    --scale;
  }
  if (scale > 0 && digits == "0") scale = 0;
  if (static_cast<int>(digits.size()) <= scale) digits.insert(0, scale - digits.size() + 1, '0');
  std::u16string text;
  if (number.negative && number.magnitude != 0) text += u'-';
  const std::size_t integerDigits = digits.size() - scale;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i == integerDigits) text += decimalSeparator;
    text += static_cast<char16_t>(digits[i]);
  }
  return text;
}

}  // namespace com::automation
