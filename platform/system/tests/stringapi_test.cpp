#include "win/stringapi.h"

#include <gtest/gtest.h>

#include <string>

#include "win/winerror.h"

namespace {

std::u16string toWide(const std::string& text, DWORD flags = 0) {
  int n = MultiByteToWideChar(CP_ACP, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::u16string wide(static_cast<size_t>(n), u'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, flags, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string toNarrow(const std::u16string& wide, DWORD flags = 0) {
  int n = WideCharToMultiByte(CP_UTF8, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string text(static_cast<size_t>(n), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, flags, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                        nullptr, nullptr);
  return text;
}

TEST(StringApi, RoundTripsEveryPlane) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"Pelkor.DataSample", u"Pelkor.DataSample"},
      {"M\xC3\xBC"
       "ller",
       u"M\u00FCller"},
      {"\xE2\x82\xAC", u"\u20AC"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(toWide(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(toNarrow(c.utf16), c.utf8) << c.utf8;
  }
}

TEST(StringApi, TerminatorCountedWithLengthMinusOne) {
  WCHAR wide[8];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 8), 4);
  EXPECT_EQ(wide[3], u'\0');
  char text[8];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abc", -1, text, 8, nullptr, nullptr), 4);
  EXPECT_STREQ(text, "abc");
}

TEST(StringApi, InvalidInputFailsOnlyWhenAsked) {
  const std::string overlong = "a\xC0\x80";  // overlong NUL
  const std::string truncated = "a\xE2\x82";
  const std::string surrogate = "\xED\xA0\x80";
  for (const auto& bad : {overlong, truncated, surrogate}) {
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bad.data(), int(bad.size()), nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_NE(toWide(bad).find(u'\uFFFD'), std::u16string::npos);
  }
  const std::u16string lone = u"x\xD800y";
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, WC_ERR_INVALID_CHARS, lone.data(), int(lone.size()), nullptr, 0,
                                nullptr, nullptr),
            0);
  EXPECT_EQ(toNarrow(lone), "x\xEF\xBF\xBDy");
}

TEST(StringApi, ReportsShortBufferAndBadArguments) {
  WCHAR wide[2];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, wide, 2), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, wide, 2), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, 3, wide, 2), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 0, wide, 2), 0);
}

}  // namespace
