// The machine-wide store read beneath the user's: lookups merge, the user
// wins on conflict, writes go to the user's store unless the machine-wide one
// was chosen, and writers to both stores at once lose nothing.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "scratch_registry.h"
#include "win/registry.h"
#include "win/registry_store.h"
#include "win/winerror.h"

namespace {

class TwoStoresTest : public ScratchRegistry {
 protected:
  void SetUp() override {
    ScratchRegistry::SetUp();
    machineStore_ = dir() + "/machine.reg";
    setenv("VELMORA_SYSTEM_REGISTRY", machineStore_.c_str(), 1);
  }
  void TearDown() override {
    win::setRegistryWriteStore(win::RegistryStore::User);
    unsetenv("VELMORA_SYSTEM_REGISTRY");
    ScratchRegistry::TearDown();
  }

  const std::string& machineStore() const { return machineStore_; }
  void writeMachineStore(const std::string& text) const { writeFile(machineStore_, kHeader + text); }

  static std::string defaultValue(const char* key) {
    char value[256];
    LONG size = sizeof value;
    const LONG result = RegQueryValueA(HKEY_CLASSES_ROOT, key, value, &size);
    return result == ERROR_SUCCESS ? std::string(value) : "error " + std::to_string(result);
  }

  static std::string namedValue(const char* key, const char* name) {
    HKEY open = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &open) != ERROR_SUCCESS) return "no key";
    char value[256];
    DWORD size = sizeof value;
    const LONG result = RegQueryValueExA(open, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(value), &size);
    RegCloseKey(open);
    return result == ERROR_SUCCESS ? std::string(value) : "error " + std::to_string(result);
  }

  static std::vector<std::string> subkeys(const char* key) {
    std::vector<std::string> names;
    HKEY open = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &open) != ERROR_SUCCESS) return names;
    char name[256];
    for (DWORD index = 0; RegEnumKeyA(open, index, name, sizeof name) == ERROR_SUCCESS; ++index) {
      names.emplace_back(name);
    }
    RegCloseKey(open);
    return names;
  }

 private:
  std::string machineStore_;
};

TEST_F(TwoStoresTest, LookupsMergeAndTheUserWinsOnConflict) {
  writeMachineStore(
      "[HKEY_CLASSES_ROOT\\Pelkor.DataSample]\n@=\"machine\"\n\"Vendor\"=\"Pelkor\"\n"
      "[HKEY_CLASSES_ROOT\\Pelkor.DataSample\\CLSID]\n@=\"{MACHINE}\"\n"
      "[HKEY_CLASSES_ROOT\\Machine.Only]\n@=\"m\"\n");
  writeStore(std::string(kHeader) +
             "[HKEY_CLASSES_ROOT\\Pelkor.DataSample\\CLSID]\n@=\"{USER}\"\n"
             "[HKEY_CLASSES_ROOT\\User.Only]\n@=\"u\"\n");

  EXPECT_EQ(defaultValue("Pelkor.DataSample\\CLSID"), "{USER}");
  EXPECT_EQ(defaultValue("Pelkor.DataSample"), "machine");
  EXPECT_EQ(namedValue("Pelkor.DataSample", "Vendor"), "Pelkor");
  EXPECT_EQ(subkeys(""), (std::vector<std::string>{"Machine.Only", "Pelkor.DataSample", "User.Only"}));

  win::RegistryKeyOrigin origin;
  ASSERT_EQ(win::registryKeyOrigin("Pelkor.DataSample\\CLSID", origin), ERROR_SUCCESS);
  EXPECT_TRUE(origin.user && origin.system);
  ASSERT_EQ(win::registryKeyOrigin("Machine.Only", origin), ERROR_SUCCESS);
  EXPECT_TRUE(!origin.user && origin.system);
  EXPECT_EQ(win::registryKeyOrigin("Nowhere", origin), ERROR_FILE_NOT_FOUND);
}

