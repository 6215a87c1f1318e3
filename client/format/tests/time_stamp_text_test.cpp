#include "format/time_stamp_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

// 100-nanosecond intervals from 1601 to 1970.
constexpr ULONGLONG kUnixEpoch = 116444736000000000ULL;

FILETIME fromUnixSeconds(long long seconds) {
  const ULONGLONG value = kUnixEpoch + static_cast<ULONGLONG>(seconds) * 10000000ULL;
  return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

// Local time is Central European time, and month names come from a German
// LC_TIME when the build could make one (VELMORA_TEST_LOCALES), so a text
// that followed the user's locale would read "Mär" and "Dez".
class TimeStampTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
#ifdef VELMORA_TEST_LOCALES
    setenv("LOCPATH", VELMORA_TEST_LOCALES, 1);
#endif
    germanTime_ = std::setlocale(LC_TIME, "de_DE.UTF-8") != nullptr;
  }
  void TearDown() override {
    std::setlocale(LC_TIME, "C");
    unsetenv("TZ");
    tzset();
  }

  bool germanTime_ = false;
};

TEST_F(TimeStampTextTest, ShowsLocalTimeWithEnglishMonthNames) {
  if (!germanTime_) std::fprintf(stderr, "note: no German LC_TIME here; checking the text only\n");
  struct Case {
    long long unixSeconds;
    const char* text;
  };
  const Case cases[] = {
      {1709644029, "05.Mar 2024, 14:07:09"},   // 13:07:09 UTC, winter time
      {1719793800, "01.Jul 2024, 02:30:00"},   // 00:30 UTC, summer time: the day changes too
      {1735689599, "01.Jan 2025, 00:59:59"},   // the last second of 2024 in UTC
      {1702598400, "15.Dec 2023, 01:00:00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(format::TimeStampText(fromUnixSeconds(c.unixSeconds)), std::optional<std::string>(c.text))
        << c.unixSeconds;
  }
}

TEST_F(TimeStampTextTest, TimesThatCannotBeConvertedGiveNoText) {
  // The first instant of the calendar lies before it in local time west of
  // Greenwich, and FILETIMEs from 2^63 up are invalid everywhere.
  setenv("TZ", "EST5", 1);
  tzset();
  EXPECT_EQ(format::TimeStampText(FILETIME{0, 0}), std::nullopt);
  EXPECT_EQ(format::TimeStampText(FILETIME{0, 0x80000000}), std::nullopt);
}

}  // namespace
