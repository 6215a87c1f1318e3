// Debian's impacket, a DCE/RPC client nobody here wrote, against the server
// runtime: binds, NTLMv2 at every level, signed and sealed calls with fresh
// keys, and the refusals. The handler answers IObjectExporter's ServerAlive2
// and ResolveOxid2 with the stubs of the captures.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <map>

#include "rpc/pdu.h"
#include "rpc/server.h"
#include "vector_file.h"

namespace rpc {
namespace {

class CapturedExporter : public InterfaceHandler {
public:
  CapturedExporter() {
    auto pdus = testing::readCapture("impacket-objexporter-none.hex");
    for (size_t i : {size_t{3}, size_t{5}}) {
      auto pdu = decodePdu(pdus[i].bytes);
      auto stub = std::get<ResponseBody>(pdu.value->body).stub;
      answers_[i == 3 ? 5 : 4] = std::vector<uint8_t>(stub.begin(), stub.end());
    }
  }
  CallResult call(const CallContext& context, std::span<const uint8_t>) override {
    auto found = answers_.find(context.opnum);
    return found == answers_.end() ? CallResult::fault(kFaultOpRangeError) : CallResult::response(found->second);
  }

private:
  std::map<uint16_t, std::vector<uint8_t>> answers_;
};

bool impacketAvailable() { return std::system("/usr/bin/python3 -c 'import impacket' 2>/dev/null") == 0; }

// Runs the client; its one line of output.
std::string runClient(uint16_t port, const char* level, const char* password) {
  std::string command = std::string("/usr/bin/python3 ") + IMPACKET_CLIENT + " " + std::to_string(port) + " " + level +
                        " opcuser '" + password + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return "cannot run the client";
  std::string output;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
  ::pclose(pipe);
  while (!output.empty() && output.back() == '\n') output.pop_back();
  size_t lastLine = output.rfind('\n');
  return lastLine == std::string::npos ? output : output.substr(lastLine + 1);
}

TEST(Impacket, CallsAtEveryLevelAndIsRefusedWhereItMustBe) {
  if (!impacketAvailable()) GTEST_SKIP() << "python3-impacket is not installed";
  struct Case {
    AuthLevel minimum;
    const char* level;
    const char* password;
    const char* expected;  // start of the client's answer
  };
  const Case cases[] = {
      {AuthLevel::None, "none", "", "OK 127.0.0.1[13500] resolved"},
      {AuthLevel::Connect, "connect", "Secret123!", "OK 127.0.0.1[13500] resolved"},
      {AuthLevel::PacketIntegrity, "integrity", "Secret123!", "OK 127.0.0.1[13500] resolved"},
      {AuthLevel::PacketPrivacy, "privacy", "Secret123!", "OK 127.0.0.1[13500] resolved"},
      {AuthLevel::PacketIntegrity, "integrity", "wrong", "ERROR rpc_s_access_denied"},
      {AuthLevel::PacketIntegrity, "connect", "Secret123!", "ERROR rpc_s_access_denied"},
      {AuthLevel::PacketIntegrity, "none", "", "ERROR rpc_s_access_denied"},
  };
  for (const auto& c : cases) {
    ServerSettings settings;
    settings.minimumLevel = c.minimum;
    Server server(settings);
    server.registerInterface(SyntaxId{*Uuid::parse("99fcfec4-5260-101b-bbcb-00aa0021347a"), 0, 0},
                             std::make_shared<CapturedExporter>());
    server.setCredentials(std::make_shared<ntlm::CredentialStore>(
        std::vector<ntlm::Credential>{{"opcuser", "TESTDOM", ntlm::ntHash("Secret123!")}}));
    auto port = server.listen("127.0.0.1", 0).port;
    ASSERT_TRUE(port);
    server.start();
    std::string answer = runClient(*port, c.level, c.password);
    EXPECT_EQ(answer.rfind(c.expected, 0), 0u) << c.level << " with password " << c.password << ": " << answer;
    server.stop();
  }
}

}  // namespace
}  // namespace rpc
