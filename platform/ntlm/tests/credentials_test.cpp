#include "ntlm/credentials.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

namespace ntlm {
namespace {

class CredentialsFile : public ::testing::Test {
protected:
  void SetUp() override {
    char name[] = "/tmp/ntlm-credentials-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    dir_ = name;
    path_ = dir_ + "/users";
  }
  void TearDown() override {
    std::remove(path_.c_str());
    std::remove((path_ + ".tmp").c_str());
    ::rmdir(dir_.c_str());
  }
  void write(const std::string& text, mode_t mode) {
    std::ofstream(path_) << text;
    ::chmod(path_.c_str(), mode);
  }
  int tool(const std::string& arguments, const std::string& input = "") {
    std::string command = "printf '%s' '" + input + "' | " NTLMUSER_PATH " " + path_ + " " + arguments + " 2>/dev/null";
    return WEXITSTATUS(std::system(command.c_str()));
  }

  std::string dir_;
  std::string path_;
};

TEST_F(CredentialsFile, RefusesAFileOthersMayRead) {
  const std::string text = "opcuser:TESTDOM:" + std::string(32, 'a') + "\n";
  struct Case {
    mode_t mode;
    bool accepted;
  };
  for (auto c : {Case{0600, true}, Case{0400, true}, Case{0640, false}, Case{0604, false}, Case{0620, false}}) {
    write(text, c.mode);
    auto loaded = CredentialStore::load(path_);
    EXPECT_EQ(loaded.store.has_value(), c.accepted) << std::oct << c.mode << ": " << loaded.error;
  }
}

TEST_F(CredentialsFile, ParsesAccountsAndNamesTheBadLine) {
  std::string error;
  auto store = CredentialStore::parse("# comment\n\nopcuser:TESTDOM:" + std::string(32, 'A') + "\n  any::" +
                                      std::string(32, '0') + "\r\n", &error);
  ASSERT_TRUE(store) << error;
  EXPECT_NE(store->find(u"OPCUSER", u"testdom"), nullptr);
  EXPECT_EQ(store->find(u"opcuser", u"OTHER"), nullptr);
  EXPECT_NE(store->find(u"any", u"OTHER"), nullptr);

  for (const char* bad : {"user:domain:abc\n", "user:" "\n", ":domain:00000000000000000000000000000000\n",
                          "user:domain:0000000000000000000000000000000g\n"}) {
    EXPECT_FALSE(CredentialStore::parse(std::string("ok::") + std::string(32, '1') + "\n" + bad, &error)) << bad;
    EXPECT_EQ(error.rfind("line 2", 0), 0u) << error;
  }
}

TEST_F(CredentialsFile, ToolAddsReplacesAndRemovesUsers) {
  ASSERT_EQ(tool("add opcuser TESTDOM", "Secret123!\n"), 0);
  ASSERT_EQ(tool("add other", "pw\n"), 0);
  ASSERT_EQ(tool("add OPCUSER testdom", "changed\n"), 0);
  struct stat info {};
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  auto loaded = CredentialStore::load(path_);
  ASSERT_TRUE(loaded.store) << loaded.error;
  ASSERT_EQ(loaded.store->credentials().size(), 2u);
  EXPECT_EQ(loaded.store->find(u"opcuser", u"TESTDOM")->ntHash, ntHash("changed"));
  EXPECT_EQ(loaded.store->find(u"other", u"ANY")->ntHash, ntHash("pw"));

  EXPECT_EQ(tool("remove opcuser TESTDOM"), 0);
  EXPECT_NE(tool("remove opcuser TESTDOM"), 0);
  EXPECT_NE(tool("add nopassword", ""), 0);
  ::chmod(path_.c_str(), 0644);
  EXPECT_NE(tool("add third", "pw\n"), 0);
  ::chmod(path_.c_str(), 0600);
  loaded = CredentialStore::load(path_);
  ASSERT_TRUE(loaded.store);
  EXPECT_EQ(loaded.store->credentials().size(), 1u);
}

}  // namespace
}  // namespace ntlm
