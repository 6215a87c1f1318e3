#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "com/oleauto.h"
#include "bstr_holder.h"
#include "counted_object.h"

namespace {

using com::automation::testing::BstrHolder;
using com::automation::testing::CountedObject;

std::u16string textOf(BSTR text) {
  return std::u16string(text, SysStringLen(text));
}

VARIANT stringValue(const char16_t* text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(text);
  return value;
}

TEST(Variant, ClearReleasesWhatTheValueOwns) {
  CountedObject object;
  VARIANT values[3];
  values[0] = stringValue(u"freed");
  VariantInit(&values[1]);
  values[1].vt = VT_DISPATCH;
  values[1].pdispVal = &object;
  object.AddRef();
  VariantInit(&values[2]);
  values[2].vt = VT_ARRAY | VT_BSTR;
  values[2].parray = SafeArrayCreateVector(VT_BSTR, 0, 1);
  LONG index = 0;
  SafeArrayPutElement(values[2].parray, &index, BstrHolder(u"element").get());
  for (auto& value : values) {
    EXPECT_EQ(VariantClear(&value), S_OK);
    EXPECT_EQ(value.vt, VT_EMPTY);
  }
  EXPECT_EQ(object.extraReferences(), 0u);
}

TEST(Variant, ClearAndCopyLeaveReferencedValuesAlone) {
  BSTR text = SysAllocString(u"not owned");
  CountedObject object;
  IUnknown* unknown = &object;
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 2);
  struct Case {
    VARTYPE type;
    void* target;
  };
  const Case cases[] = {
      {VT_BYREF | VT_BSTR, &text},
      {VT_BYREF | VT_UNKNOWN, &unknown},
      {VT_BYREF | VT_ARRAY | VT_I4, &array},
  };
  for (const auto& c : cases) {
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = c.type;
    reference.byref = c.target;
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &reference), S_OK);
    EXPECT_EQ(copy.vt, c.type);
    EXPECT_EQ(copy.byref, c.target) << "a reference is copied as a reference";
    EXPECT_EQ(VariantClear(&copy), S_OK);
    EXPECT_EQ(VariantClear(&reference), S_OK);
  }
  EXPECT_EQ(textOf(text), u"not owned");
  EXPECT_EQ(object.extraReferences(), 0u);
  EXPECT_EQ(SafeArrayGetDim(array), 1u);
  SysFreeString(text);
  SafeArrayDestroy(array);
}

TEST(Variant, ClearRefusesAnInvalidType) {
  for (VARTYPE type : {VARTYPE(15), VARTYPE(VT_VARIANT), VARTYPE(VT_BYREF | VT_EMPTY), VARTYPE(VT_ARRAY | VT_NULL),
                       VARTYPE(VT_VECTOR | VT_I4), VARTYPE(0xFFFF)}) {
    VARIANT value;
    VariantInit(&value);
    value.vt = type;
    EXPECT_EQ(VariantClear(&value), DISP_E_BADVARTYPE) << type;
    EXPECT_EQ(value.vt, type);
  }
}

TEST(Variant, CopyIsDeep) {
  CountedObject object;
  VARIANT source = stringValue(nullptr);
  // Seven bytes: an odd byte count with an embedded zero survives the copy.
  source.bstrVal = SysAllocStringByteLen("a\0bcdef", 7);
  VARIANT copy = stringValue(u"overwritten and freed");
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_NE(copy.bstrVal, source.bstrVal);
  ASSERT_EQ(SysStringByteLen(copy.bstrVal), 7u);
  EXPECT_EQ(std::memcmp(copy.bstrVal, source.bstrVal, 7), 0);
  VariantClear(&source);

  source.vt = VT_UNKNOWN;
  source.punkVal = &object;
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_EQ(object.extraReferences(), 1u);
  EXPECT_EQ(VariantCopy(&copy, &copy), S_OK);
  EXPECT_EQ(object.extraReferences(), 1u) << "copying a value onto itself changes nothing";
  VariantClear(&copy);
  EXPECT_EQ(object.extraReferences(), 0u);

  // A DECIMAL fills the VARIANT; its type code is the decimal's reserved word.
  VariantInit(&source);
  source.decVal.signscale = (DECIMAL_NEG << 8) | 3;
  source.decVal.Hi32 = 7;
  source.decVal.Lo64 = 0x123456789ABCDEFull;
  source.vt = VT_DECIMAL;
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_EQ(copy.vt, VT_DECIMAL);
  EXPECT_EQ(std::memcmp(&copy, &source, sizeof(DECIMAL)), 0);

  source.vt = VT_ARRAY | VT_R8;
  source.parray = SafeArrayCreateVector(VT_R8, 0, 2);
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_NE(copy.parray, source.parray);
  VariantClear(&copy);
  VariantClear(&source);
}

