#include "options.h"

#include <gtest/gtest.h>

namespace dcomhost {
namespace {

const char* noEnvironment(const char*) { return nullptr; }
const char* homeOnly(const char* name) { return std::string(name) == "HOME" ? "/home/op" : nullptr; }

TEST(Options, ReadsTheCommandLine) {
  std::string error;
  auto options = parseOptions({"--listen", "192.0.2.1", "--listen", "127.0.0.1", "--port", "1135", "--exporter-port",
                               "0", "--credentials", "/etc/users", "--minimum-level", "privacy", "--allow-ntlmv1",
                               "--max-connections", "5", "--max-call-size", "65536", "--ping-period", "30",
                               "--missed-pings", "2", "--advertise", "198.51.100.7"},
                              &error, noEnvironment);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->addresses, (std::vector<std::string>{"192.0.2.1", "127.0.0.1"}));
  EXPECT_EQ(options->port, 1135);
  EXPECT_EQ(options->credentialsFile, "/etc/users");
  EXPECT_EQ(options->server.minimumLevel, rpc::AuthLevel::PacketPrivacy);
  EXPECT_TRUE(options->server.allowNtlmV1);
  EXPECT_FALSE(options->server.requireMic);
  EXPECT_EQ(options->server.maxConnections, 5u);
  EXPECT_EQ(options->server.maxReassembledSize, 65536u);
  EXPECT_EQ(options->pingPeriodSeconds, 30u);
  EXPECT_EQ(options->missedPings, 2u);
  EXPECT_EQ(options->extraAddresses, (std::vector<std::string>{"198.51.100.7"}));
}

TEST(Options, DefaultsAreSafe) {
  std::string error;
  auto options = parseOptions({}, &error, homeOnly);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->addresses, (std::vector<std::string>{"127.0.0.1"}));
  EXPECT_EQ(options->port, 135);
  EXPECT_EQ(options->server.minimumLevel, rpc::AuthLevel::PacketIntegrity);
  EXPECT_FALSE(options->server.allowNtlmV1);
  EXPECT_EQ(options->credentialsFile, "/home/op/.config/Velmora/dcom-users");
}

TEST(Options, NamesWhatIsWrong) {
  struct Case {
    std::vector<std::string> arguments;
    const char* error;
  };
  const Case cases[] = {
      {{"--port"}, "--port needs a value"},
      {{"--port", "0"}, "bad value for --port: 0"},
      {{"--port", "70000"}, "bad value for --port: 70000"},
      {{"--minimum-level", "call"}, "bad value for --minimum-level: call"},
      {{"--max-connections", "12x"}, "bad value for --max-connections: 12x"},
      {{"--frobnicate", "1"}, "unknown option --frobnicate"},
      {{"--credentials", "/x", "stray"}, "unknown argument stray"},
      {{}, "no --credentials given and neither XDG_CONFIG_HOME nor HOME is set"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(parseOptions(c.arguments, &error, noEnvironment));
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
}  // namespace dcomhost
