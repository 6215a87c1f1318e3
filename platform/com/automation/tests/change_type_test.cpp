// VariantChangeType as a whole: in place, by reference, arrays, invalid
// types, interfaces and locales.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "bstr_holder.h"
#include "counted_object.h"
#include "value_helpers.h"

namespace {

using namespace com::automation::testing;

VARIANT text(const char16_t* value) {
  VARIANT result;
  VariantInit(&result);
  result.vt = VT_BSTR;
  result.bstrVal = SysAllocString(value);
  return result;
}

SAFEARRAY* vectorOf(VARTYPE type, std::initializer_list<VARIANT> values) {
  SAFEARRAY* array = SafeArrayCreateVector(type, 1, static_cast<ULONG>(values.size()));
  LONG index = 1;
  for (VARIANT value : values) {
    VARIANT element;
    VariantInit(&element);
    EXPECT_EQ(VariantChangeTypeEx(&element, &value, kEnglishUs, 0, type == VT_VARIANT ? value.vt : type), S_OK);
    if (type == VT_VARIANT) {
      SafeArrayPutElement(array, &index, &element);
    } else if (type == VT_BSTR) {
      SafeArrayPutElement(array, &index, element.bstrVal);
    } else {
      SafeArrayPutElement(array, &index, &element.llVal);
    }
    VariantClear(&element);
    VariantClear(&value);
    ++index;
  }
  return array;
}

TEST(ChangeType, ConvertsInPlaceAndFreesTheOldValue) {
  VARIANT value = text(u"42");
  ASSERT_EQ(VariantChangeTypeEx(&value, &value, kEnglishUs, 0, VT_I4), S_OK);
  EXPECT_TRUE(sameValue(value, I4(42)));
  ASSERT_EQ(VariantChangeTypeEx(&value, &value, kEnglishUs, 0, VT_BSTR), S_OK);
  EXPECT_EQ(textOf(value.bstrVal), u"42");
  VariantClear(&value);
}

TEST(ChangeType, FailureLeavesTheDestinationAsItWas) {
  VARIANT source = text(u"abc");
  VARIANT destination = text(u"kept");
  EXPECT_EQ(VariantChangeTypeEx(&destination, &source, kEnglishUs, 0, VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(textOf(destination.bstrVal), u"kept");
  EXPECT_EQ(VariantChangeTypeEx(&source, &source, kEnglishUs, 0, VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(textOf(source.bstrVal), u"abc");
  VariantClear(&source);
  VariantClear(&destination);
}

TEST(ChangeType, ConvertsWhatAReferencePointsTo) {
  LONG number = 5;
  VARIANT inner = text(u"2.5");
  struct Case {
    VARTYPE type;
    void* target;
    VARTYPE to;
    VARIANT expected;
  };
  const Case cases[] = {
      {VT_BYREF | VT_I4, &number, VT_R8, R8(5)},
      {VT_BYREF | VT_VARIANT, &inner, VT_R8, R8(2.5)},
      {VT_BYREF | VT_I4, &number, VT_I4, I4(5)},
  };
  for (const auto& c : cases) {
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = c.type;
    reference.byref = c.target;
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(VariantChangeTypeEx(&result, &reference, kEnglishUs, 0, c.to), S_OK);
    EXPECT_TRUE(sameValue(result, c.expected)) << describe(result);
    // In place the reference is replaced; what it referred to stays.
    ASSERT_EQ(VariantChangeTypeEx(&reference, &reference, kEnglishUs, 0, c.to), S_OK);
    EXPECT_TRUE(sameValue(reference, c.expected));
  }
  EXPECT_EQ(number, 5);
  EXPECT_EQ(textOf(inner.bstrVal), u"2.5");
  VariantClear(&inner);

  VARIANT dangling;
  VariantInit(&dangling);
  dangling.vt = VT_BYREF | VT_I4;
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(VariantChangeTypeEx(&result, &dangling, kEnglishUs, 0, VT_BSTR), E_INVALIDARG);
}

TEST(ChangeType, ArraysConvertElementByElement) {
  SAFEARRAYBOUND bounds[] = {{2, -1}, {2, 5}};
  SAFEARRAY* grid = SafeArrayCreate(VT_R8, 2, bounds);
  double* cells = nullptr;
  SafeArrayAccessData(grid, reinterpret_cast<void**>(&cells));
  cells[0] = 0.5;
  cells[1] = 1.5;
  cells[2] = 2.5;
  cells[3] = 1e20;
  SafeArrayUnaccessData(grid);
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_ARRAY | VT_R8;
  source.parray = grid;

  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(VariantChangeTypeEx(&result, &source, kEnglishUs, 0, VT_ARRAY | VT_BSTR), S_OK);
  ASSERT_EQ(result.vt, VT_ARRAY | VT_BSTR);
  EXPECT_EQ(SafeArrayGetDim(result.parray), 2u);
  LONG bound = 0;
  SafeArrayGetLBound(result.parray, 1, &bound);
  EXPECT_EQ(bound, -1);
  SafeArrayGetLBound(result.parray, 2, &bound);
  EXPECT_EQ(bound, 5);
  LONG indices[] = {0, 6};
  BSTR element = nullptr;
  ASSERT_EQ(SafeArrayGetElement(result.parray, indices, &element), S_OK);
  EXPECT_EQ(textOf(element), u"1E+20");
  SysFreeString(element);
  VariantClear(&result);

  // One element out of range fails the whole conversion and leaks nothing.
  EXPECT_EQ(VariantChangeTypeEx(&result, &source, kEnglishUs, 0, VT_ARRAY | VT_I4), DISP_E_OVERFLOW);
  EXPECT_EQ(result.vt, VT_EMPTY);
  EXPECT_EQ(VariantChangeTypeEx(&result, &source, kEnglishUs, 0, VT_BSTR), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(VariantChangeTypeEx(&result, &source, kEnglishUs, 0, VT_R8), DISP_E_TYPEMISMATCH);
  VariantClear(&source);

  VARIANT scalar = I4(1);
  EXPECT_EQ(VariantChangeTypeEx(&result, &scalar, kEnglishUs, 0, VT_ARRAY | VT_I4), DISP_E_TYPEMISMATCH);
}

TEST(ChangeType, ArraysOfVariantsConvertTheirValues) {
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_ARRAY | VT_VARIANT;
  source.parray = vectorOf(VT_VARIANT, {I4(1), text(u"2.5"), Bool(true)});

  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(VariantChangeTypeEx(&result, &source, kEnglishUs, 0, VT_ARRAY | VT_R8), S_OK);
  const double* values = static_cast<const double*>(result.parray->pvData);
  EXPECT_EQ(values[0], 1.0);
  EXPECT_EQ(values[1], 2.5);
  EXPECT_EQ(values[2], -1.0);
  VariantClear(&result);

  VARIANT strings;
  VariantInit(&strings);
  strings.vt = VT_ARRAY | VT_BSTR;
  strings.parray = vectorOf(VT_BSTR, {text(u"7"), text(u"x")});
  EXPECT_EQ(VariantChangeTypeEx(&result, &strings, kEnglishUs, 0, VT_ARRAY | VT_I4), DISP_E_TYPEMISMATCH);
  ASSERT_EQ(VariantChangeTypeEx(&result, &strings, kEnglishUs, 0, VT_ARRAY | VT_VARIANT), S_OK);
  const VARIANT* wrapped = static_cast<const VARIANT*>(result.parray->pvData);
  EXPECT_EQ(wrapped[1].vt, VT_BSTR);
  EXPECT_EQ(textOf(wrapped[1].bstrVal), u"x");
  VariantClear(&result);
  VariantClear(&strings);
  VariantClear(&source);
}

TEST(ChangeType, InvalidTypesAreRefused) {
  VARIANT value = I4(1);
  VARIANT result;
  VariantInit(&result);
  for (VARTYPE type : {VARTYPE(15), VARTYPE(VT_VARIANT), VARTYPE(VT_RECORD), VARTYPE(0x2FFF), VARTYPE(VT_VECTOR | VT_I4)}) {
    EXPECT_EQ(VariantChangeTypeEx(&result, &value, kEnglishUs, 0, type), DISP_E_BADVARTYPE) << type;
  }
  EXPECT_EQ(VariantChangeTypeEx(&result, &value, kEnglishUs, 0, VT_BYREF | VT_I4), DISP_E_TYPEMISMATCH);
  value.vt = 15;
  EXPECT_EQ(VariantChangeTypeEx(&result, &value, kEnglishUs, 0, VT_I4), DISP_E_BADVARTYPE);
  EXPECT_EQ(VariantChangeTypeEx(nullptr, &value, kEnglishUs, 0, VT_I4), E_INVALIDARG);
  EXPECT_EQ(result.vt, VT_EMPTY);
}

TEST(ChangeType, InterfacesConvertOnlyToEachOther) {
  CountedObject dispatch;
  CountedObject plain(false);
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_UNKNOWN;
  value.punkVal = &dispatch;
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(VariantChangeTypeEx(&result, &value, kEnglishUs, 0, VT_DISPATCH), S_OK);
  EXPECT_EQ(result.pdispVal, &dispatch);
  EXPECT_EQ(dispatch.extraReferences(), 1u);
  VariantClear(&result);
  for (VARTYPE type : {VT_BSTR, VT_I4, VT_BOOL}) {
    EXPECT_EQ(VariantChangeTypeEx(&result, &value, kEnglishUs, 0, type), DISP_E_TYPEMISMATCH) << type;
  }
  value.punkVal = &plain;
  EXPECT_EQ(VariantChangeTypeEx(&result, &value, kEnglishUs, 0, VT_DISPATCH), DISP_E_TYPEMISMATCH);
  ASSERT_EQ(VariantChangeTypeEx(&result, &value, kEnglishUs, 0, VT_EMPTY), S_OK);
  EXPECT_EQ(dispatch.extraReferences(), 0u);
  EXPECT_EQ(plain.extraReferences(), 0u);
}

// Dropping a value to VT_NULL or VT_EMPTY, and text that only looks like a
// date: what the platform answers for each source type.
TEST(ChangeType, NullEmptyAndSignedDateTexts) {
  CountedObject object;
  VARIANT dispatch = Empty();
  dispatch.vt = VT_DISPATCH;
  dispatch.pdispVal = &object;
  VARIANT unknown = Empty();
  unknown.vt = VT_UNKNOWN;
  unknown.punkVal = &object;
  // Every scalar type a VARIANT holds, VT_EMPTY to VT_UINT.
  const VARIANT sources[] = {Empty(), Null(),      I2(-2),     I4(-4),  R4(1.5f),   R8(2.5),    Cy(12345),
                             Date(45000), text(u"x"), dispatch, Error(5), Bool(true), unknown,  Dec(7, 0, 1),
                             I1(-1),      UI1(1),    UI2(2),     UI4(4),  I8(-8),     UI8(8),     Int(-3),
                             UInt(3)};
  struct Case {
    VARIANT source;
    VARTYPE to;
    HRESULT result;
    VARIANT expected;
  };
  std::vector<Case> cases;
  for (const VARIANT& source : sources) {
    const bool isError = source.vt == VT_ERROR;
    cases.push_back({source, VT_NULL, isError ? DISP_E_TYPEMISMATCH : S_OK, isError ? Empty() : Null()});
    const bool toEmpty = !isError && source.vt != VT_NULL;
    cases.push_back({source, VT_EMPTY, toEmpty ? S_OK : DISP_E_TYPEMISMATCH, Empty()});
  }
  // A leading sign makes a number, never a date; the sign is not dropped.
  for (const char16_t* signedText : {u"-2.5", u" -2.5", u"+2.5", u"-2/5/2023"}) {
    cases.push_back({text(signedText), VT_DATE, DISP_E_TYPEMISMATCH, Empty()});
  }
  cases.push_back({text(u"-2.5"), VT_R8, S_OK, R8(-2.5)});
  cases.push_back({text(u"2-5-2023"), VT_DATE, S_OK, Date(44962)});

  for (const auto& c : cases) {
    SCOPED_TRACE(describe(c.source) + " to type " + std::to_string(c.to));
    VARIANT result = text(u"before");
    EXPECT_EQ(VariantChangeTypeEx(&result, &c.source, kEnglishUs, 0, c.to), c.result);
    if (c.result == S_OK) {
      EXPECT_TRUE(sameValue(result, c.expected)) << describe(result);
    } else {
      EXPECT_EQ(textOf(result.bstrVal), u"before");
    }
    VariantClear(&result);
  }
  // Nothing held a reference to the interface it dropped.
  EXPECT_EQ(object.extraReferences(), 0u);
  // Each text is freed once, however many cases share it.
  std::vector<BSTR> texts;
  for (const auto& c : cases) {
    if (c.source.vt == VT_BSTR && std::find(texts.begin(), texts.end(), c.source.bstrVal) == texts.end()) {
      texts.push_back(c.source.bstrVal);
    }
  }
  for (BSTR value : texts) SysFreeString(value);
}

TEST(ChangeType, TextNeedsAKnownLocaleButNumbersDoNot) {
  const LCID unknown = 0x1234;
  VARIANT value = I4(3);
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(VariantChangeTypeEx(&result, &value, unknown, 0, VT_BSTR), DISP_E_UNKNOWNLCID);
  EXPECT_EQ(VariantChangeTypeEx(&result, &value, unknown, 0, VT_R8), S_OK);
  // Without a locale the user's default applies.
  VARIANT real = R8(1.5);
  ASSERT_EQ(VariantChangeType(&result, &real, 0, VT_BSTR), S_OK);
  VARIANT expected;
  VariantInit(&expected);
  ASSERT_EQ(VariantChangeTypeEx(&expected, &real, GetUserDefaultLCID(), 0, VT_BSTR), S_OK);
  EXPECT_EQ(textOf(result.bstrVal), textOf(expected.bstrVal));
  VariantClear(&result);
  VariantClear(&expected);
}

TEST(ChangeType, DatesAndSystemTimesRoundTripOverTheWholeRange) {
  // Every day from 1 January 100 to 31 December 9999, on both sides of the
  // epoch, with a time that must count forward from midnight.
  SYSTEMTIME previous{};
  for (long day = -657434; day <= 2958465; ++day) {
    const double date = day >= 0 ? day + 0.25 : day - 0.25;
    SYSTEMTIME time{};
    ASSERT_TRUE(VariantTimeToSystemTime(date, &time)) << day;
    ASSERT_EQ(time.wHour, 6) << day;
    if (day > -657434) {
      const bool nextDay = time.wDay == previous.wDay + 1 && time.wMonth == previous.wMonth;
      const bool nextMonth = time.wDay == 1 && (time.wMonth == previous.wMonth + 1 || (time.wMonth == 1 && time.wYear == previous.wYear + 1));
      ASSERT_TRUE(nextDay || nextMonth) << day;
      ASSERT_EQ(time.wDayOfWeek, (previous.wDayOfWeek + 1) % 7) << day;
    }
    double back = 0;
    ASSERT_TRUE(SystemTimeToVariantTime(&time, &back)) << day;
    ASSERT_EQ(back, date) << day;
    previous = time;
  }
  SYSTEMTIME epoch{};
  ASSERT_TRUE(VariantTimeToSystemTime(0.0, &epoch));
  EXPECT_EQ(epoch.wYear, 1899);
  EXPECT_EQ(epoch.wDayOfWeek, 6);  // a Saturday
  SYSTEMTIME bad{2023, 2, 0, 29, 0, 0, 0, 0};
  double date = 0;
  EXPECT_FALSE(SystemTimeToVariantTime(&bad, &date));
  EXPECT_FALSE(VariantTimeToSystemTime(2958466.0, &bad));
}

}  // namespace
