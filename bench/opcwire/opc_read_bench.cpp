// IOPCSyncIO::Read over loopback DCOM, through the whole server (RPC
// runtime, NTLM signing where asked, the exporter, the OPC stubs and the
// sample server), against baselines in the same run:
//   Read1Integrity:     one item per call at packet integrity against a raw
//                       TCP ping-pong of the same request and response byte
//                       counts;
//   Read10000Integrity: 10,000 items in one call at packet integrity against
//                       the in-process Read of the same items plus a raw
//                       transfer of the same byte counts;
//   Read10000NoAuth:    the same without authentication, so that the figure
//                       shows the runtime and stubs without the signing of
//                       some 600 KB each way.
// At packet integrity the client signs its request and verifies every
// fragment of the reply; it neither puts the reply's stub together nor
// decodes the values in the loop (one more call after it does, to check).
// "ratio ... baseline/dcom" is the baseline's median time over the call's:
// 0.67 means the call takes 1.5 times the baseline.

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "com/allocator.h"
#include "com/objbase.h"
#include "dcom/exporter.h"
#include "dcom/service.h"
#include "opc/opcda.h"
#include "opcwire/methods.h"
#include "opcwire/stubs.h"
#include "loopback.h"
#include "ratio_reporter.h"
#include "rpc/client.h"
#include "rpc/server.h"
#include "server_factory.h"
#include "test_client.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::perror(what);
  std::abort();
}

class NoClasses : public dcom::ClassProvider {
public:
  HRESULT createInstance(REFCLSID, const std::string&, IUnknown**) override { return REGDB_E_CLASSNOTREG; }
  HRESULT getClassObject(REFCLSID, const std::string&, IUnknown**) override { return REGDB_E_CLASSNOTREG; }
};

// The host takes every level; each benchmark binds at the one it measures.
constexpr rpc::AuthLevel kHostMinimum = rpc::AuthLevel::None;
const char* const kOwner = "testdom\\opcuser";

// The sample server with one group per item count and level, its IOPCSyncIO
// exported to the caller of that level (anonymous without authentication).
struct Host {
  std::shared_ptr<dcom::Exporter> exporter;
  rpc::Server server;
  uint16_t port = 0;
  com::Ptr<IOPCServer> opc;
  struct Group {
    com::Ptr<IOPCSyncIO> sync;
    dcom::Ipid ipid{};
    std::vector<OPCHANDLE> handles;
  };
  using GroupKey = std::pair<uint32_t, rpc::AuthLevel>;
  std::map<GroupKey, Group> groups;

  Host() : server(settings()) {
    dcom::ExporterSettings exporterSettings;
    exporterSettings.resolverBindings = dcom::bindingsFor({"127.0.0.1"}, 135);
    exporter = std::make_shared<dcom::Exporter>(exporterSettings);
    server.setCredentials(std::make_shared<ntlm::CredentialStore>(
        std::vector<ntlm::Credential>{{"opcuser", "", ntlm::ntHash("Secret123!")}}));
    port = server.listen("127.0.0.1", 0).port.value_or(0);
    dcom::ServiceOptions options;
    options.exporterPort = port;
    options.minimumLevel = kHostMinimum;
    options.stubs = opcwire::makeStubs(exporter);
    dcom::registerDcomServices(server, exporter, std::make_shared<NoClasses>(), options);

    sample::ServerOptions serverOptions;
    serverOptions.manyItemCount = 10000;
    serverOptions.shutdownRequestFile = "/nonexistent/velmora-bench-no-shutdown-file";
    if (FAILED(sample::createSampleServer(serverOptions, IID_IOPCServer, opc.putVoid()))) fail("server");
    addGroup({1, rpc::AuthLevel::PacketIntegrity});
    addGroup({10000, rpc::AuthLevel::PacketIntegrity});
    addGroup({10000, rpc::AuthLevel::None});
    server.start();
  }

  void addGroup(GroupKey key) {
    const uint32_t count = key.first;
    Group& group = groups[key];
    OPCHANDLE handle = 0;
    DWORD rate = 0;
    com::Ptr<IOPCItemMgt> items;
    std::u16string name = u"Bench " + std::u16string(count == 1 ? u"one" : u"many");
    if (key.second == rpc::AuthLevel::None) name += u" anonymous";
    if (FAILED(opc->AddGroup(name.c_str(), TRUE, 1000, 1,
                             nullptr, nullptr, 0, &handle, &rate, IID_IOPCItemMgt,
                             reinterpret_cast<IUnknown**>(items.put())))) {
      fail("AddGroup");
    }
    std::vector<std::u16string> ids;
    for (uint32_t i = 0; i < count; ++i) {
      std::u16string id = u"ManyItems.Item";
      for (char c : std::to_string(i)) id.push_back(static_cast<char16_t>(c));
      ids.push_back(id);
    }
    std::vector<OPCITEMDEF> defs(count);
    for (uint32_t i = 0; i < count; ++i) {
      defs[i] = OPCITEMDEF{nullptr, ids[i].data(), TRUE, i, 0, nullptr, VT_EMPTY, 0};
    }
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    if (items->AddItems(count, defs.data(), &results, &errors) != S_OK) fail("AddItems");
    for (uint32_t i = 0; i < count; ++i) group.handles.push_back(results[i].hServer);
    CoTaskMemFree(results);
    CoTaskMemFree(errors);
    if (FAILED(items->QueryInterface(IID_IOPCSyncIO, group.sync.putVoid()))) fail("IOPCSyncIO");
    dcom::StdObjRef reference;
    // Enough references that the calls never run out.
    if (FAILED(exporter->exportInterface(group.sync.get(), IID_IOPCSyncIO,
                                         key.second == rpc::AuthLevel::None ? "" : kOwner, 1000000, reference,
                                         true))) {
      fail("export");
    }
    group.ipid = reference.ipid;
  }

