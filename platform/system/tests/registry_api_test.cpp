#include "win/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scratch_registry.h"
#include "win/registry_store.h"
#include "win/winerror.h"

namespace {

class RegistryApiTest : public ScratchRegistry {
 protected:
  void SetUp() override {
    ScratchRegistry::SetUp();
    writeStore(std::string(kHeader) +
               "[HKEY_CLASSES_ROOT\\Pelkor.DataSample]\n"
               "@=\"Pelkor Data Sample\"\n"
               "[HKEY_CLASSES_ROOT\\Pelkor.DataSample\\CurVer]\n"
               "@=\"Pelkor.DataSample.1\"\n"
               "[HKEY_CLASSES_ROOT\\Pelkor.DataSample\\OPC]\n"
               "[HKEY_CLASSES_ROOT\\CLSID\\{A1}\\InprocServer32]\n"
               "@=\"/opt/lib/server.so\"\n"
               "\"ThreadingModel\"=\"Both\"\n");
  }

  // The default value of path, or "error N".
  static std::string defaultOf(HKEY key, const char* path) {
    char buffer[256];
    LONG size = sizeof buffer;
    const LONG result = RegQueryValueA(key, path, buffer, &size);
    return result == ERROR_SUCCESS ? std::string(buffer) : "error " + std::to_string(result);
  }

  static std::vector<std::string> subkeysOf(HKEY key) {
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) names.push_back(name);
    return names;
  }
};

TEST_F(RegistryApiTest, ReadsDefaultValuesByPath) {
  struct Case {
    const char* path;
    std::string expected;
  } cases[] = {
      {"Pelkor.DataSample", "Pelkor Data Sample"},
      {"Pelkor.DataSample\\CurVer", "Pelkor.DataSample.1"},
      {"pelkor.datasample\\curver", "Pelkor.DataSample.1"},   // names ignore case
      {"Pelkor.DataSample\\OPC", ""},                         // no default value reads as ""
      {"Pelkor.DataSample\\CurVer\\", "Pelkor.DataSample.1"}, // a trailing backslash is accepted
      {"CLSID\\{a1}\\InprocServer32", "/opt/lib/server.so"},
      {"Pelkor.DataSample\\Missing", "error " + std::to_string(ERROR_FILE_NOT_FOUND)},
      {"\\Pelkor.DataSample", "error " + std::to_string(ERROR_BAD_PATHNAME)},
      {"CLSID\\\\{A1}", "error " + std::to_string(ERROR_BAD_PATHNAME)},
      {"", "error " + std::to_string(ERROR_FILE_NOT_FOUND)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    if (std::string(c.path).empty()) {
      // The root has no default value: reads as "".
      EXPECT_EQ(defaultOf(HKEY_CLASSES_ROOT, c.path), "");
      continue;
    }
    EXPECT_EQ(defaultOf(HKEY_CLASSES_ROOT, c.path), c.expected);
  }
}

TEST_F(RegistryApiTest, QueryReportsSizesAsThePlatformDoes) {
  LONG size = 0;
  EXPECT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, "Pelkor.DataSample\\CurVer", nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 20);  // "Pelkor.DataSample.1" and its terminator
  char small[5] = "xxxx";
  size = sizeof small;
  EXPECT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, "Pelkor.DataSample\\CurVer", small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 20);
  char exact[20];
  size = sizeof exact;
  EXPECT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, "Pelkor.DataSample\\CurVer", exact, &size), ERROR_SUCCESS);
  EXPECT_STREQ(exact, "Pelkor.DataSample.1");

  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{A1}\\InprocServer32", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = REG_NONE;
  DWORD bytes = 0;
  EXPECT_EQ(RegQueryValueExA(key, "threadingmodel", nullptr, &type, nullptr, &bytes), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bytes, 5u);
  char data[3];
  bytes = sizeof data;
  EXPECT_EQ(RegQueryValueExA(key, "ThreadingModel", nullptr, nullptr, reinterpret_cast<LPBYTE>(data), &bytes),
            ERROR_MORE_DATA);
  EXPECT_EQ(bytes, 5u);
  EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, nullptr, nullptr, &bytes), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &bytes), ERROR_SUCCESS);
  EXPECT_EQ(bytes, 19u);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

  HKEY opc;
  ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "Pelkor.DataSample\\OPC", &opc), ERROR_SUCCESS);
  // A key without a default value: RegQueryValueEx reports the value missing.
  EXPECT_EQ(RegQueryValueExA(opc, "", nullptr, nullptr, nullptr, &bytes), ERROR_FILE_NOT_FOUND);
  RegCloseKey(opc);
}

