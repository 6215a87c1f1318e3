#pragma once

// A registry store of its own for each test: a scratch folder, with
// VELMORA_REGISTRY pointing at a file in it for the test's duration.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class ScratchRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velmora-registry-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    store_ = dir_ + "/registry.reg";
    setenv("VELMORA_REGISTRY", store_.c_str(), 1);
  }

  void TearDown() override {
    unsetenv("VELMORA_REGISTRY");
    std::filesystem::remove_all(dir_);
  }

  const std::string& dir() const { return dir_; }
  const std::string& storePath() const { return store_; }

  void writeStore(const std::string& text) const { writeFile(store_, text); }
  std::string readStore() const { return readFile(store_); }

  static void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
  }

  static std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  ino_t storeInode() const {
    struct stat info {};
    stat(store_.c_str(), &info);
    return info.st_ino;
  }

 private:
  std::string dir_;
  std::string store_;
};

inline constexpr const char* kHeader = "Windows Registry Editor Version 5.00\n\n";
