#include "format/variant_lines.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "result/result_code_text.h"

namespace {

using Lines = std::vector<std::string>;

// Values the tests build; each owns what it holds.
class Value {
 public:
  Value() { VariantInit(&value_); }
  Value(const Value&) = delete;
  ~Value() { VariantClear(&value_); }

  static Value i4(LONG number) {
    Value v;
    v.value_.vt = VT_I4;
    v.value_.lVal = number;
    return v;
  }
  static Value text(const char16_t* text) {
    Value v;
    v.value_.vt = VT_BSTR;
    v.value_.bstrVal = SysAllocString(text);
    return v;
  }
  static Value ofType(VARTYPE type) {
    Value v;
    v.value_.vt = type;
    return v;
  }
  // A one-dimensional array of 4-byte integers.
  static Value i4Array(std::initializer_list<LONG> numbers, LONG lowerBound = 0) {
    Value v;
    v.value_.vt = VT_ARRAY | VT_I4;
    v.value_.parray = SafeArrayCreateVector(VT_I4, lowerBound, static_cast<ULONG>(numbers.size()));
    LONG index = lowerBound;
    for (LONG number : numbers) {
      SafeArrayPutElement(v.value_.parray, &index, &number);
      ++index;
    }
    return v;
  }
  // An array of VARIANTs holding copies of the given values.
  static Value variantArray(std::initializer_list<const Value*> elements) {
    Value v;
    v.value_.vt = VT_ARRAY | VT_VARIANT;
    v.value_.parray = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(elements.size()));
    LONG index = 0;
    for (const Value* element : elements) {
      SafeArrayPutElement(v.value_.parray, &index, const_cast<VARIANT*>(&element->get()));
      ++index;
    }
    return v;
  }

  Value(Value&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  const VARIANT& get() const { return value_; }
  VARIANT& get() { return value_; }

 private:
  VARIANT value_;
};

class VariantToLinesTest : public ::testing::Test {
 protected:
  // The coercion follows the user's locale; "C" is English (United States).
  void SetUp() override { setenv("LC_ALL", "C", 1); }
};

TEST_F(VariantToLinesTest, ScalarIsOneLineWithIndexZero) {
  struct Case {
    const char* name;
    Value value;
    const char* format;
    Lines lines;
  };
  Case cases[] = {
      {"integer", Value::i4(-42), "Data[%u]    : ", {"Data[0]    : -42"}},
      {"string", Value::text(u"Grüße"), "[%u] ", {"[0] Grüße"}},
      {"null string", Value::ofType(VT_BSTR), "vDataValue[%u] : ", {"vDataValue[0] : "}},
      {"empty", Value::ofType(VT_EMPTY), "vEUInfo[%d]          : ", {"vEUInfo[0]          : "}},
  };
  for (const Case& c : cases) EXPECT_EQ(VariantToLines(c.value.get(), c.format), c.lines) << c.name;
}

TEST_F(VariantToLinesTest, ConversionFailureShowsTheResultCodeText) {
  Value null = Value::ofType(VT_NULL);
  const Lines lines = VariantToLines(null.get(), "Data[%u]    : ");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "Data[0]    : " + ResultCodeText(DISP_E_TYPEMISMATCH, nullptr));
  EXPECT_EQ(lines[0].rfind("Data[0]    : Function Failed : 80020005h", 0), 0u);
}

TEST_F(VariantToLinesTest, ArrayElementsCarryTheirTopLevelIndex) {
  Value numbers = Value::i4Array({10, 20, 30});
  EXPECT_EQ(VariantToLines(numbers.get(), "Data[%u]    : "),
            (Lines{"Data[0]    : 10", "Data[1]    : 20", "Data[2]    : 30"}));

  // The index counts elements, whatever the array's lower bound.
  Value shifted = Value::i4Array({7, 8}, -5);
  EXPECT_EQ(VariantToLines(shifted.get(), "[%u] "), (Lines{"[0] 7", "[1] 8"}));
}

