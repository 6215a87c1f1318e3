#include "rpc/server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "test_client.h"

namespace rpc {
namespace {

using testing::TestClient;
using testing::context;

const char* const kInterface = "99fcfec4-5260-101b-bbcb-00aa0021347a";

// Echoes the stub. Opnum 1 waits until `gate` calls are inside the handler
// at once (or a time-out passes), which only concurrent dispatch satisfies.
class EchoHandler : public InterfaceHandler {
public:
  explicit EchoHandler(int gate = 0) : gate_(gate) {}
  CallResult call(const CallContext& context, std::span<const uint8_t> stub) override {
    if (context.opnum == 1) {
      std::unique_lock lock(mutex_);
      ++inside_;
      changed_.notify_all();
      if (!changed_.wait_for(lock, std::chrono::seconds(10), [this] { return inside_ >= gate_; })) {
        return CallResult::fault(kFaultServerTooBusy);
      }
    }
    return CallResult::response({stub.begin(), stub.end()});
  }

private:
  std::mutex mutex_;  // guards inside_
  std::condition_variable changed_;
  int inside_ = 0;
  int gate_;
};

class Socket {
public:
  explicit Socket(uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    timeval timeout{15, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  }
  ~Socket() { ::close(fd_); }
  bool connected() const { return connected_; }

  void send(const std::vector<uint8_t>& bytes) { ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
  // One PDU, or nothing when the server closed the connection.
  std::optional<std::vector<uint8_t>> read() {
    std::vector<uint8_t> bytes(kHeaderSize);
    if (!readExact(bytes.data(), kHeaderSize)) return std::nullopt;
    size_t length = bytes[8] | (bytes[9] << 8);
    if (length < kHeaderSize) return std::nullopt;
    bytes.resize(length);
    if (!readExact(bytes.data() + kHeaderSize, length - kHeaderSize)) return std::nullopt;
    return bytes;
  }

private:
  bool readExact(uint8_t* out, size_t length) {
    size_t done = 0;
    while (done < length) {
      ssize_t count = ::recv(fd_, out + done, length - done, 0);
      if (count <= 0) return false;
      done += static_cast<size_t>(count);
    }
    return true;
  }
  int fd_ = -1;
  bool connected_ = false;
};

struct Running {
  // The log outlives the server, whose threads write to it until it stops.
  std::mutex logMutex;  // guards log
  std::vector<std::string> log;
  Server server;
  uint16_t port = 0;

  explicit Running(ServerSettings settings, std::shared_ptr<InterfaceHandler> handler) : server(settings) {
    server.registerInterface(SyntaxId{*Uuid::parse(kInterface), 0, 0}, std::move(handler));
    server.setCredentials(std::make_shared<ntlm::CredentialStore>(
        std::vector<ntlm::Credential>{{"opcuser", "", ntlm::ntHash("Secret123!")}}));
    server.setLogger([this](std::string_view line) {
      std::lock_guard lock(logMutex);
      log.emplace_back(line);
    });
    port = server.listen("127.0.0.1", 0).port.value_or(0);
    server.start();
  }
  bool logged(const std::string& text) {
    std::lock_guard lock(logMutex);
    for (const auto& line : log) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }
};

// Binds (and authenticates) a client on a socket.
bool bind(Socket& socket, TestClient& client) {
  socket.send(client.bind({context(0, kInterface)}));
  auto ack = socket.read();
  if (!ack || !client.bindAck(*ack)) return false;
  if (client.authenticated()) socket.send(client.auth3());
  return true;
}

// A large answer leaves in several batches of fragments; at every level
// each fragment arrives whole, in order, signed or sealed, and the stub
// comes back as it went, with an empty stub as the odd case.
TEST(Server, LargeAnswersArriveWholeAtEveryLevel) {
  ServerSettings settings;
  settings.minimumLevel = AuthLevel::None;
  Running running(settings, std::make_shared<EchoHandler>());
  ASSERT_NE(running.port, 0);
  const struct {
    AuthLevel level;
    size_t stubBytes;
  } cases[] = {{AuthLevel::None, 300000},           {AuthLevel::PacketIntegrity, 300000},
               {AuthLevel::PacketPrivacy, 300000},  {AuthLevel::PacketIntegrity, 4225},
               {AuthLevel::None, 0},                {AuthLevel::PacketIntegrity, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.level)) + " / " + std::to_string(c.stubBytes));
    Socket socket(running.port);
    TestClient client(c.level);
    ASSERT_TRUE(socket.connected() && bind(socket, client));
    std::vector<uint8_t> stub(c.stubBytes);
    for (size_t i = 0; i < stub.size(); ++i) stub[i] = static_cast<uint8_t>(i * 7 + i / 251);
    // Two calls, so that the second shows the signing sequence ran on.
    for (uint32_t callId = 1; callId <= 2; ++callId) {
      for (auto& fragment : client.request(callId, 0, 0, stub)) socket.send(fragment);
      TestClient::Answer answer;
      size_t fragments = 0;
      do {
        auto bytes = socket.read();
        ASSERT_TRUE(bytes);
        ++fragments;
        client.read(*bytes, answer);
        ASSERT_TRUE(answer.valid);
        ASSERT_EQ(answer.callId, callId);
      } while (!(answer.flags & pfc::kLastFragment));
      EXPECT_EQ(answer.type, PduType::Response);
      EXPECT_EQ(answer.stub, stub);
      // 4280-byte fragments hold 4256 stub bytes, or 4224 when a trailer
      // and signature follow (the stub part kept a multiple of 16).
      const size_t room = c.level == AuthLevel::None ? 4256 : 4224;
      EXPECT_EQ(fragments, std::max<size_t>(1, (c.stubBytes + room - 1) / room));
    }
  }
}

TEST(Server, RunsCallsConcurrentlyOnOneConnectionAndAcrossConnections) {
  constexpr int kConnections = 3;
  constexpr int kCallsPerConnection = 6;
  ServerSettings settings;
  settings.workerThreads = 4;
  settings.minimumLevel = AuthLevel::PacketPrivacy;
  // Two calls of the first connection must be inside the handler together.
  Running running(settings, std::make_shared<EchoHandler>(2));
  ASSERT_NE(running.port, 0);

  std::atomic<int> good{0};
  std::vector<std::thread> clients;
  for (int c = 0; c < kConnections; ++c) {
    clients.emplace_back([&, c] {
      Socket socket(running.port);
      TestClient client(AuthLevel::PacketPrivacy);
      client.setMultiplex(true);
      if (!socket.connected() || !bind(socket, client)) return;
      // Every request is sent before any answer is read.
      std::map<uint32_t, std::vector<uint8_t>> sent;
      for (uint32_t callId = 1; callId <= kCallsPerConnection; ++callId) {
        std::vector<uint8_t> stub(100 + callId * 500, static_cast<uint8_t>(c * 16 + callId));
        uint16_t opnum = (c == 0 && callId <= 2) ? 1 : 0;
        for (auto& fragment : client.request(callId, 0, opnum, stub)) socket.send(fragment);
        sent[callId] = stub;
      }
      std::map<uint32_t, TestClient::Answer> answers;
      while (answers.size() < sent.size() ||
             std::any_of(answers.begin(), answers.end(), [](auto& a) { return !(a.second.flags & pfc::kLastFragment); })) {
        auto bytes = socket.read();
        if (!bytes) return;
        auto callId = static_cast<uint32_t>((*bytes)[12] | ((*bytes)[13] << 8));
        client.read(*bytes, answers[callId]);
      }
      for (auto& [callId, answer] : answers) {
        if (answer.type == PduType::Response && answer.valid && answer.stub == sent[callId]) ++good;
      }
    });
  }
  for (auto& thread : clients) thread.join();
  EXPECT_EQ(good, kConnections * kCallsPerConnection);
}

TEST(Server, LimitsConnectionsAndClosesHalfOpenHandshakes) {
  ServerSettings settings;
  settings.maxConnections = 1;
  settings.handshakeTimeoutSeconds = 1;
  Running running(settings, std::make_shared<EchoHandler>());

  Socket first(running.port);
  TestClient client(AuthLevel::PacketIntegrity);
  ASSERT_TRUE(bind(first, client));
  // Over the limit: closed without an answer.
  Socket second(running.port);
  second.send(client.bind({context(0, kInterface)}));
  EXPECT_FALSE(second.read());
  EXPECT_TRUE(running.logged("refused: 1 connections open"));

  // The first connection is still served.
  auto fragments = client.request(5, 0, 0, std::vector<uint8_t>{1, 2, 3});
  first.send(fragments[0]);
  TestClient::Answer answer;
  auto bytes = first.read();
  ASSERT_TRUE(bytes);
  client.read(*bytes, answer);
  EXPECT_EQ(answer.stub, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_TRUE(answer.valid);
}

TEST(Server, ClosesAConnectionThatNeverFinishesItsHandshake) {
  ServerSettings settings;
  settings.handshakeTimeoutSeconds = 1;
  Running running(settings, std::make_shared<EchoHandler>());
  Socket socket(running.port);
  TestClient client(AuthLevel::PacketIntegrity);
  socket.send(client.bind({context(0, kInterface)}));
  ASSERT_TRUE(socket.read());  // bind_ack with the challenge; no auth3 follows
  auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(socket.read());
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_TRUE(running.logged("handshake timed out"));
}

TEST(Server, TellsClientsToCloseWhenStopping) {
  Running running(ServerSettings{}, std::make_shared<EchoHandler>());
  Socket socket(running.port);
  TestClient client(AuthLevel::PacketIntegrity);
  ASSERT_TRUE(bind(socket, client));
  // The auth3 has no answer; a call makes sure it was read before stopping.
  for (auto& fragment : client.request(2, 0, 0, std::vector<uint8_t>{7})) socket.send(fragment);
  ASSERT_TRUE(socket.read());
  running.server.stop();
  auto shutdown = socket.read();
  ASSERT_TRUE(shutdown);
  EXPECT_EQ((*shutdown)[2], static_cast<uint8_t>(PduType::Shutdown));
  EXPECT_FALSE(socket.read());
  EXPECT_EQ(running.server.connectionCount(), 0u);
}

TEST(Server, RefusesAddressesThatAreNotNumeric) {
  Server server(ServerSettings{});
  EXPECT_FALSE(server.listen("localhost", 0).port);
  EXPECT_FALSE(server.listen("127.0.0.1.5", 0).port);
}

}  // namespace
}  // namespace rpc
