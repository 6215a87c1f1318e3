#include "dcomclient/credentials.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace dcom::client {
namespace {

const char* const kHash = "0123456789abcdef0123456789ABCDEF";

TEST(MachineCredentials, ParsesLinesAndRefusesBadOnes) {
  struct Case {
    std::string text;
    bool valid;
  };
  const Case cases[] = {
      {std::string("# comment\n\nplc7:opcuser:PLANT:") + kHash + "\n", true},
      {std::string("*:opcuser::") + kHash + ":privacy\n", true},
      {std::string("plc7:opcuser:PLANT:") + kHash + ":integrity", true},
      {"plc7:opcuser:PLANT:0123", false},                          // short hash
      {std::string("plc7:opcuser:PLANT:") + kHash + ":loud", false},  // unknown level
      {std::string(":opcuser:PLANT:") + kHash, false},              // no machine
      {std::string("plc7::PLANT:") + kHash, false},                 // no user
      {"plc7:opcuser:PLANT:0123456789abcdef0123456789abcdeg", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string error;
    EXPECT_EQ(MachineCredentials::parse(c.text, &error).has_value(), c.valid);
    EXPECT_EQ(error.empty(), c.valid);
  }
}

TEST(MachineCredentials, FindsTheMachineBeforeTheDefault) {
  auto credentials = MachineCredentials::parse(std::string("*:anyone::") + kHash + ":privacy\nPLC7:opcuser:PLANT:" +
                                               kHash + "\n");
  ASSERT_TRUE(credentials);
  ASSERT_NE(credentials->find("plc7"), nullptr);
  EXPECT_EQ(credentials->find("plc7")->user, "opcuser");
  EXPECT_EQ(credentials->find("plc7")->level, rpc::AuthLevel::PacketIntegrity);
  EXPECT_EQ(credentials->find("192.0.2.9")->user, "anyone");
  EXPECT_EQ(credentials->find("192.0.2.9")->level, rpc::AuthLevel::PacketPrivacy);
  EXPECT_EQ(MachineCredentials().find("plc7"), nullptr);
}

TEST(MachineCredentials, RefusesAFileOthersMayRead) {
  std::string path = ::testing::TempDir() + "dcom-machines-" + std::to_string(::getpid());
  std::ofstream(path) << "plc7:opcuser:PLANT:" << kHash << "\n";
  struct Case {
    mode_t mode;
    bool accepted;
  };
  for (const Case& c : {Case{0600, true}, Case{0640, false}, Case{0604, false}, Case{0400, true}}) {
    ::chmod(path.c_str(), c.mode);
    std::string error;
    auto loaded = MachineCredentials::load(path, &error);
    EXPECT_EQ(loaded.has_value(), c.accepted) << std::oct << c.mode << " " << error;
  }
  ::unlink(path.c_str());
  // No file: no credentials, and no error.
  auto missing = MachineCredentials::load(path);
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->find("plc7"), nullptr);
}

}  // namespace
}  // namespace dcom::client
