#include "win/computer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "machine/computer_name_rule.h"
#include "win/lasterror.h"
#include "win/winerror.h"

namespace {

TEST(ComputerNameRule, TakesTheFirstLabelInUpperCaseCutTo15) {
  struct Case {
    std::string host;
    std::string name;
  } cases[] = {
      {"workstation", "WORKSTATION"},
      {"build-07.lab.example.org", "BUILD-07"},
      {"Mixed.Case", "MIXED"},
      {"a-very-long-host-name-indeed", "A-VERY-LONG-HOS"},
      {"exactly15chars.x", "EXACTLY15CHARS"},
      {"fifteen-chars-x", "FIFTEEN-CHARS-X"},
      {"", "LOCALHOST"},
      {".leadingdot", "LOCALHOST"},
      {"r\xC3\xA9seau-de-machines", "R\xC3\xA9SEAU-DE-MACH"},  // 15 bytes
      {"abcdefghijklmn\xC3\xA9", "ABCDEFGHIJKLMN"},  // never cut inside a character
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host);
    EXPECT_EQ(win::computerNameFromHostName(c.host), c.name);
  }
}

std::string expectedName() {
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  return win::computerNameFromHostName(host);
}

TEST(GetComputerName, ASixteenCharacterBufferAlwaysFits) {
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof name;
  ASSERT_TRUE(GetComputerNameA(name, &size));
  EXPECT_EQ(std::string(name), expectedName());
  EXPECT_EQ(size, expectedName().size());

  WCHAR wide[MAX_COMPUTERNAME_LENGTH + 1];
  size = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(wide, &size));
  EXPECT_EQ(size, std::u16string(wide).size());
}

TEST(GetComputerName, FailsOnlyWhenTheBufferIsSmaller) {
  const DWORD needed = static_cast<DWORD>(expectedName().size() + 1);
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = needed;
  EXPECT_TRUE(GetComputerNameA(name, &size));
  size = needed - 1;
  EXPECT_FALSE(GetComputerNameA(name, &size));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
  EXPECT_EQ(size, needed);
  size = 0;
  EXPECT_FALSE(GetComputerNameA(nullptr, &size));
  EXPECT_EQ(size, needed);
  EXPECT_FALSE(GetComputerNameA(name, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
