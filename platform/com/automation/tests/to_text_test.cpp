// Every value type shown as text, in a month-first locale with a decimal
// point (en-US) and a day-first one with a decimal comma (de-DE).

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "value_helpers.h"

namespace {

using namespace com::automation::testing;

struct Case {
  VARIANT value;
  LCID locale;
  std::u16string expected;
  USHORT flags = 0;
};

void expectText(const Case& c) {
  SCOPED_TRACE(describe(c.value) + " in locale " + std::to_string(c.locale));
  VARIANT text;
  VariantInit(&text);
  ASSERT_EQ(VariantChangeTypeEx(&text, &c.value, c.locale, c.flags, VT_BSTR), S_OK);
  ASSERT_EQ(text.vt, VT_BSTR);
  ASSERT_NE(text.bstrVal, nullptr);
  EXPECT_EQ(textOf(text.bstrVal), c.expected);
  VariantClear(&text);
}

TEST(ToText, Integers) {
  const Case cases[] = {
      {I1(-128), kEnglishUs, u"-128"},
      {UI1(255), kEnglishUs, u"255"},
      {I2(-32768), kEnglishUs, u"-32768"},
      {UI2(65535), kEnglishUs, u"65535"},
      {I4(-2147483648LL), kEnglishUs, u"-2147483648"},
      {UI4(4294967295ULL), kEnglishUs, u"4294967295"},
      {Int(123456), kGerman, u"123456"},
      {UInt(4000000000ULL), kEnglishUs, u"4000000000"},
      {I8(std::numeric_limits<long long>::min()), kEnglishUs, u"-9223372036854775808"},
      {UI8(std::numeric_limits<unsigned long long>::max()), kEnglishUs, u"18446744073709551615"},
      {I4(1000000), kGerman, u"1000000"},  // no grouping
      {Empty(), kEnglishUs, u""},
  };
  for (const auto& c : cases) expectText(c);
}

TEST(ToText, Booleans) {
  const Case cases[] = {
      {Bool(true), kEnglishUs, u"-1"},
      {Bool(false), kEnglishUs, u"0"},
      {Bool(true), kEnglishUs, u"True", VARIANT_ALPHABOOL},
      {Bool(false), kGerman, u"False", VARIANT_ALPHABOOL},
      {Bool(true), kGerman, u"Wahr", VARIANT_ALPHABOOL | VARIANT_LOCALBOOL},
      {Bool(false), kGerman, u"Falsch", VARIANT_ALPHABOOL | VARIANT_LOCALBOOL},
      {Bool(true), kGerman, u"-1"},
  };
  for (const auto& c : cases) expectText(c);
}

TEST(ToText, FloatingValuesShowSevenOrFifteenDigits) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {R4(1e20f), kEnglishUs, u"1E+20"},
      {R4(1.5f), kEnglishUs, u"1.5"},
      {R4(0.1f), kEnglishUs, u"0.1"},
      {R4(-0.0f), kEnglishUs, u"0"},
      {R4(16777216.0f), kEnglishUs, u"1.677722E+07"},
      {R4(1234567.0f), kEnglishUs, u"1234567"},
      {R4(3.4028235e38f), kEnglishUs, u"3.402823E+38"},
      {R4(-2.5f), kGerman, u"-2,5"},
      {R8(1e-7), kEnglishUs, u"1E-07"},
      {R8(0.0001), kEnglishUs, u"0.0001"},
      {R8(0.00001), kEnglishUs, u"1E-05"},
      {R8(0.1 + 0.2), kEnglishUs, u"0.3"},
      {R8(123456789012345.0), kEnglishUs, u"123456789012345"},
      {R8(1234567890123456.0), kEnglishUs, u"1.23456789012346E+15"},
      {R8(1e100), kEnglishUs, u"1E+100"},
      {R8(-1.7976931348623157e308), kEnglishUs, u"-1.79769313486232E+308"},
      {R8(4.9e-324), kEnglishUs, u"4.94065645841247E-324"},
      {R8(-0.0), kEnglishUs, u"0"},
      {R8(1.5), kGerman, u"1,5"},
      {R8(1.25e-10), kGerman, u"1,25E-10"},
      {R8(1000.5), kFrench, u"1000,5"},
      {R8(nan), kEnglishUs, u"NAN"},
      {R8(infinity), kEnglishUs, u"INF"},
      {R8(-infinity), kEnglishUs, u"-INF"},
  };
  for (const auto& c : cases) expectText(c);
}