TEST_F(RegistryApiTest, EnumeratesSubkeysInCaseInsensitiveOrderKeepingTheirCase) {
  for (const char* name : {"beta", "Alpha", "gamma", "ALPHA2", "Delta"}) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, (std::string("Order\\") + name).c_str(), &key), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  HKEY again;  // a different spelling opens the same key, adding nothing
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "ORDER\\BETA", &again), ERROR_SUCCESS);
  RegCloseKey(again);

  HKEY order;
  ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "order", &order), ERROR_SUCCESS);
  EXPECT_EQ(subkeysOf(order), (std::vector<std::string>{"Alpha", "ALPHA2", "beta", "Delta", "gamma"}));
  char name[256];
  EXPECT_EQ(RegEnumKeyA(order, 5, name, sizeof name), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegEnumKeyA(order, 1, name, 6), ERROR_MORE_DATA);  // "ALPHA2" needs 7 bytes
  EXPECT_EQ(RegEnumKeyA(order, 1, name, 7), ERROR_SUCCESS);
  DWORD size = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(order, 4, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(size, 5u);
  EXPECT_STREQ(name, "gamma");
  RegCloseKey(order);

  EXPECT_EQ(subkeysOf(HKEY_CLASSES_ROOT), (std::vector<std::string>{"CLSID", "Order", "Pelkor.DataSample"}));
}

TEST_F(RegistryApiTest, WritesCreateAndDeleteKeysAndValues) {
  EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "New\\Deep\\Key", REG_SZ, "text", 0), ERROR_SUCCESS);
  EXPECT_EQ(defaultOf(HKEY_CLASSES_ROOT, "new\\deep\\key"), "text");

  HKEY key;
  ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "New\\Deep", &key), ERROR_SUCCESS);
  const char value[] = "Both";
  EXPECT_EQ(RegSetValueExA(key, "ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, "Number", 0, 4 /* REG_DWORD */, reinterpret_cast<const BYTE*>(value), 4),
            ERROR_NOT_SUPPORTED);
  EXPECT_EQ(RegSetValueExA(key, "Bad\nName", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value),
            ERROR_INVALID_PARAMETER);
  char data[16];
  DWORD size = sizeof data;
  EXPECT_EQ(RegQueryValueExA(key, "THREADINGMODEL", nullptr, nullptr, reinterpret_cast<LPBYTE>(data), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(data, "Both");

  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "New\\Deep"), ERROR_ACCESS_DENIED);  // has a subkey
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "New\\Deep\\Key"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "New\\Deep\\Key"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "threadingModel"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "ThreadingModel"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "NEW"), ERROR_SUCCESS);

  // The open handle's key is gone now.
  EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(RegSetValueA(key, nullptr, REG_SZ, "x", 0), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(defaultOf(HKEY_CLASSES_ROOT, "New"), "error " + std::to_string(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryApiTest, DeleteTreeWithoutSubkeyEmptiesTheKey) {
  HKEY key;
  ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "Pelkor.DataSample", &key), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteTreeA(key, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(subkeysOf(key), std::vector<std::string>{});
  EXPECT_EQ(defaultOf(key, nullptr), "");
  RegCloseKey(key);
  EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, nullptr), ERROR_ACCESS_DENIED);
  EXPECT_EQ(subkeysOf(HKEY_CLASSES_ROOT).size(), 2u);
}

TEST_F(RegistryApiTest, ValuesKeepTheirCaseAndOrder) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "Values", &key), ERROR_SUCCESS);
  for (const char* name : {"Zeta", "alpha", "", "Mid"}) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(name), 0), ERROR_SUCCESS);
  }
  const char updated[] = "new";
  ASSERT_EQ(RegSetValueExA(key, "ALPHA", 0, REG_SZ, reinterpret_cast<const BYTE*>(updated), 3), ERROR_SUCCESS);
  std::vector<std::string> seen;
  for (DWORD i = 0;; ++i) {
    char name[32];
    char data[32];
    DWORD nameSize = sizeof name;
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    const LONG result = RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<LPBYTE>(data),
                                      &dataSize);
    if (result == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(result, ERROR_SUCCESS);
    EXPECT_EQ(nameSize, std::string(name).size());
    seen.push_back(std::string(name) + "=" + data);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"Zeta=", "alpha=new", "=", "Mid="}));
  RegCloseKey(key);
}

