#include "win/locale.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "win/lasterror.h"
#include "win/winerror.h"

namespace {

// Sets LC_ALL and LANG for one test and restores them afterwards.
class LocaleEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    save("LC_ALL", savedAll_);
    save("LANG", savedLang_);
    setLocaleEnvironment(nullptr, nullptr);
  }
  void TearDown() override {
    restore("LC_ALL", savedAll_);
    restore("LANG", savedLang_);
  }

  static void setLocaleEnvironment(const char* all, const char* lang) {
    all ? setenv("LC_ALL", all, 1) : unsetenv("LC_ALL");
    lang ? setenv("LANG", lang, 1) : unsetenv("LANG");
  }

 private:
  struct Saved {
    bool set = false;
    std::string value;
  };
  static void save(const char* name, Saved& saved) {
    const char* value = getenv(name);
    saved = {value != nullptr, value ? value : ""};
  }
  static void restore(const char* name, const Saved& saved) {
    saved.set ? setenv(name, saved.value.c_str(), 1) : unsetenv(name);
  }
  Saved savedAll_;
  Saved savedLang_;
};

std::string infoA(LCID locale, LCTYPE type) {
  char buffer[128];
  const int written = GetLocaleInfoA(locale, type, buffer, sizeof buffer);
  return written > 0 ? std::string(buffer, written - 1) : "error " + std::to_string(GetLastError());
}

using LocaleInfoTest = LocaleEnvironment;

TEST_F(LocaleInfoTest, GivesThePlatformsValues) {
  struct Case {
    LCID locale;
    LCTYPE type;
    std::string expected;
  } cases[] = {
      {0x409, LOCALE_SLANGUAGE, "English (United States)"},
      {0x407, LOCALE_SLANGUAGE, "German (Germany)"},
      {0x40C, LOCALE_SLANGUAGE, "French (France)"},
      {0x809, LOCALE_SLANGUAGE, "English (United Kingdom)"},
      {0x411, LOCALE_SLANGUAGE, "Japanese (Japan)"},
      {0x804, LOCALE_SLANGUAGE, "Chinese (Simplified, PRC)"},
      {0x40A, LOCALE_SLANGUAGE, "Spanish (Spain, Traditional Sort)"},
      {0x407, LOCALE_SENGLANGUAGE, "German"},
      {0x40C, LOCALE_SNATIVELANGNAME, "fran\xC3\xA7" "ais"},
      {0x40C, LOCALE_ILANGUAGE, "040c"},
      {0x804, LOCALE_SNAME, "zh-CN"},
      {0x409, LOCALE_SDECIMAL, "."},
      {0x409, LOCALE_STHOUSAND, ","},
      {0x409, LOCALE_SNEGATIVESIGN, "-"},
      {0x409, LOCALE_SDATE, "/"},
      {0x409, LOCALE_STIME, ":"},
      {0x409, LOCALE_SSHORTDATE, "M/d/yyyy"},
      {0x409, LOCALE_STIMEFORMAT, "h:mm:ss tt"},
      {0x409, LOCALE_S1159, "AM"},
      {0x409, LOCALE_S2359, "PM"},
      {0x407, LOCALE_SDECIMAL, ","},
      {0x407, LOCALE_STHOUSAND, "."},
      {0x407, LOCALE_SDATE, "."},
      {0x407, LOCALE_SSHORTDATE, "dd.MM.yyyy"},
      {0x407, LOCALE_STIMEFORMAT, "HH:mm:ss"},
      {0x407, LOCALE_S1159, ""},
      {0x809, LOCALE_SSHORTDATE, "dd/MM/yyyy"},
      {0x40C, LOCALE_STHOUSAND, "\xC2\xA0"},
      {0x411, LOCALE_SSHORTDATE, "yyyy/MM/dd"},
      {0x411, LOCALE_S1159, "\xE5\x8D\x88\xE5\x89\x8D"},
      {0x413, LOCALE_SSHORTDATE, "d-M-yyyy"},
      {0x407 | LOCALE_NOUSEROVERRIDE, LOCALE_SLANGUAGE, "error 87"},  // a flag is not a locale
      {0x407, LOCALE_SLANGUAGE | LOCALE_NOUSEROVERRIDE, "German (Germany)"},
      {0x1234, LOCALE_SLANGUAGE, "error 87"},
      {0x409, 0x9999, "error 87"},
      {0x409, LOCALE_ILANGUAGE | LOCALE_RETURN_NUMBER, "error 1004"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.locale << " " << c.type);
    EXPECT_EQ(infoA(c.locale, c.type), c.expected);
  }
}