TEST(ToText, CurrencyAndDecimalShowExactDigits) {
  const Case cases[] = {
      {Cy(123456), kEnglishUs, u"12.3456"},
      {Cy(15000), kEnglishUs, u"1.5"},
      {Cy(1000000), kEnglishUs, u"100"},
      {Cy(-1), kEnglishUs, u"-0.0001"},
      {Cy(std::numeric_limits<long long>::max()), kEnglishUs, u"922337203685477.5807"},
      {Cy(std::numeric_limits<long long>::min()), kEnglishUs, u"-922337203685477.5808"},
      {Cy(123456), kGerman, u"12,3456"},
      {Dec(12345, 0, 2, true), kEnglishUs, u"-123.45"},
      {Dec(12345, 0, 2, true), kGerman, u"-123,45"},
      {Dec(~0ULL, ~0U, 0), kEnglishUs, u"79228162514264337593543950335"},
      {Dec(~0ULL, ~0U, 28), kEnglishUs, u"7.9228162514264337593543950335"},
      {Dec(1, 0, 28), kEnglishUs, u"0.0000000000000000000000000001"},
      {Dec(1500, 0, 3), kEnglishUs, u"1.5"},
      {Dec(0, 0, 5, true), kEnglishUs, u"0"},
  };
  for (const auto& c : cases) expectText(c);
}

TEST(ToText, DatesShowTheLocalesShortDateAndTime) {
  const Case cases[] = {
      {Date(45000.5), kEnglishUs, u"3/15/2023 12:00:00 PM"},
      {Date(0.0), kEnglishUs, u"12:00:00 AM"},
      {Date(45000.0), kEnglishUs, u"3/15/2023"},
      {Date(0.75), kEnglishUs, u"6:00:00 PM"},
      {Date(45000.0 + 13.0 / 24 + 5.0 / 1440 + 9.0 / 86400), kEnglishUs, u"3/15/2023 1:05:09 PM"},
      {Date(-1.25), kEnglishUs, u"12/29/1899 6:00:00 AM"},
      {Date(-0.5), kEnglishUs, u"12:00:00 PM"},
      {Date(2.0), kEnglishUs, u"1/1/1900"},
      {Date(60.0), kEnglishUs, u"2/28/1900"},
      {Date(61.0), kEnglishUs, u"3/1/1900"},
      {Date(-657434.0), kEnglishUs, u"1/1/0100"},
      {Date(2958465.0 + 86399.0 / 86400), kEnglishUs, u"12/31/9999 11:59:59 PM"},
      // Rounded to the second, a time just before midnight is the next day.
      {Date(45000.0 + 86399.9 / 86400), kEnglishUs, u"3/16/2023"},
      {Date(45000.5), kGerman, u"15.03.2023 12:00:00"},
      {Date(0.0), kGerman, u"00:00:00"},
      {Date(45000.0), kGerman, u"15.03.2023"},
      {Date(45000.0 + 18.5 / 24), kGerman, u"15.03.2023 18:30:00"},
      {Date(45000.75), kKorean, u"2023-03-15 \uC624\uD6C4 6:00:00"},
  };
  for (const auto& c : cases) expectText(c);
}

TEST(ToText, ValuesWithoutTextFormAreRefused) {
  struct Refusal {
    VARIANT value;
    HRESULT expected;
  };
  const Refusal cases[] = {
      {Null(), DISP_E_TYPEMISMATCH},
      {Error(DISP_E_PARAMNOTFOUND), DISP_E_TYPEMISMATCH},
      {Date(1e7), DISP_E_OVERFLOW},
      {Date(-657435.0), DISP_E_OVERFLOW},
      {Date(std::numeric_limits<double>::quiet_NaN()), DISP_E_OVERFLOW},
      {Dec(1, 0, 29), E_INVALIDARG},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(describe(c.value));
    VARIANT text;
    VariantInit(&text);
    EXPECT_EQ(VariantChangeTypeEx(&text, &c.value, kEnglishUs, 0, VT_BSTR), c.expected);
    EXPECT_EQ(text.vt, VT_EMPTY);
  }
}

}  // namespace
