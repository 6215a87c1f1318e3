#include "win/time.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "win/lasterror.h"
#include "win/winerror.h"

namespace {

constexpr ULONGLONG kTicksPerSecond = 10'000'000;
// 1970-01-01 in FILETIME ticks.
constexpr ULONGLONG kUnixEpoch = 116'444'736'000'000'000ull;

FILETIME fileTime(ULONGLONG ticks) { return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)}; }
ULONGLONG ticksOf(const FILETIME& time) { return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

std::string text(const SYSTEMTIME& t) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u.%03u dow %u", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek);
  return buffer;
}

TEST(FileTime, ConvertsKnownDates) {
  struct Case {
    ULONGLONG ticks;
    std::string date;
  } cases[] = {
      {0, "1601-01-01 00:00:00.000 dow 1"},
      {kUnixEpoch, "1970-01-01 00:00:00.000 dow 4"},
      {kUnixEpoch + 951782400ull * kTicksPerSecond, "2000-02-29 00:00:00.000 dow 2"},
      {kUnixEpoch + 1678881600ull * kTicksPerSecond + 1234567, "2023-03-15 12:00:00.123 dow 3"},
      {kUnixEpoch + 4107542399ull * kTicksPerSecond, "2100-02-28 23:59:59.000 dow 0"},
      {kUnixEpoch + 4107542400ull * kTicksPerSecond, "2100-03-01 00:00:00.000 dow 1"},  // 2100 is no leap year
      {0x7FFF35F4F06C7FFFull, "30827-12-31 23:59:59.999 dow 5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    const FILETIME in = fileTime(c.ticks);
    SYSTEMTIME date{};
    ASSERT_TRUE(FileTimeToSystemTime(&in, &date));
    EXPECT_EQ(text(date), c.date);
    FILETIME back{};
    ASSERT_TRUE(SystemTimeToFileTime(&date, &back));
    EXPECT_EQ(ticksOf(back), c.ticks - c.ticks % 10'000) << "round trip to the millisecond";
  }
}

TEST(FileTime, RejectsWhatThePlatformRejects) {
  const ULONGLONG beyond[] = {0x7FFF35F4F06C8000ull /* 30828-01-01 */, 0x7FFFFFFFFFFFFFFFull,
                              0x8000000000000000ull, ~0ull};
  for (ULONGLONG ticks : beyond) {
    SCOPED_TRACE(ticks);
    const FILETIME in = fileTime(ticks);
    SYSTEMTIME date{};
    SetLastError(0);
    EXPECT_FALSE(FileTimeToSystemTime(&in, &date));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  const SYSTEMTIME badDates[] = {
      {1600, 12, 0, 31, 0, 0, 0, 0}, {30828, 1, 0, 1, 0, 0, 0, 0}, {2023, 13, 0, 1, 0, 0, 0, 0},
      {2023, 2, 0, 29, 0, 0, 0, 0},  {2024, 4, 0, 31, 0, 0, 0, 0}, {2024, 1, 0, 0, 0, 0, 0, 0},
      {2024, 1, 0, 1, 24, 0, 0, 0},  {2024, 1, 0, 1, 0, 60, 0, 0}, {2024, 1, 0, 1, 0, 0, 60, 0},
      {2024, 1, 0, 1, 0, 0, 0, 1000},
  };
  for (const SYSTEMTIME& date : badDates) {
    SCOPED_TRACE(text(date));
    FILETIME out{};
    EXPECT_FALSE(SystemTimeToFileTime(&date, &out));
  }
  const SYSTEMTIME leapDay{2024, 2, 6 /* ignored */, 29, 0, 0, 0, 0};
  FILETIME out{};
  EXPECT_TRUE(SystemTimeToFileTime(&leapDay, &out));
  EXPECT_FALSE(FileTimeToSystemTime(nullptr, nullptr));
}

class LocalFileTime : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tz = getenv("TZ");
    saved_ = tz ? std::optional<std::string>(tz) : std::nullopt;
  }
  void TearDown() override {
    saved_ ? setenv("TZ", saved_->c_str(), 1) : unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};

TEST_F(LocalFileTime, UsesTheZonesOffsetAtThatInstant) {
  const ULONGLONG january = kUnixEpoch + 1673784000ull * kTicksPerSecond;  // 2023-01-15 12:00 UTC
  const ULONGLONG july = kUnixEpoch + 1689422400ull * kTicksPerSecond;     // 2023-07-15 12:00 UTC
  struct Case {
    const char* zone;
    ULONGLONG utc;
    long long offsetHours;
  } cases[] = {
      {"UTC0", january, 0},
      {"CET-1CEST,M3.5.0,M10.5.0/3", january, 1},
      {"CET-1CEST,M3.5.0,M10.5.0/3", july, 2},
      {"EST5EDT,M3.2.0,M11.1.0", january, -5},
      {"EST5EDT,M3.2.0,M11.1.0", july, -4},
      {"JST-9", july, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zone);
    setenv("TZ", c.zone, 1);
    const FILETIME utc = fileTime(c.utc);
    FILETIME local{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(static_cast<long long>(ticksOf(local) - c.utc),
              c.offsetHours * 3600 * static_cast<long long>(kTicksPerSecond));
  }
  setenv("TZ", "JST-9", 1);
  const FILETIME tooLarge = fileTime(0x7FFFFFFFFFFFFFFFull);
  FILETIME local{};
  EXPECT_FALSE(FileTimeToLocalFileTime(&tooLarge, &local));
  setenv("TZ", "EST5", 1);
  const FILETIME first = fileTime(0);
  EXPECT_FALSE(FileTimeToLocalFileTime(&first, &local)) << "before 1601 in local time";
}

TEST(Clock, NowAgreesWithTheCLibrary) {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const ULONGLONG expected = kUnixEpoch + static_cast<ULONGLONG>(time(nullptr)) * kTicksPerSecond;
  EXPECT_LT(std::llabs(static_cast<long long>(ticksOf(now) - expected)), 5 * 10'000'000ll);
  SYSTEMTIME systemTime{};
  GetSystemTime(&systemTime);
  EXPECT_GE(systemTime.wYear, 2023);
  SYSTEMTIME localTime{};
  GetLocalTime(&localTime);
  EXPECT_GE(localTime.wYear, 2023);
}

TEST(Clock, TickCountIsTheLow32BitsOfTheMillisecondCount) {
  const ULONGLONG before = GetTickCount64();
  const DWORD ticks = GetTickCount();
  const ULONGLONG after = GetTickCount64();
  // Wrap-safe: the 32-bit count lies between the two 64-bit readings.
  EXPECT_LE(static_cast<DWORD>(ticks - static_cast<DWORD>(before)), static_cast<DWORD>(after - before));
  // Elapsed time taken in DWORD arithmetic survives the wrap.
  const DWORD start = 0xFFFFFFF0u;
  const DWORD end = start + 0x20u;
  EXPECT_EQ(static_cast<DWORD>(end - start), 0x20u);
}

TEST(Clock, SleepWaitsAtLeastTheTimeAskedFor) {
  const ULONGLONG before = GetTickCount64();
  Sleep(30);
  EXPECT_GE(GetTickCount64() - before, 30u);
  Sleep(0);
}

}  // namespace
