// IRemUnknown2::RemQueryInterface round trips over loopback through the
// whole server (RPC runtime, NTLM, DCOM's IRemUnknown2 and the exporter), at
// no authentication and at packet privacy, each against a raw TCP ping-pong
// of the same request and response sizes to an echo thread. "ratio <level>
// baseline/dcom" is the baseline's median time over the call's: 0.50 means a
// call takes twice the raw round trip.

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "com/interfaces/persist.h"
#include "com/objbase.h"
#include "com/object.h"
#include "dcom/exporter.h"
#include "dcom/methods.h"
#include "dcom/service.h"
#include "ndr/walker.h"
#include "loopback.h"
#include "ratio_reporter.h"
#include "rpc/server.h"
#include "test_client.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::perror(what);
  std::abort();
}

class Thing : public com::Object<Thing, IPersist> {
public:
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
    *clsid = GUID_NULL;
    return S_OK;
  }
};

class NoClasses : public dcom::ClassProvider {
public:
  HRESULT createInstance(REFCLSID, const std::string&, IUnknown**) override { return REGDB_E_CLASSNOTREG; }
  HRESULT getClassObject(REFCLSID, const std::string&, IUnknown**) override { return REGDB_E_CLASSNOTREG; }
};

rpc::Uuid uuidOf(const GUID& guid) {
  rpc::Uuid uuid;
  static_assert(sizeof guid == 16);
  std::memcpy(uuid.bytes.data(), &guid, 16);
  return uuid;
}

// One host with one exported object, per owner the calls come from.
struct Host {
  std::shared_ptr<dcom::Exporter> exporter;
  rpc::Server server;
  uint16_t port = 0;
  com::Ptr<Thing> thing = com::makeObject<Thing>();
  std::map<std::string, dcom::Ipid> objects;

  Host() : server(settings()) {
    dcom::ExporterSettings exporterSettings;
    exporterSettings.resolverBindings = dcom::bindingsFor({"127.0.0.1"}, 135);
    exporter = std::make_shared<dcom::Exporter>(exporterSettings);
    server.setCredentials(std::make_shared<ntlm::CredentialStore>(
        std::vector<ntlm::Credential>{{"opcuser", "", ntlm::ntHash("Secret123!")}}));
    port = server.listen("127.0.0.1", 0).port.value_or(0);
    dcom::ServiceOptions options;
    options.exporterPort = port;
    options.minimumLevel = rpc::AuthLevel::None;
    dcom::registerDcomServices(server, exporter, std::make_shared<NoClasses>(), options);
    for (const char* owner : {"", "testdom\\opcuser"}) {
      dcom::StdObjRef reference;
      // Enough references that the calls never run out.
      if (FAILED(exporter->exportInterface(thing.get(), IID_IPersist, owner, 1000000, reference, true))) {
        fail("export");
      }
      objects[owner] = reference.ipid;
    }
    server.start();
  }
  static rpc::ServerSettings settings() {
    rpc::ServerSettings settings;
    settings.minimumLevel = rpc::AuthLevel::None;
    return settings;
  }
};

Host& host() {
  static Host instance;
  return instance;
}


std::map<rpc::AuthLevel, std::pair<size_t, size_t>> measuredSizes;

void RemQueryInterface(benchmark::State& state, rpc::AuthLevel level) {
  int fd = bench::connectLoopback(host().port);
  bench::PduReader reader(fd);
  rpc::testing::TestClient client(level);
  bench::sendAll(fd, client.bind({rpc::ContextElement{0, rpc::SyntaxId{uuidOf(dcom::kIidIRemUnknown2), 0, 0},
                                               {rpc::ndr20Syntax()}}}));
  if (!client.bindAck(reader.next())) fail("bind");
  if (client.authenticated()) bench::sendAll(fd, client.auth3());

  dcom::RemQueryInterfaceIn in;
  in.ipid = host().objects[level == rpc::AuthLevel::None ? "" : "testdom\\opcuser"];
  in.refs = 1;
  in.iids = {IID_IPersist};
  std::vector<uint8_t> stub;
  if (ndr::encode(stub, [&](auto& w) { dcom::walkIn(w, in); })) fail("encode");
  auto target = uuidOf(host().exporter->remUnknown());

  uint32_t callId = 1;
  for (auto _ : state) {
    auto request = client.request(++callId, 0, 3, stub, 0, target).at(0);
    bench::sendAll(fd, request);
    auto response = reader.next();
    rpc::testing::TestClient::Answer answer;
    client.read(response, answer);
    if (!answer.valid || answer.type != rpc::PduType::Response) fail("answer");
    measuredSizes[level] = {request.size(), response.size()};
  }
  ::close(fd);
}

void PingPong(benchmark::State& state, rpc::AuthLevel level) {
  auto [requestBytes, responseBytes] = measuredSizes.at(level);
  bench::RunPingPong(state, requestBytes, responseBytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) fail("CoInitializeEx");
  // Each call runs before its baseline, which takes the call's byte counts.
  for (auto [name, level] : {std::pair{"None", rpc::AuthLevel::None}, std::pair{"Privacy", rpc::AuthLevel::PacketPrivacy}}) {
    benchmark::RegisterBenchmark((std::string(name) + "_Dcom").c_str(), RemQueryInterface, level)
        ->Repetitions(5)
        ->UseRealTime();
    benchmark::RegisterBenchmark((std::string(name) + "_Baseline").c_str(), PingPong, level)
        ->Repetitions(5)
        ->UseRealTime();
  }
  bench::RatioReporter reporter(bench::RatioReporter::Clock::Real, benchmark::ConsoleReporter::OO_Tabular);
  return bench::runBenchmarks(argc, argv, reporter, [&] { reporter.printRatios("Dcom", "baseline/dcom"); });
}
