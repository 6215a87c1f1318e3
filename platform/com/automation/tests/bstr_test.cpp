#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "com/oleauto.h"

namespace {

std::u16string textOf(BSTR text) {
  return std::u16string(text, SysStringLen(text));
}

// The 32-bit byte count just before the characters, as stream and marshalling
// code read it.
std::uint32_t prefixOf(BSTR text) {
  std::uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<const BYTE*>(text) - sizeof prefix, sizeof prefix);
  return prefix;
}

TEST(Bstr, AllocatesLengthPrefixedTerminatedStrings) {
  struct Case {
    const char* name;
    BSTR text;
    std::u16string expected;
    UINT byteLength;
  };
  const Case cases[] = {
      {"whole string", SysAllocString(u"abc"), u"abc", 6},
      {"empty string", SysAllocString(u""), u"", 0},
      {"leading part", SysAllocStringLen(u"abcdef", 3), u"abc", 6},
      {"embedded zero", SysAllocStringLen(u"a\0b", 3), std::u16string(u"a\0b", 3), 6},
      {"no source is zero-filled", SysAllocStringLen(nullptr, 2), std::u16string(2, u'\0'), 4},
      {"bytes, even", SysAllocStringByteLen("ab\0c", 4), std::u16string(u"\x6261\x6300", 2), 4},
      {"bytes, odd count", SysAllocStringByteLen("abc", 3), std::u16string(u"\x6261"), 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(c.text, nullptr);
    EXPECT_EQ(textOf(c.text), c.expected);
    EXPECT_EQ(SysStringByteLen(c.text), c.byteLength);
    EXPECT_EQ(prefixOf(c.text), c.byteLength);
    // The terminator follows the last byte, even for an odd byte count.
    const auto* bytes = reinterpret_cast<const BYTE*>(c.text);
    EXPECT_EQ(bytes[c.byteLength], 0);
    EXPECT_EQ(bytes[c.byteLength + 1], 0);
    SysFreeString(c.text);
  }
}

TEST(Bstr, NullStringsAreEmptyAndFreeable) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  SysFreeString(nullptr);
}

TEST(Bstr, RefusesLengthsBeyondThePrefix) {
  EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
  EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
  EXPECT_EQ(SysAllocStringByteLen(nullptr, 0xFFFFFFFFu), nullptr);
}

TEST(Bstr, ReallocatesFromItsOwnTail) {
  BSTR text = SysAllocString(u"prefix-tail");
  ASSERT_TRUE(SysReAllocString(&text, text + 7));
  EXPECT_EQ(textOf(text), u"tail");
  ASSERT_TRUE(SysReAllocStringLen(&text, text + 1, 2));
  EXPECT_EQ(textOf(text), u"ai");
  ASSERT_TRUE(SysReAllocString(&text, nullptr));
  EXPECT_EQ(text, nullptr);
  EXPECT_FALSE(SysReAllocString(nullptr, u"x"));
}

}  // namespace
