#include "com/guid.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "com/allocator.h"
#include "com/unknown.h"
#include "scratch_registry.h"

namespace {

DEFINE_GUID(kSample, 0x39C13A4D, 0x011E, 0x11D0, 0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3);

std::u16string format(REFGUID guid) {
  OLECHAR text[39];
  EXPECT_EQ(StringFromGUID2(guid, text, 39), 39);
  return text;
}

TEST(Guid, FormatsAndParsesTheBracedForm) {
  struct Case {
    const GUID& guid;
    std::u16string text;
  };
  const Case cases[] = {
      {kSample, u"{39C13A4D-011E-11D0-9675-0020AFD8ADB3}"},
      {IID_IUnknown, u"{00000000-0000-0000-C000-000000000046}"},
      {GUID_NULL, u"{00000000-0000-0000-0000-000000000000}"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(format(c.guid), c.text);
    CLSID parsed;
    ASSERT_EQ(CLSIDFromString(c.text.c_str(), &parsed), S_OK);
    EXPECT_EQ(parsed, c.guid);
  }
  CLSID lower;
  ASSERT_EQ(CLSIDFromString(u"{39c13a4d-011e-11d0-9675-0020afd8adb3}", &lower), S_OK);
  EXPECT_EQ(lower, kSample);
}

TEST(Guid, RejectsMalformedText) {
  // Text without a brace is looked up as a ProgID: in an empty registry.
  ScratchRegistry registry;
  const char16_t* bad[] = {
      u"",
      u"39C13A4D-011E-11D0-9675-0020AFD8ADB3",
      u"{39C13A4D-011E-11D0-9675-0020AFD8ADB}",
      u"{39C13A4D-011E-11D0-9675-0020AFD8ADB3}x",
      u"{39C13A4D+011E-11D0-9675-0020AFD8ADB3}",
      u"{39C13A4G-011E-11D0-9675-0020AFD8ADB3}",
  };
  for (const char16_t* text : bad) {
    CLSID parsed = kSample;
    EXPECT_EQ(CLSIDFromString(text, &parsed), CO_E_CLASSSTRING);
    EXPECT_EQ(parsed, kSample) << "left untouched";
  }
  EXPECT_EQ(CLSIDFromString(nullptr, nullptr), E_INVALIDARG);
  OLECHAR small[38];
  EXPECT_EQ(StringFromGUID2(kSample, small, 38), 0);
}

TEST(Guid, StringFromClsidAllocatesWithTheTaskAllocator) {
  LPOLESTR text = nullptr;
  ASSERT_EQ(StringFromCLSID(kSample, &text), S_OK);
  EXPECT_EQ(std::u16string(text), u"{39C13A4D-011E-11D0-9675-0020AFD8ADB3}");
  CoTaskMemFree(text);
  ASSERT_EQ(StringFromIID(IID_IUnknown, &text), S_OK);
  EXPECT_EQ(std::u16string(text), u"{00000000-0000-0000-C000-000000000046}");
  CoTaskMemFree(text);
  EXPECT_EQ(StringFromCLSID(kSample, nullptr), E_INVALIDARG);
}

TEST(Guid, CoCreateGuidMakesDistinctVersion4Identifiers) {
  std::set<std::u16string> seen;
  for (int k = 0; k < 64; ++k) {
    GUID guid;
    ASSERT_EQ(CoCreateGuid(&guid), S_OK);
    EXPECT_EQ(guid.Data3 >> 12, 4) << "version";
    EXPECT_EQ(guid.Data4[0] >> 6, 2) << "variant";
    seen.insert(format(guid));
  }
  EXPECT_EQ(seen.size(), 64u);
  EXPECT_EQ(CoCreateGuid(nullptr), E_INVALIDARG);
}

}  // namespace