TEST_F(RegistryApiTest, RejectsHandlesThatAreNotOpen) {
  HKEY closed;
  ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "Pelkor.DataSample", &closed), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
  const HKEY bad[] = {nullptr, closed, reinterpret_cast<HKEY>(0x1234),
                      reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002u)),  // another predefined key
                      reinterpret_cast<HKEY>(~static_cast<ULONG_PTR>(0))};
  for (HKEY key : bad) {
    SCOPED_TRACE(reinterpret_cast<ULONG_PTR>(key));
    HKEY out = reinterpret_cast<HKEY>(1);
    char buffer[64];
    LONG size = sizeof buffer;
    DWORD dataSize = sizeof buffer;
    EXPECT_EQ(RegOpenKeyA(key, "x", &out), ERROR_INVALID_HANDLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(RegCreateKeyA(key, "x", &out), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegEnumKeyA(key, 0, buffer, sizeof buffer), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueA(key, nullptr, buffer, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &dataSize), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueA(key, nullptr, REG_SZ, "x", 0), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteKeyA(key, "x"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteTreeA(key, "x"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  }
  EXPECT_EQ(RegCloseKey(HKEY_CLASSES_ROOT), ERROR_SUCCESS);
}

TEST_F(RegistryApiTest, EnforcesTheRightsAKeyWasOpenedWith) {
  struct Case {
    REGSAM rights;
    LONG query, set, enumerate, createSubkey;
  } cases[] = {
      {KEY_READ, ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_SUCCESS, ERROR_ACCESS_DENIED},
      {KEY_WRITE, ERROR_ACCESS_DENIED, ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_SUCCESS},
      {KEY_QUERY_VALUE, ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
      {GENERIC_READ | GENERIC_WRITE, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_SUCCESS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rights);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "Pelkor.DataSample", 0, c.rights, &key), ERROR_SUCCESS);
    char buffer[64];
    LONG size = sizeof buffer;
    EXPECT_EQ(RegQueryValueA(key, nullptr, buffer, &size), c.query);
    EXPECT_EQ(RegSetValueA(key, nullptr, REG_SZ, "Pelkor Data Sample", 0), c.set);
    EXPECT_EQ(RegEnumKeyA(key, 0, buffer, sizeof buffer), c.enumerate);
    HKEY created = nullptr;
    EXPECT_EQ(RegCreateKeyA(key, "Made", &created), c.createSubkey);
    if (created) RegCloseKey(created);
    RegDeleteKeyA(key, "Made");
    // Naming a subkey needs no right on the key the path starts from.
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueA(key, "CurVer", buffer, &size), ERROR_SUCCESS);
    RegCloseKey(key);
  }
}

TEST_F(RegistryApiTest, RejectsBadNames) {
  HKEY key;
  const std::string longName(256, 'k');
  EXPECT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, longName.c_str(), &key), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "tab\tname", &key), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "a\\\\b", &key), ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "ok", nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "x", REG_SZ, nullptr, 0), ERROR_INVALID_PARAMETER);
  std::string deep;
  for (int i = 0; i < 600; ++i) deep += "d\\";
  EXPECT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, deep.c_str(), &key), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryApiTest, WritesThatChangeNothingLeaveTheFileAlone) {
  const ino_t before = storeInode();
  HKEY key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "Pelkor.DataSample\\CurVer", &key), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueA(key, nullptr, REG_SZ, "Pelkor.DataSample.1", 0), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(storeInode(), before);
  EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "Pelkor.DataSample\\CurVer", REG_SZ, "Pelkor.DataSample.2", 0),
            ERROR_SUCCESS);
  EXPECT_NE(storeInode(), before);
}