TEST(Variant, CopyFromAValueInsideTheDestination) {
  // The source is an element of the destination's own array: it must be
  // copied before the destination lets go of the array.
  VARIANT destination;
  VariantInit(&destination);
  destination.vt = VT_ARRAY | VT_VARIANT;
  destination.parray = SafeArrayCreateVector(VT_VARIANT, 0, 1);
  VARIANT element = stringValue(u"inside");
  LONG index = 0;
  SafeArrayPutElement(destination.parray, &index, &element);
  VariantClear(&element);
  auto* cells = static_cast<VARIANT*>(destination.parray->pvData);
  ASSERT_EQ(VariantCopy(&destination, &cells[0]), S_OK);
  ASSERT_EQ(destination.vt, VT_BSTR);
  EXPECT_EQ(textOf(destination.bstrVal), u"inside");
  VariantClear(&destination);
}

TEST(Variant, CopyIndDereferencesEveryType) {
  LONG number = -5;
  DOUBLE real = 2.5;
  VARIANT_BOOL flag = VARIANT_TRUE;
  DECIMAL decimal{};
  decimal.Lo64 = 12345;
  decimal.signscale = 2;
  BSTR text = SysAllocString(u"referenced");
  VARIANT inner = stringValue(u"inner");
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, 1);

  struct Case {
    VARTYPE type;
    void* target;
  };
  const Case cases[] = {
      {VT_BYREF | VT_I4, &number},        {VT_BYREF | VT_R8, &real},
      {VT_BYREF | VT_BOOL, &flag},        {VT_BYREF | VT_DECIMAL, &decimal},
      {VT_BYREF | VT_BSTR, &text},        {VT_BYREF | VT_VARIANT, &inner},
      {VT_BYREF | VT_ARRAY | VT_BSTR, &array},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = c.type;
    reference.byref = c.target;
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopyInd(&copy, &reference), S_OK);
    switch (c.type & ~VT_BYREF) {
      case VT_I4: EXPECT_EQ(copy.lVal, number); break;
      case VT_R8: EXPECT_EQ(copy.dblVal, real); break;
      case VT_BOOL: EXPECT_EQ(copy.boolVal, flag); break;
      case VT_DECIMAL:
        EXPECT_EQ(copy.decVal.Lo64, 12345u);
        EXPECT_EQ(copy.decVal.signscale, 2);
        break;
      case VT_BSTR:
        EXPECT_NE(copy.bstrVal, text);
        EXPECT_EQ(textOf(copy.bstrVal), u"referenced");
        break;
      case VT_VARIANT:
        ASSERT_EQ(copy.vt, VT_BSTR);
        EXPECT_NE(copy.bstrVal, inner.bstrVal);
        break;
      case VT_ARRAY | VT_BSTR: EXPECT_NE(copy.parray, array); break;
    }
    if ((c.type & ~VT_BYREF) != VT_VARIANT) {
      EXPECT_EQ(copy.vt, c.type & ~VT_BYREF);
    }
    // In place: the reference becomes the value.
    ASSERT_EQ(VariantCopyInd(&reference, &reference), S_OK);
    EXPECT_EQ(reference.vt, copy.vt);
    VariantClear(&reference);
    VariantClear(&copy);
  }
  SysFreeString(text);
  VariantClear(&inner);
  SafeArrayDestroy(array);
}

TEST(Variant, CopyIndRefusesBrokenReferences) {
  VARIANT chained;
  VariantInit(&chained);
  chained.vt = VT_BYREF | VT_VARIANT;
  chained.pvarVal = &chained;
  VARIANT outer;
  VariantInit(&outer);
  outer.vt = VT_BYREF | VT_VARIANT;
  outer.pvarVal = &chained;
  VARIANT copy;
  VariantInit(&copy);
  EXPECT_EQ(VariantCopyInd(&copy, &outer), E_INVALIDARG);

  VARIANT null;
  VariantInit(&null);
  null.vt = VT_BYREF | VT_I4;
  EXPECT_EQ(VariantCopyInd(&copy, &null), E_INVALIDARG);
  EXPECT_EQ(copy.vt, VT_EMPTY);
}

}  // namespace
