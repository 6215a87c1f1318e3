#include "rpc/client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ntlm/credentials.h"
#include "rpc/server.h"

namespace rpc {
namespace {

using namespace std::chrono_literals;

const SyntaxId kEcho{*Uuid::parse("99fcfec4-5260-101b-bbcb-00aa0021347a"), 0, 0};
const SyntaxId kOther{*Uuid::parse("4d9f4ab8-7d1c-11cf-861e-0020af6e7c57"), 0, 0};
const SyntaxId kMissing{*Uuid::parse("00000143-0000-0000-c000-000000000046"), 0, 0};

// Echoes the stub with the opnum in front; opnum 7 answers with a fault,
// opnum 9 sleeps longer than any client here waits.
class EchoHandler : public InterfaceHandler {
public:
  CallResult call(const CallContext& context, std::span<const uint8_t> stub) override {
    if (context.opnum == 7) return CallResult::fault(0x80004005);
    if (context.opnum == 9) std::this_thread::sleep_for(1500ms);
    std::vector<uint8_t> answer{static_cast<uint8_t>(context.opnum)};
    answer.insert(answer.end(), stub.begin(), stub.end());
    return CallResult::response(std::move(answer));
  }
};

struct Running {
  Server server;
  uint16_t port = 0;
  explicit Running(AuthLevel minimum = AuthLevel::PacketIntegrity) : server(settingsFor(minimum)) {
    auto handler = std::make_shared<EchoHandler>();
    server.registerInterface(kEcho, handler);
    server.registerInterface(kOther, handler);
    server.setCredentials(std::make_shared<ntlm::CredentialStore>(
        std::vector<ntlm::Credential>{{"opcuser", "", ntlm::ntHash("Secret123!")}}));
    port = server.listen("127.0.0.1", 0).port.value_or(0);
    server.start();
  }
  static ServerSettings settingsFor(AuthLevel minimum) {
    ServerSettings settings;
    settings.minimumLevel = minimum;
    settings.requireMic = true;
    return settings;
  }
};

ClientSettings clientSettings(AuthLevel level, const std::string& password = "Secret123!") {
  ClientSettings settings;
  settings.level = level;
  settings.identity = {u"opcuser", u"TESTDOM", ntlm::ntHash(password)};
  settings.callTimeout = 3s;
  settings.connectTimeout = 2s;
  return settings;
}

std::vector<uint8_t> pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return bytes;
}

TEST(ClientConnection, CallsAtEveryLevelWithFragmentsAndSeveralInterfaces) {
  struct Case {
    AuthLevel level;
    uint16_t maxFragment;
  };
  for (const Case& c : {Case{AuthLevel::None, 5840}, Case{AuthLevel::Connect, 5840},
                        Case{AuthLevel::PacketIntegrity, 5840}, Case{AuthLevel::PacketPrivacy, 1432},
                        Case{AuthLevel::PacketIntegrity, 1432}}) {
    SCOPED_TRACE(toString(c.level));
    Running running(c.level);
    auto settings = clientSettings(c.level);
    settings.maxFragmentSize = c.maxFragment;
    auto connected = ClientConnection::connect("127.0.0.1", running.port, settings);
    ASSERT_EQ(connected.status, ClientStatus::Ok);
    auto& connection = *connected.connection;
    // Small, exactly one fragment's worth, and many fragments each way;
    // calls alternate between two interfaces (bind, then alter_context).
    for (size_t size : {size_t{0}, size_t{33}, size_t{c.maxFragment}, size_t{70000}}) {
      for (const SyntaxId* syntax : {&kEcho, &kOther}) {
        auto stub = pattern(size);
        auto result = connection.call(*syntax, 3, stub, Uuid{});
        ASSERT_EQ(result.status, ClientStatus::Ok) << size;
        ASSERT_EQ(result.stub.size(), size + 1);
        EXPECT_EQ(result.stub[0], 3);
        EXPECT_TRUE(std::equal(stub.begin(), stub.end(), result.stub.begin() + 1));
      }
    }
  }
}

TEST(ClientConnection, ReportsRefusalsAndFaultsAsStatuses) {
  Running running;
  struct Case {
    const char* what;
    AuthLevel level;
    std::string password;
    const SyntaxId* syntax;
    uint16_t opnum;
    ClientStatus status;
    uint32_t fault;
    bool usableAfter;
  };
  const Case cases[] = {
      {"wrong password", AuthLevel::PacketIntegrity, "wrong", &kEcho, 1, ClientStatus::AccessDenied, 5, true},
      {"level below the minimum", AuthLevel::Connect, "Secret123!", &kEcho, 1, ClientStatus::AccessDenied, 5, true},
      {"interface not offered", AuthLevel::PacketIntegrity, "Secret123!", &kMissing, 1,
       ClientStatus::UnknownInterface, 0, true},
      {"fault from the handler", AuthLevel::PacketPrivacy, "Secret123!", &kEcho, 7, ClientStatus::Fault, 0x80004005,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto connected = ClientConnection::connect("127.0.0.1", running.port, clientSettings(c.level, c.password));
    ASSERT_EQ(connected.status, ClientStatus::Ok);
    auto result = connected.connection->call(*c.syntax, c.opnum, pattern(10));
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.faultStatus, c.fault);
    EXPECT_EQ(connected.connection->usable(), c.usableAfter);
  }
}

TEST(ClientConnection, EndsCallsWithinTheTimeOutWhenTheServerIsSlowStopsOrIsAbsent) {
  Running running;
  auto settings = clientSettings(AuthLevel::PacketIntegrity);
  settings.callTimeout = 500ms;

  auto slow = ClientConnection::connect("127.0.0.1", running.port, settings);
  ASSERT_EQ(slow.status, ClientStatus::Ok);
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(slow.connection->call(kEcho, 9, pattern(4)).status, ClientStatus::TimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 1400ms);
  // The answer may still arrive; the connection is given up rather than
  // read out of step.
  EXPECT_FALSE(slow.connection->usable());
  EXPECT_EQ(slow.connection->call(kEcho, 1, pattern(4)).status, ClientStatus::Disconnected);

  // A call cut off from another thread ends at once.
  auto cut = ClientConnection::connect("127.0.0.1", running.port, clientSettings(AuthLevel::PacketIntegrity));
  ASSERT_EQ(cut.connection->call(kEcho, 1, pattern(4)).status, ClientStatus::Ok);
  std::thread cutter([&] {
    std::this_thread::sleep_for(200ms);
    cut.connection->abort();
  });
  started = std::chrono::steady_clock::now();
  EXPECT_EQ(cut.connection->call(kEcho, 9, pattern(4)).status, ClientStatus::Disconnected);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 1400ms);
  cutter.join();

  // A server that stops closes its connections.
  auto stopped = ClientConnection::connect("127.0.0.1", running.port, clientSettings(AuthLevel::PacketIntegrity));
  ASSERT_EQ(stopped.connection->call(kEcho, 1, pattern(4)).status, ClientStatus::Ok);
  uint16_t port = running.port;
  running.server.stop();
  EXPECT_EQ(stopped.connection->call(kEcho, 1, pattern(4)).status, ClientStatus::Disconnected);

  // Nobody listens any more.
  EXPECT_EQ(ClientConnection::connect("127.0.0.1", port, settings).status, ClientStatus::Unreachable);
}

}  // namespace
}  // namespace rpc
