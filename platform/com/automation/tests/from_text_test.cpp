// Text read as every value type: rounding, separators, bit patterns,
// overflow and malformed text.

#include <gtest/gtest.h>

#include <cfloat>
#include <limits>

#include "value_helpers.h"

namespace {

using namespace com::automation::testing;

struct Case {
  const char16_t* text;
  VARTYPE type;
  VARIANT expected;             // when the conversion succeeds
  HRESULT result = S_OK;        // otherwise
  LCID locale = kEnglishUs;
};

Case fails(const char16_t* text, VARTYPE type, HRESULT result, LCID locale = kEnglishUs) {
  return {text, type, Empty(), result, locale};
}

void expectConversions(std::initializer_list<Case> cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE("\"" + narrow(c.text) + "\" to type " + std::to_string(c.type) + " in locale " +
                 std::to_string(c.locale));
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(c.text);
    VARIANT value;
    VariantInit(&value);
    const HRESULT result = VariantChangeTypeEx(&value, &text, c.locale, 0, c.type);
    EXPECT_EQ(result, c.result);
    if (c.result == S_OK) {
      EXPECT_TRUE(sameValue(value, c.expected)) << describe(value) << " instead of " << describe(c.expected);
    } else {
      EXPECT_EQ(value.vt, VT_EMPTY);
    }
    VariantClear(&value);
    VariantClear(&text);
  }
}

TEST(FromText, IntegersRoundHalfToEvenAndAcceptTheUsualForms) {
  expectConversions({
      {u"42", VT_I4, I4(42)},
      {u" \t42  ", VT_I4, I4(42)},
      {u"+42", VT_I4, I4(42)},
      {u"2.5", VT_I4, I4(2)},
      {u"-2.5", VT_I4, I4(-2)},
      {u"3.5", VT_I4, I4(4)},
      {u"2.5000000000000000000000001", VT_I4, I4(3)},
      {u"2.4999999999999999999999999", VT_I4, I4(2)},
      {u"-0.4", VT_UI1, UI1(0)},
      {u"&H1F", VT_I4, I4(31)},
      {u"&h1f", VT_I4, I4(31)},
      {u"&O17", VT_I4, I4(15)},
      {u"1e3", VT_I4, I4(1000)},
      {u"1.5E+1", VT_I4, I4(15)},
      {u"25e-1", VT_I4, I4(2)},
      {u"1e-400", VT_I4, I4(0)},
      {u"1,000", VT_I4, I4(1000)},
      {u"-1,234,567", VT_I4, I4(-1234567)},
      {u"1,000.5", VT_I4, I4(1000)},
      {u"(5)", VT_I4, I4(-5)},
      {u"5-", VT_I4, I4(-5)},
      {u"007", VT_I4, I4(7)},
      {u".5", VT_I4, I4(0)},
      {u"1.", VT_I4, I4(1)},
      {u"1.000", VT_I4, I4(1000), S_OK, kGerman},
      {u"1,5", VT_I4, I4(2), S_OK, kGerman},
  });
}

TEST(FromText, MalformedTextIsATypeMismatch) {
  for (const char16_t* text : {u"abc", u"", u"   ", u"0x1F", u"1e", u"e3", u".", u"--5", u"-5-", u"(-5)", u"()",
                               u"12 34", u"1,5", u"1,0000", u"1234,567", u",100", u"1,", u"&H", u"&G1", u"-&H1",
                               u"&H1G", u"5%", u"1e+", u"\u0661"}) {
    expectConversions({fails(text, VT_I4, DISP_E_TYPEMISMATCH)});
  }
  // A decimal point is a grouping separator in German and must group three
  // digits there.
  expectConversions({fails(u"1.5", VT_R8, DISP_E_TYPEMISMATCH, kGerman)});
}

