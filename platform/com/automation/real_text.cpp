#include "real_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace com::automation {
namespace {

// Mantissa digits (without the point) and decimal exponent of `value` in
// scientific notation with `digits` significant digits.
template <typename Real>
void scientificParts(Real value, int digits, std::string* mantissa, int* exponent) {
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, digits - 1).ptr;
  const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
  const std::size_t e = text.find('e');
  mantissa->clear();
  for (char c : text.substr(0, e)) {
    if (c >= '0' && c <= '9') mantissa->push_back(c);
  }
  *exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
}

template <typename Real>
std::u16string formatGeneral(Real value, int digits, std::u16string_view decimalSeparator) {
  if (std::isnan(value)) return u"NAN";
  if (std::isinf(value)) return value < 0 ? u"-INF" : u"INF";
  if (value == 0) return u"0";
  std::u16string text;
  if (value < 0) {
    text += u'-';
    value = -value;
  }
  std::string mantissa;
  int exponent = 0;
  scientificParts(value, digits, &mantissa, &exponent);
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();

  if (exponent < -4 || exponent >= digits) {
    text += static_cast<char16_t>(mantissa[0]);
    if (mantissa.size() > 1) {
      text += decimalSeparator;
      for (std::size_t i = 1; i < mantissa.size(); ++i) text += static_cast<char16_t>(mantissa[i]);
    }
    text += exponent < 0 ? u"E-" : u"E+";
    const int magnitude = std::abs(exponent);
    if (magnitude < 10) text += u'0';
    for (char c : std::to_string(magnitude)) text += static_cast<char16_t>(c);
    return text;
  }
  if (exponent < 0) {
    text += u'0';
    text += decimalSeparator;
    text.append(static_cast<std::size_t>(-exponent - 1), u'0');
    for (char c : mantissa) text += static_cast<char16_t>(c);
    return text;
  }
  const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
  for (std::size_t i = 0; i < std::max(integerDigits, mantissa.size()); ++i) {
    if (i == integerDigits) text += decimalSeparator;
    text += i < mantissa.size() ? static_cast<char16_t>(mantissa[i]) : u'0';
  }
  return text;
}

template <typename Real>
HRESULT realFromParsed(const ParsedNumber& number, Real* value) {
  if (number.isBitPattern) {
    const long long bits = bitPatternValue(number);
    *value = static_cast<Real>(bits);
    return S_OK;
  }
  if (number.digits.empty()) {
    *value = 0;
    return S_OK;
  }
  const std::string text = number.digits + "e" + std::to_string(number.exponent);
  Real parsed = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large overflows; too small is zero, as the platform reads it.
    const long long magnitude = static_cast<long long>(number.digits.size()) + number.exponent;
    if (magnitude > 0) return DISP_E_OVERFLOW;
    parsed = 0;
  } else if (result.ec != std::errc{} || std::isinf(parsed)) {
    return DISP_E_OVERFLOW;
  }
  *value = number.negative ? -parsed : parsed;
  return S_OK;
}

}  // namespace

std::u16string formatReal(double value, int digits, std::u16string_view decimalSeparator) {
  return formatGeneral(value, digits, decimalSeparator);
}

std::u16string formatSingle(float value, std::u16string_view decimalSeparator) {
  return formatGeneral(value, kSingleDigits, decimalSeparator);
}

HRESULT doubleFromParsed(const ParsedNumber& number, double* value) {
  return realFromParsed(number, value);
}

HRESULT singleFromParsed(const ParsedNumber& number, float* value) {
  return realFromParsed(number, value);
}

ParsedNumber parsedFromReal(double value, int digits) {
  ParsedNumber number;
  if (value == 0 || !std::isfinite(value)) return number;
  number.negative = value < 0;
  std::string mantissa;
  int exponent = 0;
  scientificParts(std::fabs(value), digits, &mantissa, &exponent);
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
  number.digits = mantissa;
  number.exponent = exponent - static_cast<long long>(mantissa.size()) + 1;
  return number;
}

}  // namespace com::automation