TEST_F(TwoStoresTest, WritesGoToTheUserStoreUnlessTheMachineStoreIsChosen) {
  writeMachineStore("[HKEY_CLASSES_ROOT\\Machine.Only]\n@=\"m\"\n");
  const std::string machineBefore = readFile(machineStore());

  // A value set on a key only the machine has is kept in the user's store.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "Machine.Only", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  const char data[] = "override";
  ASSERT_EQ(RegSetValueExA(key, "Extra", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "User.New", REG_SZ, "u", 0), ERROR_SUCCESS);
  EXPECT_EQ(readFile(machineStore()), machineBefore);
  EXPECT_NE(readStore().find("[HKEY_CLASSES_ROOT\\Machine.Only]\n\"Extra\"=\"override\""), std::string::npos);
  EXPECT_EQ(namedValue("Machine.Only", "Extra"), "override");
  EXPECT_EQ(defaultValue("Machine.Only"), "m");

  // The user cannot remove what only the machine store holds; removing a key
  // both hold takes the user's and leaves the machine's in view.
  EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "Machine.Only\\Nothing"), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "Machine.Only"), ERROR_SUCCESS);
  EXPECT_EQ(defaultValue("Machine.Only"), "m");
  EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "Machine.Only"), ERROR_ACCESS_DENIED);

  win::setRegistryWriteStore(win::RegistryStore::System);
  const std::string userBefore = readStore();
  EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "Machine.New", REG_SZ, "m2", 0), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "Machine.Only"), ERROR_SUCCESS);
  EXPECT_EQ(readStore(), userBefore);
  EXPECT_NE(readFile(machineStore()).find("[HKEY_CLASSES_ROOT\\Machine.New]"), std::string::npos);
  EXPECT_EQ(readFile(machineStore()).find("Machine.Only"), std::string::npos);
  // The user's own key is not the machine store's to remove.
  EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "User.New"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(win::registryStorePath(win::RegistryStore::System), machineStore());
}

TEST_F(TwoStoresTest, ADamagedStoreDoesNotStopWritesToTheOther) {
  writeMachineStore("[HKEY_CLASSES_ROOT\\Sound]\n@=\"s\"\n[HKEY_CLASSES_ROOT\\Broken\n");
  EXPECT_EQ(defaultValue("Sound"), "s");
  EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "User.Key", REG_SZ, "u", 0), ERROR_SUCCESS);
  std::vector<win::RegistryProblem> problems;
  ASSERT_EQ(win::checkRegistryStore(problems), ERROR_SUCCESS);
  EXPECT_TRUE(problems.empty());

  win::setRegistryWriteStore(win::RegistryStore::System);
  EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "Machine.Key", REG_SZ, "m", 0), ERROR_REGISTRY_CORRUPT);
  ASSERT_EQ(win::checkRegistryStore(problems), ERROR_SUCCESS);
  EXPECT_EQ(problems.size(), 1u);
}

// Processes registering at once, half of them in each store.
TEST_F(TwoStoresTest, ConcurrentWritersToBothStoresLoseNothing) {
  constexpr int kWriters = 6;
  constexpr int kKeys = 25;
  std::vector<pid_t> children;
  for (int writer = 0; writer < kWriters; ++writer) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (writer % 2 == 1) win::setRegistryWriteStore(win::RegistryStore::System);
      int failures = 0;
      for (int i = 0; i < kKeys; ++i) {
        const std::string key = "W" + std::to_string(writer) + "\\K" + std::to_string(i);
        if (RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, "v", 0) != ERROR_SUCCESS) ++failures;
      }
      _exit(failures == 0 ? 0 : 1);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::string user = readStore();
  const std::string machine = readFile(machineStore());
  for (int writer = 0; writer < kWriters; ++writer) {
    const std::string& expectedIn = writer % 2 == 1 ? machine : user;
    const std::string& notIn = writer % 2 == 1 ? user : machine;
    for (int i = 0; i < kKeys; ++i) {
      const std::string key = "W" + std::to_string(writer) + "\\K" + std::to_string(i);
      SCOPED_TRACE(key);
      EXPECT_EQ(defaultValue(key.c_str()), "v");
      EXPECT_NE(expectedIn.find("[HKEY_CLASSES_ROOT\\" + key + "]"), std::string::npos);
      EXPECT_EQ(notIn.find("[HKEY_CLASSES_ROOT\\" + key + "]"), std::string::npos);
    }
  }
}

}  // namespace
