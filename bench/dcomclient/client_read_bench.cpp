// IOPCSyncIO::Read of one item through the DCOM client's proxy at packet
// integrity over loopback (activation, the proxy, the RPC client with NTLM
// signing, our DCOM service with the OPC stubs and the sample server), against
// a raw TCP ping-pong of the same request and response byte counts in the
// same run. "ratio ... baseline/dcom" is the baseline's median time over the
// call's: 0.67 means the call takes 1.5 times the raw round trip.

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "com/allocator.h"
#include "com/objbase.h"
#include "com/ptr.h"
#include "dcom/exporter.h"
#include "dcom/service.h"
#include "dcomclient/runtime.h"
#include "opc/opcda.h"
#include "opcwire/stubs.h"
#include "loopback.h"
#include "ratio_reporter.h"
#include "rpc/client.h"
#include "rpc/server.h"
#include "server_factory.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "client_read_bench: %s failed\n", what);
  std::abort();
}

sample::ServerOptions sampleOptions() {
  sample::ServerOptions options;
  options.manyItemCount = 1;
  options.shutdownRequestFile = "/nonexistent/velmora-bench-no-shutdown-file";
  return options;
}

class SampleClasses : public dcom::ClassProvider {
public:
  HRESULT createInstance(REFCLSID clsid, const std::string&, IUnknown** out) override {
    if (clsid != sample::CLSID_PelkorDataSample) return REGDB_E_CLASSNOTREG;
    return sample::createSampleServer(sampleOptions(), IID_IUnknown, reinterpret_cast<void**>(out));
  }
  HRESULT getClassObject(REFCLSID, const std::string&, IUnknown**) override { return REGDB_E_CLASSNOTREG; }
};

// Our DCOM service on 127.0.0.1 and, through the client, one group with one
// item of the sample server.
struct Remote {
  std::shared_ptr<dcom::Exporter> exporter;
  rpc::Server server{rpc::ServerSettings{}};
  std::unique_ptr<dcom::client::DcomActivator> activator;
  com::Ptr<IOPCServer> opc;
  com::Ptr<IOPCSyncIO> sync;
  OPCHANDLE item = 0;

  Remote() {
    dcom::ExporterSettings settings;
    settings.resolverBindings = dcom::bindingsFor({"127.0.0.1"}, 0);
    exporter = std::make_shared<dcom::Exporter>(settings);
    server.setCredentials(std::make_shared<ntlm::CredentialStore>(
        std::vector<ntlm::Credential>{{"opcuser", "", ntlm::ntHash("Secret123!")}}));
    uint16_t port = server.listen("127.0.0.1", 0).port.value_or(0);
    dcom::ServiceOptions options;
    options.exporterPort = port;
    options.stubs = opcwire::makeStubs(exporter);
    dcom::registerDcomServices(server, exporter, std::make_shared<SampleClasses>(), options);
    server.start();

    dcom::client::registerOpcProxies();
    dcom::client::RuntimeSettings client;
    client.resolverPort = port;
    client.credentials = std::make_shared<dcom::client::MachineCredentials>(std::vector<dcom::client::MachineCredential>{
        {"127.0.0.1", "opcuser", "TESTDOM", ntlm::ntHash("Secret123!"), rpc::AuthLevel::PacketIntegrity}});
    activator = std::make_unique<dcom::client::DcomActivator>(client);
    MULTI_QI request{&IID_IOPCServer, nullptr, S_OK};
    if (activator->createOn("127.0.0.1", sample::CLSID_PelkorDataSample, 1, &request) != S_OK) fail("activation");
    opc = com::Ptr<IOPCServer>::attach(static_cast<IOPCServer*>(request.pItf));
    OPCHANDLE group = 0;
    DWORD rate = 0;
    com::Ptr<IOPCItemMgt> items;
    if (FAILED(opc->AddGroup(u"Bench", TRUE, 1000, 1, nullptr, nullptr, 0, &group, &rate, IID_IOPCItemMgt,
                             reinterpret_cast<IUnknown**>(items.put())))) {
      fail("AddGroup");
    }
    OPCITEMDEF def{nullptr, const_cast<LPWSTR>(u"ManyItems.Item0"), TRUE, 1, 0, nullptr, VT_EMPTY, 0};
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    if (items->AddItems(1, &def, &results, &errors) != S_OK) fail("AddItems");
    item = results[0].hServer;
    CoTaskMemFree(results);
    CoTaskMemFree(errors);
    if (FAILED(items->QueryInterface(IID_IOPCSyncIO, sync.putVoid()))) fail("IOPCSyncIO");
  }
};

Remote& remote() {
  static Remote instance;
  return instance;
}

void readOnce() {
  OPCITEMSTATE* states = nullptr;
  HRESULT* errors = nullptr;
  if (remote().sync->Read(OPC_DS_CACHE, 1, &remote().item, &states, &errors) != S_OK) fail("Read");
  VariantClear(&states[0].vDataValue);
  CoTaskMemFree(states);
  CoTaskMemFree(errors);
}

// Request and response bytes of one Read, as the client counted them.
size_t requestBytes = 0, responseBytes = 0;

void Read1_Dcom(benchmark::State& state) {
  readOnce();  // binds the interface first
  const rpc::ClientTraffic before = rpc::clientTraffic();
  int64_t calls = 0;
  for (auto _ : state) {
    readOnce();
    ++calls;
  }
  const rpc::ClientTraffic after = rpc::clientTraffic();
  requestBytes = static_cast<size_t>((after.sent - before.sent) / static_cast<uint64_t>(calls));
  responseBytes = static_cast<size_t>((after.received - before.received) / static_cast<uint64_t>(calls));
}

void Read1_Baseline(benchmark::State& state) {
  bench::RunPingPong(state, requestBytes, responseBytes);
  state.counters["request_bytes"] = static_cast<double>(requestBytes);
  state.counters["response_bytes"] = static_cast<double>(responseBytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) fail("CoInitializeEx");
  // The call runs before its baseline, which takes the call's byte counts.
  benchmark::RegisterBenchmark("Read1_Dcom", Read1_Dcom)->Repetitions(5)->UseRealTime();
  benchmark::RegisterBenchmark("Read1_Baseline", Read1_Baseline)->Repetitions(5)->UseRealTime();
  bench::RatioReporter reporter(bench::RatioReporter::Clock::Real, benchmark::ConsoleReporter::OO_Tabular);
  return bench::runBenchmarks(argc, argv, reporter, [&] { reporter.printRatios("Dcom", "baseline/dcom"); });
}