TEST_F(RegistryApiTest, SeesChangesMadeByOthersToTheFile) {
  EXPECT_EQ(defaultOf(HKEY_CLASSES_ROOT, "Pelkor.DataSample"), "Pelkor Data Sample");
  // Replaced the way an editor saves...
  const std::string replacement = dir() + "/replacement";
  writeFile(replacement, std::string(kHeader) + "[HKEY_CLASSES_ROOT\\Pelkor.DataSample]\n@=\"Edited\"\n");
  ASSERT_EQ(rename(replacement.c_str(), storePath().c_str()), 0);
  EXPECT_EQ(defaultOf(HKEY_CLASSES_ROOT, "Pelkor.DataSample"), "Edited");
  // ...or rewritten in place.
  writeStore(std::string(kHeader) + "[HKEY_CLASSES_ROOT\\Pelkor.DataSample]\n@=\"Edited again\"\n");
  EXPECT_EQ(defaultOf(HKEY_CLASSES_ROOT, "Pelkor.DataSample"), "Edited again");
  // ...or removed.
  ASSERT_EQ(unlink(storePath().c_str()), 0);
  EXPECT_EQ(defaultOf(HKEY_CLASSES_ROOT, "Pelkor.DataSample"), "error " + std::to_string(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryApiTest, FollowsTheStorePathToAnotherFile) {
  const std::string other = dir() + "/other.reg";
  writeFile(other, std::string(kHeader) + "[HKEY_CLASSES_ROOT\\Other]\n@=\"elsewhere\"\n");
  setenv("VELMORA_REGISTRY", other.c_str(), 1);
  EXPECT_EQ(defaultOf(HKEY_CLASSES_ROOT, "Other"), "elsewhere");
  EXPECT_EQ(defaultOf(HKEY_CLASSES_ROOT, "Pelkor.DataSample"), "error " + std::to_string(ERROR_FILE_NOT_FOUND));
  setenv("VELMORA_REGISTRY", storePath().c_str(), 1);
  EXPECT_EQ(defaultOf(HKEY_CLASSES_ROOT, "Pelkor.DataSample"), "Pelkor Data Sample");
}

TEST_F(RegistryApiTest, StorePathFollowsTheEnvironment) {
  struct Case {
    const char* registry;
    const char* configHome;
    const char* home;
    std::string expected;
  } cases[] = {
      {"/srv/velmora.reg", "/cfg", "/home/u", "/srv/velmora.reg"},
      {"", "/cfg", "/home/u", "/cfg/Velmora/registry.reg"},
      {nullptr, "/cfg", "/home/u", "/cfg/Velmora/registry.reg"},
      {nullptr, nullptr, "/home/u", "/home/u/.config/Velmora/registry.reg"},
      {nullptr, "relative/cfg", "/home/u", "/home/u/.config/Velmora/registry.reg"},
  };
  const std::string savedHome = getenv("HOME") ? getenv("HOME") : "";
  const char* savedConfig = getenv("XDG_CONFIG_HOME");
  const std::string savedConfigText = savedConfig ? savedConfig : "";
  auto set = [](const char* name, const char* value) {
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  };
  for (const Case& c : cases) {
    set("VELMORA_REGISTRY", c.registry);
    set("XDG_CONFIG_HOME", c.configHome);
    set("HOME", c.home);
    EXPECT_EQ(win::registryStorePath(), c.expected);
  }
  set("HOME", savedHome.c_str());
  set("XDG_CONFIG_HOME", savedConfig ? savedConfigText.c_str() : nullptr);
}

TEST_F(RegistryApiTest, AStoreThatIsALinkStaysALink) {
  const std::string target = dir() + "/kept-elsewhere.reg";
  ASSERT_EQ(rename(storePath().c_str(), target.c_str()), 0);
  ASSERT_EQ(symlink(target.c_str(), storePath().c_str()), 0);
  EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "Pelkor.DataSample", REG_SZ, "Through the link", 0), ERROR_SUCCESS);
  EXPECT_TRUE(std::filesystem::is_symlink(storePath()));
  EXPECT_NE(readFile(target).find("Through the link"), std::string::npos);
  EXPECT_EQ(defaultOf(HKEY_CLASSES_ROOT, "Pelkor.DataSample"), "Through the link");
}

TEST_F(RegistryApiTest, CreatesTheStoreAndItsFolderOnFirstWrite) {
  const std::string nested = dir() + "/a/b/registry.reg";
  setenv("VELMORA_REGISTRY", nested.c_str(), 1);
  EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "First", REG_SZ, "1", 0), ERROR_SUCCESS);
  EXPECT_EQ(readFile(nested), std::string(kHeader) + "[HKEY_CLASSES_ROOT\\First]\n@=\"1\"\n\n");
}

}  // namespace
