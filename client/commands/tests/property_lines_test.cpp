// The lines of one property value: the index of a single line is dropped,
// that of each array element kept.

#include "commands/property_lines.h"

#include <gtest/gtest.h>

#include "com/oleauto.h"

namespace {

VARIANT realArray(std::initializer_list<float> values) {
  VARIANT value;
  VariantInit(&value);
  SAFEARRAY* array = SafeArrayCreateVector(VT_R4, 0, static_cast<ULONG>(values.size()));
  LONG index = 0;
  for (float element : values) SafeArrayPutElement(array, &index, &element), ++index;
  value.vt = VT_ARRAY | VT_R4;
  value.parray = array;
  return value;
}

TEST(PropertyValueLinesTest, KeepsTheIndexOnlyWhereThereIsMoreThanOneLine) {
  struct Case {
    const char* name;
    VARIANT value;
    std::vector<std::string> lines;
  };
  VARIANT scalar;
  VariantInit(&scalar);
  scalar.vt = VT_I4;
  scalar.lVal = 42;
  Case cases[] = {
      {"scalar", scalar, {"Item Value : 42"}},
      {"one element", realArray({2.5f}), {"Item Value : 2.5"}},
      {"three elements", realArray({1, 2, 3}), {"Item Value : [0] 1", "Item Value : [1] 2", "Item Value : [2] 3"}},
      // An empty array reads as its bare index prefix, which is dropped.
      {"no element", realArray({}), {"Item Value : "}},
  };
  for (Case& c : cases) {
    EXPECT_EQ(PropertyValueLines("Item Value : ", c.value), c.lines) << c.name;
    VariantClear(&c.value);
  }
}

}  // namespace
