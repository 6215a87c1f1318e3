// The sample server's bulk calls, each against a baseline in the same run:
//   - BrowseOPCItemIDs(OPC_FLAT) of the whole address space, read to the end
//     through IEnumString as a client does ("Add all Items");
//   - one AddItems call for every item of the ManyItems branch;
//   - one IOPCSyncIO::Read of all those items from the cache.
// Each runs with a ManyItems branch of 10,000 and of 100,000 items. The
// baselines do the least any server must do for the same call: copy the IDs
// out (browse), look the IDs up in a hash table and fill the result array
// (AddItems), copy the values into the state array (Read).
// After the run the ratios (server time / baseline time) and the time per
// item for both sizes are printed: a time per item that stays the same from
// 10,000 to 100,000 items means the call grows linearly. On a busy machine,
// run with --benchmark_repetitions=5 to have the medians compared.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "com/allocator.h"
#include "com/enumerator.h"
#include "com/ptr.h"
#include "opc/opcda.h"
#include "server_factory.h"

#include "ratio_reporter.h"

namespace {

constexpr char16_t kGroupName[] = u"Bench";

sample::ServerOptions optionsFor(int64_t items) {
  sample::ServerOptions options;
  options.manyItemCount = static_cast<uint32_t>(items);
  options.shutdownRequestFile = "/nonexistent/velmora-bench-no-shutdown-file";
  return options;
}

// One server per size, kept for the whole run.
struct Server {
  com::Ptr<IOPCServer> server;
  com::Ptr<IOPCBrowseServerAddressSpace> browse;
  std::vector<std::u16string> ids;  // the ManyItems branch
  std::vector<OPCITEMDEF> definitions;

  explicit Server(int64_t items) {
    sample::createSampleServer(optionsFor(items), IID_IOPCServer, server.putVoid());
    server->QueryInterface(IID_IOPCBrowseServerAddressSpace, browse.putVoid());
    for (int64_t index = 0; index < items; ++index) {
      std::u16string id = u"ManyItems.Item";
      for (char c : std::to_string(index)) id.push_back(static_cast<char16_t>(c));
      ids.push_back(std::move(id));
    }
    definitions.resize(ids.size());
    for (size_t index = 0; index < ids.size(); ++index) {
      definitions[index].szItemID = ids[index].data();
      definitions[index].szAccessPath = const_cast<LPWSTR>(u"");
      definitions[index].bActive = TRUE;
      definitions[index].hClient = static_cast<OPCHANDLE>(index);
    }
  }

