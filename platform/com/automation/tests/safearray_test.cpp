#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "com/oleauto.h"
#include "bstr_holder.h"
#include "counted_object.h"

namespace {

constexpr LONG kMaxLong = std::numeric_limits<LONG>::max();
constexpr LONG kMinLong = std::numeric_limits<LONG>::min();

using com::automation::testing::BstrHolder;
using com::automation::testing::CountedObject;

std::u16string textOf(BSTR text) {
  return std::u16string(text, SysStringLen(text));
}

TEST(SafeArray, KnowsSizeAndTypeOfEveryElementType) {
  struct Case {
    VARTYPE type;
    UINT size;
    USHORT typeFeature;
  };
  const Case cases[] = {
      {VT_I1, 1, 0},         {VT_UI1, 1, 0},
      {VT_I2, 2, 0},         {VT_UI2, 2, 0},
      {VT_BOOL, 2, 0},       {VT_I4, 4, 0},
      {VT_UI4, 4, 0},        {VT_INT, 4, 0},
      {VT_UINT, 4, 0},       {VT_R4, 4, 0},
      {VT_ERROR, 4, 0},      {VT_R8, 8, 0},
      {VT_CY, 8, 0},         {VT_DATE, 8, 0},
      {VT_I8, 8, 0},         {VT_UI8, 8, 0},
      {VT_DECIMAL, 16, 0},   {VT_BSTR, sizeof(BSTR), FADF_BSTR},
      {VT_UNKNOWN, sizeof(void*), FADF_UNKNOWN},
      {VT_DISPATCH, sizeof(void*), FADF_DISPATCH},
      {VT_VARIANT, sizeof(VARIANT), FADF_VARIANT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    SAFEARRAY* array = SafeArrayCreateVector(c.type, 0, 3);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(SafeArrayGetElemsize(array), c.size);
    EXPECT_EQ(SafeArrayGetDim(array), 1u);
    VARTYPE type = VT_EMPTY;
    EXPECT_EQ(SafeArrayGetVartype(array, &type), S_OK);
    EXPECT_EQ(type, c.type);
    EXPECT_TRUE(array->fFeatures & FADF_HAVEVARTYPE);
    EXPECT_EQ(array->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH | FADF_VARIANT), c.typeFeature);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
  }
}

TEST(SafeArray, RefusesTypesAndShapesItCannotHold) {
  for (VARTYPE type : {VARTYPE(VT_EMPTY), VARTYPE(VT_NULL), VARTYPE(15), VARTYPE(VT_I4 | VT_BYREF), VARTYPE(VT_I4 | VT_ARRAY)}) {
    EXPECT_EQ(SafeArrayCreateVector(type, 0, 1), nullptr) << type;
  }
  SAFEARRAYBOUND huge[] = {{0x10000, 0}, {0x10000, 0}};
  EXPECT_EQ(SafeArrayCreate(VT_I4, 2, huge), nullptr) << "element count times size beyond 32 bits";
  EXPECT_EQ(SafeArrayCreateVector(VT_I4, kMaxLong, 2), nullptr) << "upper bound beyond LONG";
  EXPECT_EQ(SafeArrayCreate(VT_I4, 0, huge), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_I4, 1, nullptr), nullptr);
}

// A 2 x 3 x 4 array with lower bounds 1, -1 and 10 for dimensions 1 to 3.
class ThreeDimensions : public ::testing::Test {
 protected:
  void SetUp() override {
    SAFEARRAYBOUND bounds[] = {{2, 1}, {3, -1}, {4, 10}};
    array_ = SafeArrayCreate(VT_I4, 3, bounds);
    ASSERT_NE(array_, nullptr);
  }
  void TearDown() override { EXPECT_EQ(SafeArrayDestroy(array_), S_OK); }

  SAFEARRAY* array_ = nullptr;
};

TEST_F(ThreeDimensions, ReportsBoundsPerDimension) {
  const LONG lower[] = {1, -1, 10};
  const LONG upper[] = {2, 1, 13};
  for (UINT dim = 1; dim <= 3; ++dim) {
    LONG bound = 0;
    EXPECT_EQ(SafeArrayGetLBound(array_, dim, &bound), S_OK);
    EXPECT_EQ(bound, lower[dim - 1]);
    EXPECT_EQ(SafeArrayGetUBound(array_, dim, &bound), S_OK);
    EXPECT_EQ(bound, upper[dim - 1]);
  }
  LONG bound = 0;
  for (UINT dim : {0u, 4u}) {
    EXPECT_EQ(SafeArrayGetLBound(array_, dim, &bound), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(array_, dim, &bound), DISP_E_BADINDEX);
  }
}