TEST_F(LocaleInfoTest, DefaultLocalesFollowTheEnvironment) {
  setLocaleEnvironment(nullptr, "de_DE.UTF-8");
  for (LCID alias : {LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT, LOCALE_NEUTRAL}) {
    EXPECT_EQ(infoA(alias, LOCALE_SDECIMAL), ",");
  }
  setLocaleEnvironment(nullptr, nullptr);
  EXPECT_EQ(infoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE), "M/d/yyyy");
}

TEST_F(LocaleInfoTest, ReportsSizesInCharactersOfItsForm) {
  // "français": 9 UTF-8 bytes, 8 UTF-16 units, each with the terminator.
  EXPECT_EQ(GetLocaleInfoA(0x40C, LOCALE_SNATIVELANGNAME, nullptr, 0), 10);
  EXPECT_EQ(GetLocaleInfoW(0x40C, LOCALE_SNATIVELANGNAME, nullptr, 0), 9);
  WCHAR wide[9];
  EXPECT_EQ(GetLocaleInfoW(0x40C, LOCALE_SNATIVELANGNAME, wide, 9), 9);
  EXPECT_EQ(std::u16string(wide), u"fran\u00e7ais");
  EXPECT_EQ(GetLocaleInfoW(0x40C, LOCALE_SNATIVELANGNAME, wide, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(GetLocaleInfoA(0x409, LOCALE_SDECIMAL, nullptr, 5), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  char narrow[4];
  EXPECT_EQ(GetLocaleInfoA(0x409, LOCALE_SDECIMAL, narrow, -1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

using LocaleFromEnvironmentTest = LocaleEnvironment;

TEST_F(LocaleFromEnvironmentTest, FollowsLcAllThenLang) {
  struct Case {
    const char* all;
    const char* lang;
    LCID expected;
  } cases[] = {
      {nullptr, nullptr, 0x409},
      {nullptr, "de_DE.UTF-8", 0x407},
      {"fr_FR.UTF-8", "de_DE.UTF-8", 0x40C},  // LC_ALL wins
      {"", "de_DE.UTF-8", 0x407},             // an empty LC_ALL does not count
      {nullptr, "C", 0x409},
      {nullptr, "POSIX", 0x409},
      {nullptr, "C.UTF-8", 0x409},
      {nullptr, "en_GB", 0x809},
      {nullptr, "ja_JP.eucJP", 0x411},
      {nullptr, "zh_CN.GB18030", 0x804},
      {nullptr, "es_ES@euro", 0xC0A},
      {nullptr, "de_LU.UTF-8", 0x407},  // known language, other territory
      {nullptr, "de", 0x407},
      {nullptr, "en_IE.UTF-8", 0x409},
      {nullptr, "pt_PT.UTF-8", 0x416},
      {nullptr, "xx_YY.UTF-8", 0x409},  // unknown language
      {nullptr, "garbage", 0x409},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.all ? c.all : "(unset)") << " / " << (c.lang ? c.lang : "(unset)"));
    setLocaleEnvironment(c.all, c.lang);
    EXPECT_EQ(GetUserDefaultLCID(), c.expected);
    EXPECT_EQ(GetSystemDefaultLCID(), c.expected);
    EXPECT_EQ(GetUserDefaultLangID(), static_cast<LANGID>(c.expected));
  }
}

}  // namespace
