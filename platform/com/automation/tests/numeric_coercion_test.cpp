// Conversions between numeric types: rounding, narrowing, booleans, empty
// values and dates.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "value_helpers.h"

namespace {

using namespace com::automation::testing;

struct Case {
  VARIANT source;
  VARTYPE type;
  VARIANT expected;       // when the conversion succeeds
  HRESULT result = S_OK;  // otherwise
};

Case fails(VARIANT source, VARTYPE type, HRESULT result) {
  return {source, type, Empty(), result};
}

void expectConversions(std::initializer_list<Case> cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(describe(c.source) + " to type " + std::to_string(c.type));
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(VariantChangeTypeEx(&value, &c.source, kEnglishUs, 0, c.type), c.result);
    if (c.result == S_OK) {
      EXPECT_TRUE(sameValue(value, c.expected)) << describe(value) << " instead of " << describe(c.expected);
    } else {
      EXPECT_EQ(value.vt, VT_EMPTY);
    }
    VariantClear(&value);
  }
}

TEST(NumericCoercion, FloatingToIntegerRoundsHalfToEven) {
  expectConversions({
      {R8(2.5), VT_I4, I4(2)},
      {R8(3.5), VT_I4, I4(4)},
      {R8(-2.5), VT_I4, I4(-2)},
      {R8(-0.5), VT_I4, I4(0)},
      {R8(2.5000001), VT_I4, I4(3)},
      {R4(1.5f), VT_I2, I2(2)},
      {Date(45000.5), VT_I4, I4(45000)},
      {Date(45001.5), VT_I4, I4(45002)},
      {R8(2147483647.4), VT_I4, I4(2147483647)},
      fails(R8(2147483647.5), VT_I4, DISP_E_OVERFLOW),
      {R8(-2147483648.5), VT_I4, I4(-2147483648LL)},
      fails(R8(-2147483648.6), VT_I4, DISP_E_OVERFLOW),
      {R8(9223372036854774784.0), VT_I8, I8(9223372036854774784LL)},
      fails(R8(9223372036854775808.0), VT_I8, DISP_E_OVERFLOW),
      {R8(-9223372036854775808.0), VT_I8, I8(std::numeric_limits<long long>::min())},
      {R8(18446744073709549568.0), VT_UI8, UI8(18446744073709549568ULL)},
      fails(R8(18446744073709551616.0), VT_UI8, DISP_E_OVERFLOW),
      fails(R8(std::numeric_limits<double>::quiet_NaN()), VT_I4, DISP_E_OVERFLOW),
      fails(R8(std::numeric_limits<double>::infinity()), VT_UI1, DISP_E_OVERFLOW),
      fails(R8(-0.6), VT_UI4, DISP_E_OVERFLOW),
      {R8(-0.4), VT_UI4, UI4(0)},
  });
}

TEST(NumericCoercion, IntegersNarrowOnlyWithinRange) {
  expectConversions({
      {I4(255), VT_UI1, UI1(255)},
      fails(I4(256), VT_UI1, DISP_E_OVERFLOW),
      fails(I4(-1), VT_UI1, DISP_E_OVERFLOW),
      fails(I2(-129), VT_I1, DISP_E_OVERFLOW),
      {UI1(200), VT_I1, Empty(), DISP_E_OVERFLOW},
      fails(UI4(2147483648ULL), VT_INT, DISP_E_OVERFLOW),
      fails(I4(-1), VT_UINT, DISP_E_OVERFLOW),
      fails(UI8(~0ULL), VT_I8, DISP_E_OVERFLOW),
      fails(I8(-1), VT_UI8, DISP_E_OVERFLOW),
      fails(I8(4294967296LL), VT_UI4, DISP_E_OVERFLOW),
      {I8(-9007199254740993LL), VT_R8, R8(-9007199254740992.0)},
      {UI8(~0ULL), VT_R4, R4(18446744073709551616.0f)},
      {I1(-5), VT_UI8, Empty(), DISP_E_OVERFLOW},
  });
}

