// Round trips of a small call through the DCE/RPC server over loopback, at
// no authentication, packet integrity and packet privacy, each against a raw
// TCP ping-pong of the same byte counts (the request and response PDUs'
// sizes) to an echo thread. "ratio <level> baseline/rpc" is the baseline's
// median time over the call's: 1.00 means the runtime adds nothing, 0.50
// that a call takes twice the raw round trip.

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "loopback.h"
#include "ratio_reporter.h"
#include "rpc/server.h"
#include "test_client.h"

namespace {

const char* const kInterface = "00000143-0000-0000-c000-000000000046";
// About the size of a query for one interface and its answer.
constexpr size_t kRequestStub = 64;
constexpr size_t kResponseStub = 96;

[[noreturn]] void fail(const char* what) {
  std::perror(what);
  std::abort();
}

class FixedAnswer : public rpc::InterfaceHandler {
public:
  rpc::CallResult call(const rpc::CallContext&, std::span<const uint8_t>) override {
    return rpc::CallResult::response(std::vector<uint8_t>(kResponseStub, 0x5a));
  }
};


struct Endpoint {
  rpc::Server server;
  uint16_t port = 0;
  Endpoint() : server(settings()) {
    server.registerInterface(rpc::SyntaxId{*rpc::Uuid::parse(kInterface), 0, 0}, std::make_shared<FixedAnswer>());
    server.setCredentials(std::make_shared<ntlm::CredentialStore>(
        std::vector<ntlm::Credential>{{"opcuser", "", ntlm::ntHash("Secret123!")}}));
    port = server.listen("127.0.0.1", 0).port.value_or(0);
    server.start();
  }
  static rpc::ServerSettings settings() {
    rpc::ServerSettings settings;
    settings.minimumLevel = rpc::AuthLevel::None;
    return settings;
  }
};

Endpoint& endpoint() {
  static Endpoint instance;
  return instance;
}

void Call(benchmark::State& state, rpc::AuthLevel level) {
  int fd = bench::connectLoopback(endpoint().port);
  bench::PduReader reader(fd);
  rpc::testing::TestClient client(level);
  bench::sendAll(fd, client.bind({rpc::testing::context(0, kInterface)}));
  if (!client.bindAck(reader.next())) fail("bind");
  if (client.authenticated()) bench::sendAll(fd, client.auth3());
  std::vector<uint8_t> stub(kRequestStub, 0x11);
  uint32_t callId = 1;
  size_t requestBytes = 0;
  size_t responseBytes = 0;
  for (auto _ : state) {
    auto request = client.request(++callId, 0, 3, stub).at(0);
    bench::sendAll(fd, request);
    std::span<const uint8_t> response = reader.next();
    rpc::testing::TestClient::Answer answer;
    client.read(response, answer);
    if (!answer.valid || answer.stub.size() != kResponseStub) fail("answer");
    requestBytes = request.size();
    responseBytes = response.size();
  }
  state.counters["request"] = static_cast<double>(requestBytes);
  state.counters["response"] = static_cast<double>(responseBytes);
  ::close(fd);
}

// The same byte counts as the call at `level`, echoed by a thread over a
// loopback TCP connection, as the calls use.
void PingPong(benchmark::State& state, size_t requestBytes, size_t responseBytes) {
  bench::RunPingPong(state, requestBytes, responseBytes);
}

// Request and response PDU sizes per level: header and stub, and with
// protection the pad to 16 bytes, the trailer and the signature.
std::pair<size_t, size_t> pduSizes(rpc::AuthLevel level) {
  auto size = [level](size_t stub) {
    size_t bytes = rpc::stubHeaderSize(rpc::PduType::Request, false) + stub;
    if (level >= rpc::AuthLevel::PacketIntegrity) bytes += (16 - stub % 16) % 16 + rpc::kSecTrailerSize + 16;
    return bytes;
  };
  return {size(kRequestStub), size(kResponseStub)};
}

void registerPair(const char* name, rpc::AuthLevel level) {
  auto [request, response] = pduSizes(level);
  benchmark::RegisterBenchmark((std::string(name) + "_Rpc").c_str(), Call, level)->Repetitions(5)->UseRealTime();
  benchmark::RegisterBenchmark((std::string(name) + "_Baseline").c_str(), PingPong, request, response)
      ->Repetitions(5)
      ->UseRealTime();
}

}  // namespace

int main(int argc, char** argv) {
  registerPair("None", rpc::AuthLevel::None);
  registerPair("Integrity", rpc::AuthLevel::PacketIntegrity);
  registerPair("Privacy", rpc::AuthLevel::PacketPrivacy);
  bench::RatioReporter reporter(bench::RatioReporter::Clock::Real, benchmark::ConsoleReporter::OO_Tabular);
  return bench::runBenchmarks(argc, argv, reporter, [&] { reporter.printRatios("Rpc", "baseline/rpc"); });
}
