#include "format/stream_variant.h"

#include <gtest/gtest.h>

#include <limits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "stream_record_writer.h"

namespace {

using format::testing::StreamRecordWriter;

// LONG is 32 bits wide on every build, unlike the C long.
constexpr LONG kMaxLong = std::numeric_limits<LONG>::max();

// The bytes in a heap block of exactly their size, so that AddressSanitizer
// reports any read past the end of the stream.
class ExactStream {
 public:
  ExactStream(const std::vector<BYTE>& bytes, size_t size) : data_(new BYTE[size]), size_(size) {
    if (size != 0) std::memcpy(data_.get(), bytes.data(), size);
  }
  explicit ExactStream(const std::vector<BYTE>& bytes) : ExactStream(bytes, bytes.size()) {}

  const BYTE* begin() const { return data_.get(); }
  const BYTE* end() const { return data_.get() + size_; }

 private:
  std::unique_ptr<BYTE[]> data_;
  size_t size_;
};

// The outcome of decoding one record; owns the value.
struct Decoded {
  Decoded() { VariantInit(&value); }
  Decoded(const Decoded&) = delete;
  ~Decoded() { VariantClear(&value); }
  std::ptrdiff_t size = 0;
  VARIANT value;
};

std::unique_ptr<Decoded> decode(const std::vector<BYTE>& bytes, size_t size) {
  ExactStream stream(bytes, size);
  auto decoded = std::make_unique<Decoded>();
  // Garbage in the destination must not matter.
  decoded->value.vt = VT_I4;
  decoded->value.lVal = 99;
  decoded->size = DecodeStreamVariant(&decoded->value, stream.begin(), stream.end());
  return decoded;
}

std::unique_ptr<Decoded> decode(const std::vector<BYTE>& bytes) {
  return decode(bytes, bytes.size());
}

std::u16string textOf(BSTR text) {
  return text == nullptr ? std::u16string() : std::u16string(text, SysStringLen(text));
}

LONG lowerBound(SAFEARRAY* array) {
  LONG bound = 0;
  EXPECT_EQ(SafeArrayGetLBound(array, 1, &bound), S_OK);
  return bound;
}

LONG elementCount(SAFEARRAY* array) {
  LONG lower = 0, upper = 0;
  EXPECT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
  EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
  return upper - lower + 1;
}

template <class T>
std::vector<T> elementsOf(SAFEARRAY* array) {
  EXPECT_EQ(SafeArrayGetElemsize(array), sizeof(T));
  const auto* data = static_cast<const T*>(array->pvData);
  return std::vector<T>(data, data + elementCount(array));
}

// ---- valid records

TEST(DecodeStreamVariantTest, ScalarsCarryTheirValueField) {
  struct Case {
    VARTYPE type;
    ULONGLONG bits;
  };
  const Case cases[] = {
      {VT_EMPTY, 0},
      {VT_NULL, 0},
      {VT_I1, 0xFE},
      {VT_UI1, 0xFE},
      {VT_I2, 0x8001},
      {VT_UI2, 0xFFFF},
      {VT_BOOL, 0xFFFF},
      {VT_I4, 0x80000001},
      {VT_UI4, 0xFFFFFFFF},
      {VT_INT, 0x12345678},
      {VT_UINT, 0x87654321},
      {VT_ERROR, 0x80004005},
      {VT_R4, 0x3FC00000},                  // 1.5f
      {VT_R8, 0x3FF8000000000000},          // 1.5
      {VT_CY, 0x0000000000003A98},          // 1.5 in units of 1/10,000
      {VT_DATE, 0x40E5F4C000000000},        // 1 January 2024
      {VT_I8, 0x8000000000000001},
      {VT_UI8, 0xFFFFFFFFFFFFFFFF},
  };
  for (const Case& c : cases) {
    StreamRecordWriter stream;
    stream.scalar(c.type, c.bits);
    auto decoded = decode(stream.bytes());
    EXPECT_EQ(decoded->size, 16) << c.type;
    EXPECT_EQ(decoded->value.vt, c.type);
    EXPECT_EQ(static_cast<ULONGLONG>(decoded->value.llVal), c.bits) << c.type;
  }
}

TEST(DecodeStreamVariantTest, DecimalFillsTheWholeRecord) {
  DECIMAL value{};
  value.s.scale = 4;
  value.s.sign = DECIMAL_NEG;
  value.Hi32 = 0x01020304;
  value.Lo64 = 0x1122334455667788;
  StreamRecordWriter stream;
  stream.decimal(value);
  auto decoded = decode(stream.bytes());
  ASSERT_EQ(decoded->size, 16);
  EXPECT_EQ(decoded->value.vt, VT_DECIMAL);
  EXPECT_EQ(decoded->value.decVal.s.scale, 4);
  EXPECT_EQ(decoded->value.decVal.s.sign, DECIMAL_NEG);
  EXPECT_EQ(decoded->value.decVal.Hi32, 0x01020304u);
  EXPECT_EQ(decoded->value.decVal.Lo64, 0x1122334455667788u);
}

TEST(DecodeStreamVariantTest, StringsAreTakenUpToTheirZero) {
  struct Case {
    const char* name;
    std::u16string written;
    bool isNull;
    std::u16string text;
  };
  const Case cases[] = {
      {"length 0 is the null string", u"", true, u""},
      {"ASCII", u"Hello", false, u"Hello"},
      {"beyond Latin-1, with a surrogate pair", u"Grüße € \U0001F600", false, u"Grüße € \U0001F600"},
      {"an embedded zero ends the text", std::u16string(u"ab\0cd", 5), false, u"ab"},
  };
  for (const Case& c : cases) {
    StreamRecordWriter stream;
    stream.string(c.written);
    auto decoded = decode(stream.bytes());
    EXPECT_EQ(decoded->size, static_cast<std::ptrdiff_t>(22 + 2 * c.written.size())) << c.name;
    ASSERT_EQ(decoded->value.vt, VT_BSTR) << c.name;
    EXPECT_EQ(decoded->value.bstrVal == nullptr, c.isNull) << c.name;
    EXPECT_EQ(textOf(decoded->value.bstrVal), c.text) << c.name;
  }
}

TEST(DecodeStreamVariantTest, ArraysOfPlainElementsKeepBoundsAndData) {
  {
    StreamRecordWriter stream;
    stream.array<SHORT>(VT_I2, {1, -2, 3});
    auto decoded = decode(stream.bytes());
    EXPECT_EQ(decoded->size, 40 + 6);
    ASSERT_EQ(decoded->value.vt, VT_ARRAY | VT_I2);
    EXPECT_EQ(lowerBound(decoded->value.parray), 0);
    EXPECT_EQ(elementsOf<SHORT>(decoded->value.parray), (std::vector<SHORT>{1, -2, 3}));
  }
  {
    StreamRecordWriter stream;
    stream.array<double>(VT_R8, {1.5, -2.25}, -1);
    auto decoded = decode(stream.bytes());
    EXPECT_EQ(decoded->size, 40 + 16);
    ASSERT_EQ(decoded->value.vt, VT_ARRAY | VT_R8);
    EXPECT_EQ(lowerBound(decoded->value.parray), -1);
    EXPECT_EQ(elementsOf<double>(decoded->value.parray), (std::vector<double>{1.5, -2.25}));
  }
  {
    DECIMAL one{};
    one.Lo64 = 1;
    StreamRecordWriter stream;
    stream.array<DECIMAL>(VT_DECIMAL, {one, one});
    auto decoded = decode(stream.bytes());
    EXPECT_EQ(decoded->size, 40 + 32);
    ASSERT_EQ(decoded->value.vt, VT_ARRAY | VT_DECIMAL);
    EXPECT_EQ(elementsOf<DECIMAL>(decoded->value.parray)[1].Lo64, 1u);
  }
  {
    // An empty array at the highest lower bound.
    StreamRecordWriter stream;
    stream.arrayHeader(VT_UI1, 0, kMaxLong);
    auto decoded = decode(stream.bytes());
    EXPECT_EQ(decoded->size, 40);
    ASSERT_EQ(decoded->value.vt, VT_ARRAY | VT_UI1);
    EXPECT_EQ(elementCount(decoded->value.parray), 0);
  }
}

TEST(DecodeStreamVariantTest, ArraysOfStringsStepByTheirLengths) {
  StreamRecordWriter stream;
  stream.arrayHeader(VT_BSTR, 3, 1).stringBody(u"one").stringBody(u"").stringBody(u"three");
  auto decoded = decode(stream.bytes());
  EXPECT_EQ(decoded->size, 40 + (6 + 6) + 6 + (6 + 10));
  ASSERT_EQ(decoded->value.vt, VT_ARRAY | VT_BSTR);
  EXPECT_EQ(lowerBound(decoded->value.parray), 1);
  const auto strings = elementsOf<BSTR>(decoded->value.parray);
  ASSERT_EQ(strings.size(), 3u);
  EXPECT_EQ(textOf(strings[0]), u"one");
  // An element is the text before its zero: an empty string, not a null one.
  EXPECT_NE(strings[1], nullptr);
  EXPECT_EQ(textOf(strings[1]), u"");
  EXPECT_EQ(textOf(strings[2]), u"three");
}

TEST(DecodeStreamVariantTest, ArraysOfVariantsDecodeEachElementAsARecord) {
  StreamRecordWriter stream;
  stream.arrayHeader(VT_VARIANT, 5, 0)
      .scalar(VT_I4, LONG{7})
      .string(u"x")
      .nullString()
      .array<SHORT>(VT_I2, {4, 5})
      .arrayHeader(VT_VARIANT, 1, 0)
      .scalar(VT_R8, 0.5);
  auto decoded = decode(stream.bytes());
  EXPECT_EQ(decoded->size, static_cast<std::ptrdiff_t>(stream.size()));
  ASSERT_EQ(decoded->value.vt, VT_ARRAY | VT_VARIANT);
  const auto values = elementsOf<VARIANT>(decoded->value.parray);
  ASSERT_EQ(values.size(), 5u);
  EXPECT_EQ(values[0].vt, VT_I4);
  EXPECT_EQ(values[0].lVal, 7);
  EXPECT_EQ(values[1].vt, VT_BSTR);
  EXPECT_EQ(textOf(values[1].bstrVal), u"x");
  EXPECT_EQ(values[2].vt, VT_BSTR);
  EXPECT_EQ(values[2].bstrVal, nullptr);
  ASSERT_EQ(values[3].vt, VT_ARRAY | VT_I2);
  EXPECT_EQ(elementsOf<SHORT>(values[3].parray), (std::vector<SHORT>{4, 5}));
  ASSERT_EQ(values[4].vt, VT_ARRAY | VT_VARIANT);
  const auto inner = elementsOf<VARIANT>(values[4].parray);
  ASSERT_EQ(inner.size(), 1u);
  EXPECT_EQ(inner[0].vt, VT_R8);
  EXPECT_EQ(inner[0].dblVal, 0.5);
}

TEST(DecodeStreamVariantTest, RecordsFollowOneAnotherInAStream) {
  StreamRecordWriter stream;
  stream.scalar(VT_I2, SHORT{1}).string(u"abc").array<LONG>(VT_I4, {1, 2}).nullString().scalar(VT_BOOL, SHORT{-1});
  const std::vector<std::ptrdiff_t> expected = {16, 28, 48, 22, 16};
  ExactStream bytes(stream.bytes());
  const BYTE* at = bytes.begin();
  for (std::ptrdiff_t size : expected) {
    VARIANT value;
    EXPECT_EQ(DecodeStreamVariant(&value, at, bytes.end()), size);
    VariantClear(&value);
    at += size;
  }
  EXPECT_EQ(at, bytes.end());
}

// A VARIANT array that holds one VARIANT array, and so on, `levels` deep
// counting the outermost; the innermost holds one integer.
std::vector<BYTE> nestedArrays(int levels) {
  StreamRecordWriter stream;
  for (int level = 1; level < levels; ++level) stream.arrayHeader(VT_VARIANT, 1, 0);
  stream.scalar(VT_I4, LONG{1});
  return stream.bytes();
}

TEST(DecodeStreamVariantTest, AcceptsNestingUpToTheLimit) {
  auto decoded = decode(nestedArrays(kMaxStreamNesting));
  EXPECT_EQ(decoded->size, 40 * (kMaxStreamNesting - 1) + 16);
  EXPECT_EQ(decoded->value.vt, VT_ARRAY | VT_VARIANT);
}

// ---- damaged and unsupported records

struct DamagedCase {
  const char* name;
  std::vector<BYTE> bytes;
};

std::vector<DamagedCase> damagedCases() {
  std::vector<DamagedCase> cases;
  auto add = [&cases](const char* name, const StreamRecordWriter& stream) {
    cases.push_back({name, stream.bytes()});
  };
  {
    StreamRecordWriter stream;
    stream.scalar(VT_BSTR).dword(3).raw("abc", 3).word(0);
    add("odd string length", stream);
  }
  {
    StreamRecordWriter stream;
    stream.scalar(VT_BSTR).dword(0xFFFFFFFE).raw(u"ab", 4).word(0);
    add("string length beyond the stream", stream);
  }
  {
    // The text fits, its terminator does not.
    StreamRecordWriter stream;
    stream.scalar(VT_BSTR).dword(4).raw(u"ab", 4);
    add("string without room for its zero", stream);
  }
  {
    StreamRecordWriter stream;
    stream.arrayHeader(VT_BSTR, 2, 0).stringBody(u"ok").dword(5).raw("abcde", 5).word(0);
    add("odd length of a string element", stream);
  }
  {
    StreamRecordWriter stream;
    stream.arrayHeader(VT_BSTR, 2, 0).stringBody(u"ok").dword(1000).raw(u"ab", 4).word(0);
    add("string element beyond the stream", stream);
  }
  {
    StreamRecordWriter stream;
    stream.arrayHeader(VT_I4, 0x40000000, 0).dword(1).dword(2);
    add("count of plain elements beyond the stream", stream);
  }
  {
    StreamRecordWriter stream;
    stream.arrayHeader(VT_R8, 0xFFFFFFFF, 0).raw("12345678", 8);
    add("count whose byte size wraps 32 bits", stream);
  }
  {
    StreamRecordWriter stream;
    stream.arrayHeader(VT_BSTR, 0xFFFFFFFF, 0).stringBody(u"a");
    add("count of strings beyond the stream", stream);
  }
  {
    StreamRecordWriter stream;
    stream.arrayHeader(VT_VARIANT, 3, 0).scalar(VT_I4, LONG{1}).scalar(VT_I4, LONG{2});
    add("count of variants beyond the stream", stream);
  }
  {
    StreamRecordWriter stream;
    stream.arrayHeader(VT_I2, 2, kMaxLong).word(1).word(2);
    add("upper bound beyond the index range", stream);
  }
  {
    StreamRecordWriter stream;
    stream.arrayHeader(VT_VARIANT, 3, 0).string(u"built").array<LONG>(VT_I4, {1}).scalar(VT_UNKNOWN);
    add("unsupported element after built ones", stream);
  }
  {
    StreamRecordWriter stream;
    stream.arrayHeader(VT_VARIANT, 2, 0).string(u"built").scalar(VT_BSTR).dword(7).raw("1234567", 7).word(0);
    add("odd string length inside a variant element", stream);
  }
  cases.push_back({"nesting one level too deep", nestedArrays(kMaxStreamNesting + 1)});

  struct TypeCase {
    const char* name;
    VARTYPE type;
  };
  const TypeCase unsupported[] = {
      {"VT_UNKNOWN", VT_UNKNOWN},
      {"VT_DISPATCH", VT_DISPATCH},
      {"VT_VARIANT without array", VT_VARIANT},
      {"unassigned code 15", 15},
      {"code beyond the table", 0x0FFF},
      {"vector flag", VT_VECTOR | VT_I4},
      {"reserved flag", VT_RESERVED | VT_I4},
      {"array of VT_EMPTY", VT_ARRAY | VT_EMPTY},
      {"array of VT_NULL", VT_ARRAY | VT_NULL},
      {"array of VT_UNKNOWN", VT_ARRAY | VT_UNKNOWN},
      {"array of VT_DISPATCH", VT_ARRAY | VT_DISPATCH},
      {"by-reference VT_I4", VT_BYREF | VT_I4},
      {"by-reference VT_BSTR", VT_BYREF | VT_BSTR},
      {"by-reference VT_VARIANT", VT_BYREF | VT_VARIANT},
      {"by-reference array", VT_BYREF | VT_ARRAY | VT_I4},
  };
  for (const TypeCase& type : unsupported) {
    // Room for any tail the type might claim, so only the type is at fault.
    StreamRecordWriter stream;
    stream.scalar(type.type).raw(std::vector<BYTE>(64).data(), 64);
    add(type.name, stream);
  }
  return cases;
}

TEST(DecodeStreamVariantTest, RefusesDamagedAndUnsupportedRecords) {
  for (const DamagedCase& c : damagedCases()) {
    auto decoded = decode(c.bytes);
    EXPECT_EQ(decoded->size, -1) << c.name;
    EXPECT_EQ(decoded->value.vt, VT_EMPTY) << c.name;
  }
}

// Every valid record cut short anywhere runs past the end of its stream.
TEST(DecodeStreamVariantTest, RefusesEveryTruncationOfAValidRecord) {
  StreamRecordWriter complex;
  complex.arrayHeader(VT_VARIANT, 4, 0)
      .string(u"text")
      .array<LONG>(VT_I4, {1, 2, 3})
      .arrayHeader(VT_BSTR, 2, 0)
      .stringBody(u"a")
      .stringBody(u"bc")
      .scalar(VT_R8, 2.5);
  StreamRecordWriter decimal;
  decimal.decimal(DECIMAL{});
  StreamRecordWriter string;
  string.string(u"abc");
  for (const auto& stream : {complex.bytes(), decimal.bytes(), string.bytes(), nestedArrays(3)}) {
    ASSERT_EQ(decode(stream)->size, static_cast<std::ptrdiff_t>(stream.size()));
    for (size_t length = 0; length < stream.size(); ++length) {
      auto decoded = decode(stream, length);
      EXPECT_EQ(decoded->size, -1) << "cut to " << length << " of " << stream.size();
      EXPECT_EQ(decoded->value.vt, VT_EMPTY);
    }
  }
}

TEST(DecodeStreamVariantTest, RefusesPositionsOutsideAStream) {
  StreamRecordWriter stream;
  stream.scalar(VT_I4, LONG{1});
  ExactStream bytes(stream.bytes());
  VARIANT value;
  EXPECT_EQ(DecodeStreamVariant(&value, bytes.end(), bytes.begin()), -1);
  EXPECT_EQ(value.vt, VT_EMPTY);
  EXPECT_EQ(DecodeStreamVariant(&value, nullptr, bytes.end()), -1);
  EXPECT_EQ(DecodeStreamVariant(nullptr, bytes.begin(), bytes.end()), -1);
}

}  // namespace