TEST_F(VariantToLinesTest, EmptyArrayGivesTheBarePrefixOnlyAtTheTop) {
  Value empty = Value::i4Array({});
  EXPECT_EQ(VariantToLines(empty.get(), "Data[%u]    : "), Lines{"Data[0]    : "});
  // Its upper bound, one below the lowest lower bound, wraps to the highest.
  Value lowest = Value::i4Array({}, std::numeric_limits<LONG>::min());
  EXPECT_EQ(VariantToLines(lowest.get(), "Data[%u]    : "), Lines{"Data[0]    : "});

  Value one = Value::i4(1);
  Value two = Value::i4(2);
  Value nested = Value::variantArray({&one, &empty, &two});
  EXPECT_EQ(VariantToLines(nested.get(), "[%u] "), (Lines{"[0] 1", "[2] 2"}));
}

TEST_F(VariantToLinesTest, NestedArraysShareTheIndexOfTheirOuterElement) {
  Value first = Value::text(u"a");
  Value inner = Value::i4Array({5, 6, 7});
  Value last = Value::ofType(VT_NULL);
  Value outer = Value::variantArray({&first, &inner, &last});
  EXPECT_EQ(VariantToLines(outer.get(), "[%u] "),
            (Lines{"[0] a", "[1] 5", "[1] 6", "[1] 7", "[2] " + ResultCodeText(DISP_E_TYPEMISMATCH, nullptr)}));

  Value deeper = Value::variantArray({&first, &outer});
  EXPECT_EQ(VariantToLines(deeper.get(), "[%u] ").back(), "[1] " + ResultCodeText(DISP_E_TYPEMISMATCH, nullptr));
  EXPECT_EQ(VariantToLines(deeper.get(), "[%u] ").size(), 6u);
}

TEST_F(VariantToLinesTest, ReadsAnArrayByReference) {
  Value numbers = Value::i4Array({1, 2});
  VARIANT reference;
  VariantInit(&reference);
  reference.vt = VT_BYREF | VT_ARRAY | VT_I4;
  reference.pparray = &numbers.get().parray;
  EXPECT_EQ(VariantToLines(reference, "[%u] "), (Lines{"[0] 1", "[1] 2"}));
}

TEST_F(VariantToLinesTest, WalksEveryElementOfAMultiDimensionalArray) {
  // Two rows of three: dimension 1 (the first index) runs fastest.
  SAFEARRAYBOUND bounds[2] = {{3, 0}, {2, 1}};
  Value grid;
  grid.get().vt = VT_ARRAY | VT_I4;
  grid.get().parray = SafeArrayCreate(VT_I4, 2, bounds);
  LONG number = 0;
  for (LONG row = 1; row <= 2; ++row) {
    for (LONG column = 0; column < 3; ++column) {
      LONG indices[2] = {column, row};
      ++number;
      SafeArrayPutElement(grid.get().parray, indices, &number);
    }
  }
  EXPECT_EQ(VariantToLines(grid.get(), "[%u] "), (Lines{"[0] 1", "[1] 2", "[2] 3", "[3] 4", "[4] 5", "[5] 6"}));
}

TEST_F(VariantToLinesTest, AnArrayThatCannotBeReadIsOneFailureLine) {
  VARIANT broken;
  VariantInit(&broken);
  broken.vt = VT_ARRAY | VT_I4;
  broken.parray = nullptr;
  EXPECT_EQ(VariantToLines(broken, "[%u] "), Lines{"[0] " + ResultCodeText(E_INVALIDARG, nullptr)});
}

TEST_F(VariantToLinesTest, LeavesTheValueUnchanged) {
  Value text = Value::text(u"3.5");
  const BSTR before = text.get().bstrVal;
  EXPECT_EQ(VariantToLines(text.get(), "[%u] "), Lines{"[0] 3.5"});
  EXPECT_EQ(text.get().vt, VT_BSTR);
  EXPECT_EQ(text.get().bstrVal, before);
}

}  // namespace