  com::Ptr<IOPCItemMgt> addGroup() {
    com::Ptr<IOPCItemMgt> group;
    OPCHANDLE handle = 0;
    DWORD revised = 0;
    server->AddGroup(kGroupName, TRUE, 1000, 0, nullptr, nullptr, 0, &handle, &revised, IID_IOPCItemMgt,
                     reinterpret_cast<IUnknown**>(group.put()));
    return group;
  }
  void removeGroup(com::Ptr<IOPCItemMgt>& group) {
    com::Ptr<IOPCGroupStateMgt> state;
    group->QueryInterface(IID_IOPCGroupStateMgt, state.putVoid());
    DWORD rate, locale;
    BOOL active;
    LPWSTR name = nullptr;
    LONG bias;
    FLOAT deadband;
    OPCHANDLE client, handle;
    state->GetState(&rate, &active, &name, &bias, &deadband, &locale, &client, &handle);
    CoTaskMemFree(name);
    state = nullptr;
    group = nullptr;
    server->RemoveGroup(handle, TRUE);
  }
  std::vector<OPCHANDLE> addAll(IOPCItemMgt* group) {
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    group->AddItems(static_cast<DWORD>(definitions.size()), definitions.data(), &results, &errors);
    std::vector<OPCHANDLE> handles(definitions.size());
    for (size_t index = 0; index < handles.size(); ++index) handles[index] = results[index].hServer;
    CoTaskMemFree(results);
    CoTaskMemFree(errors);
    return handles;
  }
};

Server& serverFor(int64_t items) {
  static std::map<int64_t, std::unique_ptr<Server>> servers;
  auto& slot = servers[items];
  if (!slot) slot = std::make_unique<Server>(items);
  return *slot;
}

size_t readAllStrings(IEnumString* enumerator) {
  size_t count = 0;
  LPOLESTR batch[10];
  ULONG fetched = 0;
  HRESULT hr;
  do {
    hr = enumerator->Next(10, batch, &fetched);
    for (ULONG index = 0; index < fetched; ++index) CoTaskMemFree(batch[index]);
    count += fetched;
  } while (hr == S_OK);
  return count;
}

void BrowseFlat_Server(benchmark::State& state) {
  Server& s = serverFor(state.range(0));
  size_t count = 0;
  for (auto _ : state) {
    com::Ptr<IEnumString> enumerator;
    s.browse->BrowseOPCItemIDs(OPC_FLAT, u"", VT_EMPTY, 0, enumerator.put());
    count = readAllStrings(enumerator.get());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(count));
}

void BrowseFlat_Baseline(benchmark::State& state) {
  Server& s = serverFor(state.range(0));
  for (auto _ : state) {
    std::vector<std::u16string> copy = s.ids;
    com::Ptr<IEnumString> enumerator;
    com::EnumString::create(std::move(copy), enumerator.put());
    readAllStrings(enumerator.get());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void AddItems_Server(benchmark::State& state) {
  Server& s = serverFor(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    com::Ptr<IOPCItemMgt> group = s.addGroup();
    state.ResumeTiming();
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    group->AddItems(static_cast<DWORD>(s.definitions.size()), s.definitions.data(), &results, &errors);
    CoTaskMemFree(results);
    CoTaskMemFree(errors);
    state.PauseTiming();
    s.removeGroup(group);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void AddItems_Baseline(benchmark::State& state) {
  Server& s = serverFor(state.range(0));
  std::unordered_map<std::u16string, uint32_t> index;
  for (uint32_t i = 0; i < s.ids.size(); ++i) index.emplace(s.ids[i], i);
  for (auto _ : state) {
    auto* results = static_cast<OPCITEMRESULT*>(CoTaskMemAlloc(s.definitions.size() * sizeof(OPCITEMRESULT)));
    auto* errors = static_cast<HRESULT*>(CoTaskMemAlloc(s.definitions.size() * sizeof(HRESULT)));
    std::unordered_map<OPCHANDLE, uint32_t> items;
    for (size_t i = 0; i < s.definitions.size(); ++i) {
      auto found = index.find(s.definitions[i].szItemID);
      items.emplace(static_cast<OPCHANDLE>(i + 1), found->second);
      results[i] = OPCITEMRESULT{static_cast<OPCHANDLE>(i + 1), VT_I4, 0, 3, 0, nullptr};
      errors[i] = S_OK;
    }
    benchmark::DoNotOptimize(items.size());
    CoTaskMemFree(results);
    CoTaskMemFree(errors);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void ReadCache_Server(benchmark::State& state) {
  Server& s = serverFor(state.range(0));
  com::Ptr<IOPCItemMgt> group = s.addGroup();
  std::vector<OPCHANDLE> handles = s.addAll(group.get());
  com::Ptr<IOPCSyncIO> io;
  group->QueryInterface(IID_IOPCSyncIO, io.putVoid());
  for (auto _ : state) {
    OPCITEMSTATE* states = nullptr;
    HRESULT* errors = nullptr;
    io->Read(OPC_DS_CACHE, static_cast<DWORD>(handles.size()), handles.data(), &states, &errors);
    for (size_t i = 0; i < handles.size(); ++i) VariantClear(&states[i].vDataValue);
    CoTaskMemFree(states);
    CoTaskMemFree(errors);
  }
  io = nullptr;
  s.removeGroup(group);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void ReadCache_Baseline(benchmark::State& state) {
  const auto count = static_cast<size_t>(state.range(0));
  std::vector<VARIANT> values(count);
  for (size_t i = 0; i < count; ++i) {
    values[i].vt = VT_I4;
    values[i].lVal = static_cast<LONG>(i);
  }
  for (auto _ : state) {
    auto* states = static_cast<OPCITEMSTATE*>(CoTaskMemAlloc(count * sizeof(OPCITEMSTATE)));
    auto* errors = static_cast<HRESULT*>(CoTaskMemAlloc(count * sizeof(HRESULT)));
    for (size_t i = 0; i < count; ++i) {
      states[i].hClient = static_cast<OPCHANDLE>(i);
      states[i].wQuality = 0xC0;
      VariantInit(&states[i].vDataValue);
      VariantCopy(&states[i].vDataValue, &values[i]);
      errors[i] = S_OK;
    }
    for (size_t i = 0; i < count; ++i) VariantClear(&states[i].vDataValue);
    CoTaskMemFree(states);
    CoTaskMemFree(errors);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BrowseFlat_Server)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BrowseFlat_Baseline)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(AddItems_Server)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(AddItems_Baseline)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadCache_Server)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadCache_Baseline)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // CPU time, because on a busy machine the wall time mostly measures the
  // other processes.
  bench::RatioReporter reporter(bench::RatioReporter::Clock::Cpu);
  return bench::runBenchmarks(argc, argv, reporter, [&] {
    for (const std::string call : {"BrowseFlat", "AddItems", "ReadCache"}) {
      for (const std::string size : {"10000", "100000"}) {
        const auto server = reporter.seconds(call + "_Server/" + size);
        const auto baseline = reporter.seconds(call + "_Baseline/" + size);
        if (!server || !baseline || *baseline <= 0) continue;
        std::printf("%s of %s items: server %.1f ns per item\n", call.c_str(), size.c_str(),
                    *server * 1e9 / std::stod(size));
        bench::printRatio(call + "/" + size, "server/baseline", *server / *baseline);
      }
      const auto small = reporter.seconds(call + "_Server/10000");
      const auto large = reporter.seconds(call + "_Server/100000");
      if (small && large && *small > 0) {
        std::printf("growth %-10s 10x the items take %.1fx the time (linear: 10x)\n", call.c_str(), *large / *small);
      }
    }
  });
}
