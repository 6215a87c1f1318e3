#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "com/server.h"
#include "scratch_registry.h"
#include "test_server/test_server_ids.h"
#include "win/registry.h"

namespace {

constexpr const char* kClassKey = "CLSID\\{5C0FFEE0-1D2C-4E3B-8A49-716573740001}";
constexpr const char* kClassText = "{5C0FFEE0-1D2C-4E3B-8A49-716573740001}";

// The default value of a key, or "<missing>".
std::string valueOf(const std::string& key) {
  char value[PATH_MAX + 1];
  LONG size = sizeof value;
  if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS) return "<missing>";
  return value;
}

std::string namedValue(const std::string& key, const char* name) {
  HKEY handle = nullptr;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, key.c_str(), &handle) != ERROR_SUCCESS) return "<missing>";
  char value[256];
  DWORD size = sizeof value;
  DWORD type = 0;
  const LONG result = RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(handle);
  return result == ERROR_SUCCESS ? value : "<missing>";
}

bool keyExists(const std::string& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, key.c_str(), &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

class Registration : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(registry_.ready()); }
  ScratchRegistry registry_;
};

TEST_F(Registration, RegsvrWritesTheServersEntries) {
  ASSERT_EQ(runRegsvr({COM_TEST_SERVER_PATH}), 0);
  char library[PATH_MAX];
  ASSERT_NE(realpath(COM_TEST_SERVER_PATH, library), nullptr);
  const std::string classKey = kClassKey;

  struct Expected {
    std::string key;
    std::string value;
  };
  const Expected entries[] = {
      {classKey, "Velmora Test Widget"},
      {classKey + "\\InprocServer32", library},
      {classKey + "\\ProgID", "Velmora.TestWidget.1"},
      {classKey + "\\VersionIndependentProgID", "Velmora.TestWidget"},
      {classKey + "\\Implemented Categories\\{5C0FFEE0-1D2C-4E3B-8A49-7165737400CA}", ""},
      {"Velmora.TestWidget.1", "Velmora Test Widget"},
      {"Velmora.TestWidget.1\\CLSID", kClassText},
      {"Velmora.TestWidget", "Velmora Test Widget"},
      {"Velmora.TestWidget\\CLSID", kClassText},
      {"Velmora.TestWidget\\CurVer", "Velmora.TestWidget.1"},
  };
  for (const auto& entry : entries) EXPECT_EQ(valueOf(entry.key), entry.value) << entry.key;
  EXPECT_EQ(namedValue(classKey + "\\InprocServer32", "ThreadingModel"), "Both");
  EXPECT_EQ(namedValue(kTestWidgetExtraKey, "Colour"), "blue");

  ASSERT_EQ(runRegsvr({"-u", COM_TEST_SERVER_PATH}), 0);
  for (const auto& entry : entries) EXPECT_FALSE(keyExists(entry.key)) << entry.key;
  EXPECT_FALSE(keyExists(kTestWidgetExtraKey));
  ASSERT_EQ(runRegsvr({"-u", COM_TEST_SERVER_PATH}), 0) << "unregistering twice is no error";
}

TEST_F(Registration, ReRegisteringReplacesAndUnregisteringSparesOthers) {
  const std::string classKey = kClassKey;
  ASSERT_EQ(
      RegSetValueA(HKEY_CLASSES_ROOT,
                   (classKey + "\\Implemented Categories\\{00000000-0000-0000-0000-000000000001}").c_str(),
                   REG_SZ, "", 0),
      ERROR_SUCCESS);
  ASSERT_EQ(runRegsvr({COM_TEST_SERVER_PATH}), 0);
  EXPECT_FALSE(keyExists(classKey + "\\Implemented Categories\\{00000000-0000-0000-0000-000000000001}"))
      << "an earlier registration's leftovers are gone";

  // Another server took over the versioned ProgID since.
  const char* otherClass = "{0BADC0DE-0000-4000-8000-000000000020}";
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "Velmora.TestWidget.1\\CLSID", REG_SZ, otherClass, 0),
            ERROR_SUCCESS);
  ASSERT_EQ(runRegsvr({"-u", COM_TEST_SERVER_PATH}), 0);
  EXPECT_EQ(valueOf("Velmora.TestWidget.1\\CLSID"), otherClass);
  EXPECT_FALSE(keyExists("Velmora.TestWidget"));
  EXPECT_FALSE(keyExists(classKey));
}

TEST_F(Registration, RegsvrReportsWhatItCannotDo) {
  struct Case {
    const char* what;
    std::vector<std::string> arguments;
    int status;
  };
  const Case cases[] = {
      {"no library", {}, 2},
      {"only -u", {"-u"}, 2},
      {"unknown option", {"-x", COM_TEST_SERVER_PATH}, 2},
      {"missing file", {"/nonexistent/libnothing.so"}, 1},
      {"not a shared library", {REGSVR_PATH}, 1},
      {"one of two fails", {COM_TEST_SERVER_PATH, "/nonexistent/libnothing.so"}, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(runRegsvr(c.arguments), c.status) << c.what;
  EXPECT_EQ(valueOf(std::string(kClassKey) + "\\ProgID"), "Velmora.TestWidget.1")
      << "the library that could be registered was";
}

}  // namespace

namespace {

void inThisProgram() {}

TEST_F(Registration, SurrogateClassesNameAnAppIdThatAllowsASurrogate) {
  com::ServerClass entry;
  entry.clsid = {0x5C0FFEE0, 0x1D2C, 0x4E3B, {0x8A, 0x49, 0x71, 0x65, 0x73, 0x74, 0x00, 0x5A}};
  entry.description = "Remote widget";
  entry.surrogate = true;
  const std::string text = "{5C0FFEE0-1D2C-4E3B-8A49-71657374005A}";
  ASSERT_EQ(com::registerServerClasses({entry}, reinterpret_cast<const void*>(&inThisProgram)), S_OK);
  EXPECT_EQ(namedValue("CLSID\\" + text, "AppID"), text);
  EXPECT_EQ(namedValue("AppID\\" + text, "DllSurrogate"), "");
  ASSERT_EQ(com::unregisterServerClasses({entry}), S_OK);
  EXPECT_FALSE(keyExists("AppID\\" + text));
}

}  // namespace
