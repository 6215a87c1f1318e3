// Several writers at once, and a writer killed in the middle of a write:
// the store must lose nothing and never be left half-written.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "scratch_registry.h"
#include "win/registry.h"
#include "win/registry_store.h"
#include "win/winerror.h"

namespace {

using RegistryConcurrencyTest = ScratchRegistry;

constexpr int kKeysPerWriter = 60;

// Writes kKeysPerWriter keys of its own and bumps one shared value each time;
// returns the number of failed calls.
int writeKeys(const std::string& writer) {
  int failures = 0;
  for (int i = 0; i < kKeysPerWriter; ++i) {
    const std::string key = "Writers\\" + writer + "\\Key" + std::to_string(i);
    if (RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, writer.c_str(), 0) != ERROR_SUCCESS) ++failures;
    HKEY shared;
    if (RegCreateKeyA(HKEY_CLASSES_ROOT, "Writers\\Shared", &shared) != ERROR_SUCCESS) {
      ++failures;
      continue;
    }
    const std::string name = writer + "Last";
    const std::string value = std::to_string(i);
    if (RegSetValueExA(shared, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS) {
      ++failures;
    }
    RegCloseKey(shared);
  }
  return failures;
}

void expectEveryKey(const std::vector<std::string>& writers) {
  std::vector<win::RegistryProblem> problems;
  ASSERT_EQ(win::checkRegistryStore(problems), ERROR_SUCCESS);
  EXPECT_TRUE(problems.empty());
  for (const std::string& writer : writers) {
    for (int i = 0; i < kKeysPerWriter; ++i) {
      const std::string key = "Writers\\" + writer + "\\Key" + std::to_string(i);
      char value[32];
      LONG size = sizeof value;
      ASSERT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size), ERROR_SUCCESS) << key;
      EXPECT_EQ(std::string(value), writer);
    }
    HKEY shared;
    ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "Writers\\Shared", &shared), ERROR_SUCCESS);
    char last[16];
    DWORD size = sizeof last;
    EXPECT_EQ(RegQueryValueExA(shared, (writer + "Last").c_str(), nullptr, nullptr,
                               reinterpret_cast<LPBYTE>(last), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(last), std::to_string(kKeysPerWriter - 1));
    RegCloseKey(shared);
  }
}

TEST_F(RegistryConcurrencyTest, ProcessesWritingAtOnceLoseNothing) {
  const std::vector<std::string> writers = {"First", "Second", "Third"};
  std::vector<pid_t> children;
  for (const std::string& writer : writers) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(writeKeys(writer) == 0 ? 0 : 1);
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  expectEveryKey(writers);
}

TEST_F(RegistryConcurrencyTest, ThreadsWritingAtOnceLoseNothing) {
  const std::vector<std::string> writers = {"North", "South", "East"};
  std::vector<int> failures(writers.size());
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < writers.size(); ++i) {
    threads.emplace_back([&, i] { failures[i] = writeKeys(writers[i]); });
  }
  for (std::thread& thread : threads) thread.join();
  for (int failed : failures) EXPECT_EQ(failed, 0);
  expectEveryKey(writers);
}

TEST_F(RegistryConcurrencyTest, AWriterKilledMidWriteLeavesAnIntactStore) {
  // A store large enough that a rewrite takes a while.
  std::string text = kHeader;
  constexpr int kKeys = 3000;
  for (int i = 0; i < kKeys; ++i) {
    text += "[HKEY_CLASSES_ROOT\\Bulk\\Key" + std::to_string(i) + "]\n@=\"" + std::string(60, 'v') + "\"\n\n";
  }
  text += "[HKEY_CLASSES_ROOT\\Bulk\\Generation]\n@=\"start\"\n";
  ASSERT_EQ(win::importRegistryText(text), ERROR_SUCCESS);

  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE(round);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i) {
        RegSetValueA(HKEY_CLASSES_ROOT, "Bulk\\Generation", REG_SZ, std::to_string(i).c_str(), 0);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + 17 * round));
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);

    // The old or the new version, whole: every bulk key is there.
    std::vector<win::RegistryProblem> problems;
    ASSERT_EQ(win::checkRegistryStore(problems), ERROR_SUCCESS);
    EXPECT_TRUE(problems.empty());
    HKEY bulk;
    ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "Bulk", &bulk), ERROR_SUCCESS);
    char name[32];
    EXPECT_EQ(RegEnumKeyA(bulk, kKeys, name, sizeof name), ERROR_SUCCESS);  // "Key..." plus "Generation"
    EXPECT_EQ(RegEnumKeyA(bulk, kKeys + 1, name, sizeof name), ERROR_NO_MORE_ITEMS);
    RegCloseKey(bulk);
  }
  // The next write clears away what the killed writers left behind.
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "Bulk\\Generation", REG_SZ, "final", 0), ERROR_SUCCESS);
  int leftovers = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir())) {
    if (entry.path().filename().string().find(".tmp.") != std::string::npos) ++leftovers;
  }
  EXPECT_EQ(leftovers, 0);
}

}  // namespace