TEST(FromText, EveryIntegerTypeOverflowsAtItsOwnLimits) {
  expectConversions({
      {u"-128", VT_I1, I1(-128)},
      {u"127", VT_I1, I1(127)},
      fails(u"128", VT_I1, DISP_E_OVERFLOW),
      fails(u"-129", VT_I1, DISP_E_OVERFLOW),
      {u"255", VT_UI1, UI1(255)},
      fails(u"256", VT_UI1, DISP_E_OVERFLOW),
      fails(u"-1", VT_UI1, DISP_E_OVERFLOW),
      fails(u"255.5", VT_UI1, DISP_E_OVERFLOW),
      {u"-32768", VT_I2, I2(-32768)},
      fails(u"32768", VT_I2, DISP_E_OVERFLOW),
      {u"65535", VT_UI2, UI2(65535)},
      fails(u"65536", VT_UI2, DISP_E_OVERFLOW),
      {u"-2147483648", VT_I4, I4(-2147483648LL)},
      fails(u"2147483648", VT_I4, DISP_E_OVERFLOW),
      fails(u"2147483647.5", VT_I4, DISP_E_OVERFLOW),
      {u"2147483647", VT_INT, Int(2147483647)},
      fails(u"-2147483649", VT_INT, DISP_E_OVERFLOW),
      {u"4294967295", VT_UI4, UI4(4294967295ULL)},
      fails(u"4294967296", VT_UI4, DISP_E_OVERFLOW),
      {u"4294967295", VT_UINT, UInt(4294967295ULL)},
      fails(u"-1", VT_UINT, DISP_E_OVERFLOW),
      {u"-9223372036854775808", VT_I8, I8(std::numeric_limits<long long>::min())},
      {u"9223372036854775807", VT_I8, I8(std::numeric_limits<long long>::max())},
      fails(u"9223372036854775808", VT_I8, DISP_E_OVERFLOW),
      {u"18446744073709551615", VT_UI8, UI8(~0ULL)},
      fails(u"18446744073709551616", VT_UI8, DISP_E_OVERFLOW),
      fails(u"1e400", VT_I8, DISP_E_OVERFLOW),
      fails(u"123456789012345678901234567890123456789012345", VT_UI8, DISP_E_OVERFLOW),
  });
}

TEST(FromText, BitPatternsFillTheTargetsWidth) {
  expectConversions({
      {u"&HFF", VT_I1, I1(-1)},
      {u"&HFF", VT_UI1, UI1(255)},
      fails(u"&H100", VT_I1, DISP_E_OVERFLOW),
      {u"&HFFFF", VT_I2, I2(-1)},
      {u"&HFFFF", VT_I4, I4(65535)},
      {u"&HFFFFFFFF", VT_I4, I4(-1)},
      {u"&HFFFFFFFF", VT_UI4, UI4(4294967295ULL)},
      fails(u"&H100000000", VT_I4, DISP_E_OVERFLOW),
      {u"&HFFFFFFFFFFFFFFFF", VT_I8, I8(-1)},
      {u"&HFFFFFFFFFFFFFFFF", VT_UI8, UI8(~0ULL)},
      fails(u"&H10000000000000000", VT_UI8, DISP_E_OVERFLOW),
      {u"&O1777777777777777777777", VT_UI8, UI8(~0ULL)},
      fails(u"&O2000000000000000000000", VT_UI8, DISP_E_OVERFLOW),
      // Other types read the pattern as a 32-bit integer.
      {u"&HFFFF", VT_R8, R8(65535)},
      {u"&HFFFFFFFF", VT_R8, R8(-1)},
      {u"&H10", VT_CY, Cy(160000)},
      {u"&H0", VT_BOOL, Bool(false)},
  });
}

TEST(FromText, FloatingTypesRoundCorrectlyAndOverflowBeyondTheirRange) {
  expectConversions({
      {u"1e20", VT_R4, R4(1e20f)},
      {u"0.1", VT_R4, R4(0.1f)},
      {u"3.4028235e38", VT_R4, R4(FLT_MAX)},
      fails(u"3.5e38", VT_R4, DISP_E_OVERFLOW),
      {u"1e-50", VT_R4, R4(0.0f)},
      {u"-0", VT_R4, R4(0.0f)},
      {u"1e-7", VT_R8, R8(1e-7)},
      {u"0.1", VT_R8, R8(0.1)},
      {u"1.7976931348623157e308", VT_R8, R8(DBL_MAX)},
      fails(u"1e309", VT_R8, DISP_E_OVERFLOW),
      {u"-1,234.5e-3", VT_R8, R8(-1.2345)},
      {u"1,5", VT_R8, R8(1.5), S_OK, kGerman},
      {u"-1.000,25", VT_R8, R8(-1000.25), S_OK, kGerman},
      {u"1\u00A0000,5", VT_R8, R8(1000.5), S_OK, kFrench},
      {u"1 000,5", VT_R8, R8(1000.5), S_OK, kFrench},
  });
}