TEST(NumericCoercion, CurrencyAndDecimalRoundAndOverflow) {
  expectConversions({
      {Cy(25000), VT_I4, I4(2)},
      {Cy(35000), VT_I4, I4(4)},
      {Cy(-25000), VT_I4, I4(-2)},
      {Cy(123456), VT_R8, R8(12.3456)},
      {R8(1.23456789), VT_CY, Cy(12346)},
      {R8(-0.00004), VT_CY, Cy(0)},
      {R8(-0.00016), VT_CY, Cy(-2)},
      {R8(2.5), VT_CY, Cy(25000)},
      fails(R8(9.3e14), VT_CY, DISP_E_OVERFLOW),
      fails(R8(std::numeric_limits<double>::quiet_NaN()), VT_CY, DISP_E_OVERFLOW),
      fails(I8(std::numeric_limits<long long>::max()), VT_CY, DISP_E_OVERFLOW),
      {I8(922337203685477LL), VT_CY, Cy(9223372036854770000LL)},
      {Cy(123456), VT_DECIMAL, Dec(123456, 0, 4)},
      {Dec(25, 0, 1), VT_I4, I4(2)},
      {Dec(35, 0, 1, true), VT_I4, I4(-4)},
      fails(Dec(0, 1, 0), VT_I4, DISP_E_OVERFLOW),
      {Dec(4294967296ULL, 0, 0), VT_I8, I8(4294967296LL)},
      fails(Dec(0, 1, 0), VT_I8, DISP_E_OVERFLOW),
      fails(Dec(~0ULL, ~0U, 0), VT_I8, DISP_E_OVERFLOW),
      {Dec(~0ULL, ~0U, 0), VT_R8, R8(79228162514264337593543950335.0)},
      {Dec(123456, 0, 4), VT_CY, Cy(123456)},
      {Dec(1234565, 0, 5), VT_CY, Cy(123456)},
      fails(Dec(~0ULL, ~0U, 0), VT_CY, DISP_E_OVERFLOW),
      fails(Dec(1, 0, 29), VT_I4, E_INVALIDARG),
      // Floating values become DECIMAL with the digits their type carries.
      {R8(0.1), VT_DECIMAL, Dec(1, 0, 1)},
      {R4(0.1f), VT_DECIMAL, Dec(1, 0, 1)},
      {R8(-1234.5678), VT_DECIMAL, Dec(12345678, 0, 4, true)},
      {R8(1e-30), VT_DECIMAL, Dec(0, 0, 28)},
      fails(R8(1e29), VT_DECIMAL, DISP_E_OVERFLOW),
      fails(R8(std::numeric_limits<double>::infinity()), VT_DECIMAL, DISP_E_OVERFLOW),
  });
}

TEST(NumericCoercion, SingleOverflowsBeyondItsRange) {
  expectConversions({
      {R8(3.4e38), VT_R4, R4(3.4e38f)},
      {R8(-FLT_MAX), VT_R4, R4(-FLT_MAX)},
      fails(R8(3.5e38), VT_R4, DISP_E_OVERFLOW),
      fails(R8(-std::numeric_limits<double>::infinity()), VT_R4, DISP_E_OVERFLOW),
      {R8(1e-50), VT_R4, R4(0.0f)},
      {Dec(~0ULL, ~0U, 0), VT_R4, R4(7.9228163e28f)},
  });
}

TEST(NumericCoercion, DatesStayWithinTheirRange) {
  expectConversions({
      {R8(45000.5), VT_DATE, Date(45000.5)},
      {I4(2958465), VT_DATE, Date(2958465)},
      {R8(2958465.9), VT_DATE, Date(2958465.9)},
      fails(R8(2958466.0), VT_DATE, DISP_E_OVERFLOW),
      {R8(-657434.9), VT_DATE, Date(-657434.9)},
      fails(R8(-657435.0), VT_DATE, DISP_E_OVERFLOW),
      fails(I4(10000000), VT_DATE, DISP_E_OVERFLOW),
      fails(R8(std::numeric_limits<double>::quiet_NaN()), VT_DATE, DISP_E_OVERFLOW),
      {Cy(450005000), VT_DATE, Date(45000.5)},
      {Date(45000.25), VT_R8, R8(45000.25)},
  });
}

TEST(NumericCoercion, BooleansAreMinusOneOrZero) {
  expectConversions({
      {Bool(true), VT_I4, I4(-1)},
      {Bool(true), VT_R8, R8(-1)},
      {Bool(true), VT_CY, Cy(-10000)},
      {Bool(true), VT_DECIMAL, Dec(1, 0, 0, true)},
      // True is all bits set, also in an unsigned type.
      {Bool(true), VT_UI1, UI1(255)},
      {Bool(true), VT_UI4, UI4(4294967295ULL)},
      {Bool(true), VT_UI8, UI8(~0ULL)},
      {Bool(false), VT_UI2, UI2(0)},
      {I4(0), VT_BOOL, Bool(false)},
      {I4(7), VT_BOOL, Bool(true)},
      {R8(0.0001), VT_BOOL, Bool(true)},
      {R8(-0.0), VT_BOOL, Bool(false)},
      {Dec(0, 0, 3, true), VT_BOOL, Bool(false)},
      {Cy(1), VT_BOOL, Bool(true)},
  });
}

TEST(NumericCoercion, EmptyIsZeroAndNullOrErrorHaveNoNumber) {
  expectConversions({
      {Empty(), VT_I4, I4(0)},
      {Empty(), VT_R8, R8(0)},
      {Empty(), VT_DATE, Date(0)},
      {Empty(), VT_BOOL, Bool(false)},
      {Empty(), VT_DECIMAL, Dec(0, 0, 0)},
      fails(Null(), VT_I4, DISP_E_TYPEMISMATCH),
      fails(Null(), VT_BOOL, DISP_E_TYPEMISMATCH),
      fails(Error(5), VT_I4, DISP_E_TYPEMISMATCH),
      fails(I4(5), VT_ERROR, DISP_E_TYPEMISMATCH),
      {Error(DISP_E_PARAMNOTFOUND), VT_ERROR, Error(DISP_E_PARAMNOTFOUND)},
  });
}

}  // namespace