TEST_F(ThreeDimensions, AddressesEveryCellOnceWithTheFirstIndexFastest) {
  LONG value = 0;
  for (LONG k = 10; k <= 13; ++k) {
    for (LONG j = -1; j <= 1; ++j) {
      for (LONG i = 1; i <= 2; ++i) {
        LONG indices[] = {i, j, k};
        ASSERT_EQ(SafeArrayPutElement(array_, indices, &value), S_OK);
        ++value;
      }
    }
  }
  LONG* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array_, reinterpret_cast<void**>(&data)), S_OK);
  for (LONG n = 0; n < 24; ++n) EXPECT_EQ(data[n], n);
  EXPECT_EQ(SafeArrayUnaccessData(array_), S_OK);

  LONG indices[] = {2, 0, 12};
  void* element = nullptr;
  ASSERT_EQ(SafeArrayPtrOfIndex(array_, indices, &element), S_OK);
  EXPECT_EQ(element, data + (1 + 1 * 2 + 2 * 6));
  LONG read = -1;
  ASSERT_EQ(SafeArrayGetElement(array_, indices, &read), S_OK);
  EXPECT_EQ(read, 1 + 1 * 2 + 2 * 6);
}

TEST_F(ThreeDimensions, RejectsEachIndexOutsideItsDimension) {
  const std::vector<std::vector<LONG>> bad = {
      {0, 0, 10}, {3, 0, 10}, {1, -2, 10}, {1, 2, 10}, {1, 0, 9}, {1, 0, 14}, {kMinLong, 0, 10}, {1, 0, kMaxLong},
  };
  for (auto indices : bad) {
    LONG value = 7;
    void* element = nullptr;
    EXPECT_EQ(SafeArrayPutElement(array_, indices.data(), &value), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetElement(array_, indices.data(), &value), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayPtrOfIndex(array_, indices.data(), &element), DISP_E_BADINDEX);
  }
  EXPECT_EQ(array_->cLocks, 0u) << "a refused access leaves no lock behind";
}

TEST(SafeArray, EmptyVectorHasUpperBoundBelowLowerAndNoElements) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 5, 0);
  ASSERT_NE(array, nullptr);
  LONG bound = 0;
  EXPECT_EQ(SafeArrayGetUBound(array, 1, &bound), S_OK);
  EXPECT_EQ(bound, 4);
  LONG index = 5;
  BSTR text = nullptr;
  EXPECT_EQ(SafeArrayGetElement(array, &index, &text), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, OwnsCopiesOfItsStrings) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, -1, 3);
  BSTR mine = SysAllocString(u"first");
  LONG index = -1;
  ASSERT_EQ(SafeArrayPutElement(array, &index, mine), S_OK);
  SysFreeString(mine);  // the array holds its own copy
  index = 0;
  ASSERT_EQ(SafeArrayPutElement(array, &index, BstrHolder(u"second").get()), S_OK);
  ASSERT_EQ(SafeArrayPutElement(array, &index, BstrHolder(u"replaced").get()), S_OK);

  BSTR* cells = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, reinterpret_cast<void**>(&cells)), S_OK);
  // Putting an element's own string back must not free it first.
  ASSERT_EQ(SafeArrayPutElement(array, &index, cells[1]), S_OK);
  EXPECT_EQ(textOf(cells[1]), u"replaced");
  EXPECT_EQ(cells[2], nullptr);
  SafeArrayUnaccessData(array);

  for (LONG i = -1; i <= 1; ++i) {
    BSTR read = nullptr;
    ASSERT_EQ(SafeArrayGetElement(array, &i, &read), S_OK);
    const std::u16string expected[] = {u"first", u"replaced", u""};
    EXPECT_EQ(textOf(read), expected[i + 1]);
    SysFreeString(read);
  }
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, HoldsReferencesToItsInterfaces) {
  CountedObject first;
  CountedObject second;
  SAFEARRAY* array = SafeArrayCreateVector(VT_UNKNOWN, 0, 2);
  LONG index = 0;
  ASSERT_EQ(SafeArrayPutElement(array, &index, static_cast<IUnknown*>(&first)), S_OK);
  EXPECT_EQ(first.extraReferences(), 1u);
  ASSERT_EQ(SafeArrayPutElement(array, &index, static_cast<IUnknown*>(&second)), S_OK);
  EXPECT_EQ(first.extraReferences(), 0u) << "replacing an element releases the old interface";

  IUnknown* read = nullptr;
  ASSERT_EQ(SafeArrayGetElement(array, &index, &read), S_OK);
  EXPECT_EQ(read, &second);
  EXPECT_EQ(second.extraReferences(), 2u);
  read->Release();

  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
  EXPECT_EQ(second.extraReferences(), 2u);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
  EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
  EXPECT_EQ(second.extraReferences(), 0u);
}