  static rpc::ServerSettings settings() {
    rpc::ServerSettings settings;
    settings.minimumLevel = kHostMinimum;
    return settings;
  }
};

Host& host() {
  static Host instance;
  return instance;
}

// Total request and response bytes of one call, by item count and level.
std::map<std::pair<uint32_t, rpc::AuthLevel>, std::pair<size_t, size_t>> measuredSizes;

void DcomRead(benchmark::State& state, uint32_t count, rpc::AuthLevel level) {
  Host::Group& group = host().groups.at({count, level});
  int fd = bench::connectLoopback(host().port);
  bench::PduReader reader(fd);
  rpc::testing::TestClient client(level);
  // Fragments of up to 5840 bytes each way, as Quillon's own client and the
  // usual peers over TCP ask for.
  bench::sendAll(fd, client.bind({rpc::ContextElement{0, rpc::SyntaxId{dcom::toUuid(IID_IOPCSyncIO), 0, 0},
                                                      {rpc::ndr20Syntax()}}},
                                 0, rpc::ClientSettings{}.maxFragmentSize));
  if (!client.bindAck(reader.next())) fail("bind");
  if (client.authenticated()) bench::sendAll(fd, client.auth3());

  opcwire::SyncReadIn in;
  in.source = OPC_DS_CACHE;
  in.count = count;
  in.handles = group.handles;
  std::vector<uint8_t> stub;
  if (ndr::encode(stub, [&](auto& w) { opcwire::walkIn(w, in); })) fail("encode");

  // One call: its request out, its reply read and each fragment checked
  // (and verified at integrity). Putting the stub together and decoding
  // it is the client's own work, which the baselines do not have either,
  // so that is done once, for the call after the timed ones.
  uint32_t callId = 1;
  auto call = [&](bool keepStub) {
    const auto fragments = client.request(++callId, 0, 3, stub, 0, dcom::toUuid(group.ipid));
    bench::sendAll(fd, fragments);
    size_t requestBytes = 0, responseBytes = 0;
    for (const auto& fragment : fragments) requestBytes += fragment.size();
    rpc::testing::TestClient::Answer answer;
    answer.keepStub = keepStub;
    do {
      auto response = reader.next();
      responseBytes += response.size();
      client.read(response, answer);
      if (!answer.valid || answer.type != rpc::PduType::Response) fail("answer");
    } while (!(answer.flags & rpc::pfc::kLastFragment));
    measuredSizes[{count, level}] = {requestBytes, responseBytes};
    return answer;
  };
  for (auto _ : state) call(false);
  const auto last = call(true);
  opcwire::SyncReadOut out;
  out.count = count;
  if (ndr::decode(last.stub, [&](auto& w) { opcwire::walkOut(w, out); }) || out.result != S_OK ||
      out.states.size() != count) {
    fail("reply");
  }
  ::close(fd);
}

// The same Read in process, freeing what it hands out.
void readInProcess(Host::Group& group) {
  OPCITEMSTATE* states = nullptr;
  HRESULT* errors = nullptr;
  const auto count = static_cast<DWORD>(group.handles.size());
  if (group.sync->Read(OPC_DS_CACHE, count, group.handles.data(), &states, &errors) != S_OK) fail("Read");
  for (DWORD i = 0; i < count; ++i) VariantClear(&states[i].vDataValue);
  CoTaskMemFree(states);
  CoTaskMemFree(errors);
}

void Baseline(benchmark::State& state, uint32_t count, rpc::AuthLevel level) {
  Host::Group& group = host().groups.at({count, level});
  auto [requestBytes, responseBytes] = measuredSizes.at({count, level});
  // One item: the raw round trip alone; many: the in-process Read too.
  bench::RunPingPong(state, requestBytes, responseBytes, [&] {
    if (count > 1) readInProcess(group);
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) fail("CoInitializeEx");
  // Each call runs before its baseline, which takes the call's byte counts.
  const struct {
    const char* name;
    uint32_t count;
    rpc::AuthLevel level;
  } pairs[] = {{"Read1Integrity", 1, rpc::AuthLevel::PacketIntegrity},
               {"Read10000Integrity", 10000, rpc::AuthLevel::PacketIntegrity},
               {"Read10000NoAuth", 10000, rpc::AuthLevel::None}};
  for (const auto& pair : pairs) {
    const std::string name = pair.name;
    benchmark::RegisterBenchmark((name + "_Dcom").c_str(), DcomRead, pair.count, pair.level)
        ->Repetitions(5)
        ->UseRealTime();
    benchmark::RegisterBenchmark((name + "_Baseline").c_str(), Baseline, pair.count, pair.level)
        ->Repetitions(5)
        ->UseRealTime();
  }
  bench::RatioReporter reporter(bench::RatioReporter::Clock::Real, benchmark::ConsoleReporter::OO_Tabular);
  return bench::runBenchmarks(argc, argv, reporter, [&] { reporter.printRatios("Dcom", "baseline/dcom"); });
}
