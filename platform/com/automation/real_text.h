#pragma once

// Floating-point values as text and back, independent of the C library's
// locale: the decimal separator is the coercion locale's.

#include <string>
#include <string_view>

#include "com/oleauto.h"
#include "number_parse.h"

namespace com::automation {

// Significant digits shown for each floating type, as OLE Automation shows
// them: 7 for VT_R4, 15 for VT_R8.
inline constexpr int kSingleDigits = 7;
inline constexpr int kDoubleDigits = 15;

// General format with up to `digits` significant digits and no trailing
// zeros: plain notation for exponents from -4 to digits - 1, otherwise
// scientific with a signed exponent of at least two digits ("1E+20",
// "1E-07"). Negative zero reads "0"; infinities and NaN read "INF", "-INF"
// and "NAN".
std::u16string formatReal(double value, int digits, std::u16string_view decimalSeparator);
std::u16string formatSingle(float value, std::u16string_view decimalSeparator);

// Correctly rounded conversions of parsed text. DISP_E_OVERFLOW when the
// value exceeds the type; values too small for it become zero.
HRESULT doubleFromParsed(const ParsedNumber& number, double* value);
HRESULT singleFromParsed(const ParsedNumber& number, float* value);

// The value rounded to `digits` significant digits, as parsed text (for
// conversion of floating values to DECIMAL).
ParsedNumber parsedFromReal(double value, int digits);

}  // namespace com::automation