TEST(SafeArray, CopiesVariantsHoldingArraysDeeply) {
  // An array of two VARIANTs: a string and an array of strings.
  SAFEARRAY* inner = SafeArrayCreateVector(VT_BSTR, 0, 2);
  LONG index = 1;
  SafeArrayPutElement(inner, &index, BstrHolder(u"nested").get());
  SAFEARRAY* outer = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(u"top");
  index = 0;
  ASSERT_EQ(SafeArrayPutElement(outer, &index, &value), S_OK);
  VariantClear(&value);
  value.vt = VT_ARRAY | VT_BSTR;
  value.parray = inner;
  index = 1;
  ASSERT_EQ(SafeArrayPutElement(outer, &index, &value), S_OK);
  VariantClear(&value);  // destroys `inner`; the element holds a copy

  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(outer, &copy), S_OK);
  ASSERT_EQ(SafeArrayDestroy(outer), S_OK);

  VARIANT read;
  ASSERT_EQ(SafeArrayGetElement(copy, &index, &read), S_OK);
  ASSERT_EQ(read.vt, VT_ARRAY | VT_BSTR);
  BSTR text = nullptr;
  ASSERT_EQ(SafeArrayGetElement(read.parray, &index, &text), S_OK);
  EXPECT_EQ(textOf(text), u"nested");
  SysFreeString(text);
  VariantClear(&read);
  EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
}

TEST(SafeArray, LockedArrayRefusesToBeDestroyed) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, 1);
  LONG index = 0;
  SafeArrayPutElement(array, &index, BstrHolder(u"kept").get());
  void* data = nullptr;
  ASSERT_EQ(SafeArrayLock(array), S_OK);
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  EXPECT_EQ(array->cLocks, 2u);
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(SafeArrayDestroyData(array), DISP_E_ARRAYISLOCKED);

  VARIANT holder;
  VariantInit(&holder);
  holder.vt = VT_ARRAY | VT_BSTR;
  holder.parray = array;
  EXPECT_EQ(VariantClear(&holder), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(holder.parray, array) << "a refused clear keeps the array";

  EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayUnlock(array), S_OK);
  EXPECT_EQ(SafeArrayUnlock(array), E_UNEXPECTED);
  EXPECT_EQ(VariantClear(&holder), S_OK);
}

TEST(SafeArray, DescriptorAndDataCanBeBuiltSeparately) {
  SAFEARRAY* array = nullptr;
  ASSERT_EQ(SafeArrayAllocDescriptorEx(VT_VARIANT, 1, &array), S_OK);
  array->rgsabound[0] = {2, 0};
  ASSERT_EQ(SafeArrayAllocData(array), S_OK);
  VARIANT* cells = static_cast<VARIANT*>(array->pvData);
  EXPECT_EQ(cells[1].vt, VT_EMPTY);
  cells[1].vt = VT_BSTR;
  cells[1].bstrVal = SysAllocString(u"freed by the array");
  EXPECT_EQ(SafeArrayDestroyData(array), S_OK);
  EXPECT_EQ(array->pvData, nullptr);
  EXPECT_EQ(SafeArrayDestroyDescriptor(array), S_OK);

  EXPECT_EQ(SafeArrayAllocDescriptorEx(VT_NULL, 1, &array), DISP_E_BADVARTYPE);
  EXPECT_EQ(SafeArrayAllocDescriptor(0, &array), E_INVALIDARG);
}

TEST(SafeArray, NullArgumentsAreRefused) {
  LONG index = 0;
  LONG value = 0;
  LONG bound = 0;
  SAFEARRAY* copy = reinterpret_cast<SAFEARRAY*>(&value);
  EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
  EXPECT_EQ(SafeArrayCopy(nullptr, &copy), S_OK);
  EXPECT_EQ(copy, nullptr);
  EXPECT_EQ(SafeArrayGetDim(nullptr), 0u);
  EXPECT_EQ(SafeArrayGetLBound(nullptr, 1, &bound), E_INVALIDARG);
  EXPECT_EQ(SafeArrayGetElement(nullptr, &index, &value), E_INVALIDARG);
  EXPECT_EQ(SafeArrayLock(nullptr), E_INVALIDARG);

  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 1);
  EXPECT_EQ(SafeArrayPutElement(array, &index, nullptr), E_INVALIDARG);
  EXPECT_EQ(SafeArrayGetElement(array, &index, nullptr), E_INVALIDARG);
  SafeArrayDestroy(array);
}

}  // namespace