TEST(FromText, CurrencyAndDecimalKeepTheTypedDigits) {
  expectConversions({
      {u"12.3456", VT_CY, Cy(123456)},
      {u"12.34565", VT_CY, Cy(123456)},
      {u"12.34575", VT_CY, Cy(123458)},
      {u"922337203685477.5807", VT_CY, Cy(std::numeric_limits<long long>::max())},
      {u"-922337203685477.5808", VT_CY, Cy(std::numeric_limits<long long>::min())},
      fails(u"922337203685477.5808", VT_CY, DISP_E_OVERFLOW),
      {u"12,5", VT_CY, Cy(125000), S_OK, kGerman},
      {u"0.1", VT_DECIMAL, Dec(1, 0, 1)},
      {u"-123.45", VT_DECIMAL, Dec(12345, 0, 2, true)},
      {u"79228162514264337593543950335", VT_DECIMAL, Dec(~0ULL, ~0U, 0)},
      fails(u"79228162514264337593543950336", VT_DECIMAL, DISP_E_OVERFLOW),
      // 29 significant digits at most; the rest is rounded half to even.
      {u"1.00000000000000000000000000005", VT_DECIMAL, Dec(0x3E25026110000000ULL, 0x204FCE5E, 28)},
      {u"0.00000000000000000000000000005", VT_DECIMAL, Dec(0, 0, 28)},
      {u"1e-28", VT_DECIMAL, Dec(1, 0, 28)},
      {u"1.5e3", VT_DECIMAL, Dec(1500, 0, 0)},
  });
}

TEST(FromText, BooleansTakeWordsOrNumbers) {
  expectConversions({
      {u"True", VT_BOOL, Bool(true)},
      {u" TRUE ", VT_BOOL, Bool(true)},
      {u"false", VT_BOOL, Bool(false)},
      {u"0", VT_BOOL, Bool(false)},
      {u"0.0", VT_BOOL, Bool(false)},
      {u"2", VT_BOOL, Bool(true)},
      {u"-0.001", VT_BOOL, Bool(true)},
      {u"Wahr", VT_BOOL, Bool(true), S_OK, kGerman},
      {u"true", VT_BOOL, Bool(true), S_OK, kGerman},
      fails(u"yes", VT_BOOL, DISP_E_TYPEMISMATCH),
      fails(u"", VT_BOOL, DISP_E_TYPEMISMATCH),
      fails(u"Wahr", VT_BOOL, DISP_E_TYPEMISMATCH),
  });
}

TEST(FromText, DatesFollowTheLocalesOrder) {
  const double noon = 0.5;
  const double sixPm = 0.75;
  expectConversions({
      {u"3/15/2023", VT_DATE, Date(45000)},
      {u"3/15/2023 12:00:00 PM", VT_DATE, Date(45000 + noon)},
      {u"12:00:00 PM 3/15/2023", VT_DATE, Date(45000 + noon)},
      {u"12:00:00", VT_DATE, Date(noon)},
      {u"12:00:00 AM", VT_DATE, Date(0)},
      {u"6:00 pm", VT_DATE, Date(sixPm)},
      {u"6 PM", VT_DATE, Date(sixPm)},
      {u"18:00", VT_DATE, Date(sixPm)},
      {u"2023-03-15", VT_DATE, Date(45000)},
      {u"2023-03-15T18:00:00", VT_DATE, Date(45000 + sixPm)},
      {u"March 15, 2023", VT_DATE, Date(45000)},
      {u"Wednesday, 15 Mar 2023", VT_DATE, Date(45000)},
      {u"3/15/23", VT_DATE, Date(45000)},
      {u"1/1/29", VT_DATE, Date(47119)},
      {u"1/1/30", VT_DATE, Date(10959)},
      {u"15/3/2023", VT_DATE, Date(45000)},  // no month 15: read day first
      {u"2/29/2024", VT_DATE, Date(45351)},
      {u"1/1/100", VT_DATE, Date(-657434)},
      {u"12/31/9999 11:59:59 PM", VT_DATE, Date(2958465.0 + 86399.0 / 86400)},
      {u"12/29/1899 6:00 AM", VT_DATE, Date(-1.25)},
      {u"15.03.2023", VT_DATE, Date(45000), S_OK, kGerman},
      {u"15.03.2023 18:00:00", VT_DATE, Date(45000 + sixPm), S_OK, kGerman},
      {u"3.4.2023", VT_DATE, Date(45019), S_OK, kGerman},
      {u"2023-03-15 \uC624\uD6C4 6:00:00", VT_DATE, Date(45000 + sixPm), S_OK, kKorean},
  });
  for (const char16_t* text : {u"abc", u"", u"2/29/2023", u"2/30/2024", u"13/13/2023", u"0/1/2023", u"25:00",
                               u"12:60", u"12:00:60", u"13:00 PM", u"1/1/10000", u"1/1/99 12:00 12:00",
                               u"3/15/2023 noon", u"2023", u"3/15/2023/1", u"12::00", u"45000.5"}) {
    expectConversions({fails(text, VT_DATE, DISP_E_TYPEMISMATCH)});
  }
}

TEST(FromText, TextHasNoErrorOrInterfaceForm) {
  for (VARTYPE type : {VT_ERROR, VT_UNKNOWN, VT_DISPATCH}) {
    expectConversions({fails(u"1", type, DISP_E_TYPEMISMATCH)});
  }
}

}  // namespace
