// The group pane's measuring commands and its refresh, each against a
// baseline in the same run, with the sample server's ManyItems branch at
// 10,000 and 100,000 items and no window drawn:
//   - "Add all Items" (AddAllItems_Quillon) against the bare calls it makes:
//     BrowseOPCItemIDs(OPC_FLAT) read to its end and one AddItems with
//     every ID (AddAllItems_Baseline);
//   - "Read all Items n" with n = 10 from the cache (ReadAllItems_Quillon)
//     against ten bare Read calls with the same handles (ReadAllItems_Baseline);
//   - reading the private pane with one group of all the items
//     (Refresh_Quillon) against inserting the same texts into a bare tree
//     widget (Refresh_Baseline).
// After the run it prints each ratio (Quillon's time over the baseline's)
// and how the time grows from 10,000 to 100,000 items (linear: 10x). On a
// busy machine, run with --benchmark_repetitions=5 to compare medians.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "com/allocator.h"
#include "com/oleauto.h"
#include "com/ptr.h"
#include "format/wide_text.h"
#include "opc/opcda.h"
#include "ratio_reporter.h"
#include "resources/quillon_resources.h"
#include "server_factory.h"
#include "session_double.h"
#include "workspace/add_all_items.h"
#include "workspace/group_view.h"
#include "workspace/read_all_items.h"

namespace {

constexpr DWORD kReadPasses = 10;
constexpr ULONG kNamesPerCall = 10;

// One server per size, kept for the whole run, with a session on it.
struct Bench {
  com::Ptr<IOPCServer> server;
  com::Ptr<IOPCBrowseServerAddressSpace> browse;
  std::unique_ptr<testing_support::SessionDouble> session;
  std::vector<std::u16string> manyItems;

  explicit Bench(int64_t items) {
    sample::ServerOptions options;
    options.manyItemCount = static_cast<uint32_t>(items);
    options.shutdownRequestFile = "/nonexistent/velmora-bench-no-shutdown-file";
    sample::createSampleServer(options, IID_IOPCServer, server.putVoid());
    server->QueryInterface(IID_IOPCBrowseServerAddressSpace, browse.putVoid());
    session = std::make_unique<testing_support::SessionDouble>(server.get());
    for (int64_t index = 0; index < items; ++index) {
      std::u16string id = u"ManyItems.Item";
      for (char c : std::to_string(index)) id.push_back(static_cast<char16_t>(c));
      manyItems.push_back(std::move(id));
    }
  }

  com::Ptr<IOPCItemMgt> addGroup(const char16_t* name) {
    com::Ptr<IOPCItemMgt> group;
    OPCHANDLE handle = 0;
    DWORD revised = 0;
    server->AddGroup(name, TRUE, 1000, 0, nullptr, nullptr, 0, &handle, &revised, IID_IOPCItemMgt,
                     reinterpret_cast<IUnknown**>(group.put()));
    return group;
  }
  void removeGroup(com::Ptr<IOPCItemMgt>& group) {
    com::Ptr<IOPCGroupStateMgt> state;
    group->QueryInterface(IID_IOPCGroupStateMgt, state.putVoid());
    DWORD rate = 0;
    DWORD locale = 0;
    BOOL active = FALSE;
    LPWSTR name = nullptr;
    LONG bias = 0;
    FLOAT deadband = 0;
    OPCHANDLE client = 0;
    OPCHANDLE handle = 0;
    state->GetState(&rate, &active, &name, &bias, &deadband, &locale, &client, &handle);
    CoTaskMemFree(name);
    state = nullptr;
    group = nullptr;
    server->RemoveGroup(handle, TRUE);
  }
  // Adds the ManyItems branch to the group; returns the server handles.
  std::vector<OPCHANDLE> addManyItems(IOPCItemMgt* group) {
    std::vector<OPCITEMDEF> definitions(manyItems.size());
    for (size_t i = 0; i < manyItems.size(); ++i) {
      definitions[i] = OPCITEMDEF{const_cast<LPWSTR>(u""), manyItems[i].data(), TRUE, static_cast<OPCHANDLE>(i),
                                  0, nullptr, VT_EMPTY, 0};
    }
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    group->AddItems(static_cast<DWORD>(definitions.size()), definitions.data(), &results, &errors);
    std::vector<OPCHANDLE> handles(definitions.size());
    for (size_t i = 0; i < definitions.size(); ++i) {
      handles[i] = results[i].hServer;
      CoTaskMemFree(results[i].pBlob);
    }
    CoTaskMemFree(results);
    CoTaskMemFree(errors);
    return handles;
  }
};

Bench& benchFor(int64_t items) {
  static std::map<int64_t, std::unique_ptr<Bench>> benches;
  std::unique_ptr<Bench>& bench = benches[items];
  if (!bench) bench = std::make_unique<Bench>(items);
  return *bench;
}

// ---- Add all Items ------------------------------------------------------------------------

void AddAllItems_Quillon(benchmark::State& state) {
  Bench& bench = benchFor(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    com::Ptr<IOPCItemMgt> group = bench.addGroup(u"Bench");
    FunctionResult result;
    state.ResumeTiming();
    workspace::AddAllItems(bench.browse.get(), group.get(), *bench.session, result);
    state.PauseTiming();
    bench.removeGroup(group);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void AddAllItems_Baseline(benchmark::State& state) {
  Bench& bench = benchFor(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    com::Ptr<IOPCItemMgt> group = bench.addGroup(u"Bench");
    state.ResumeTiming();
    IEnumString* enumerator = nullptr;
    bench.browse->BrowseOPCItemIDs(OPC_FLAT, u"", VT_EMPTY, 0, &enumerator);
    std::vector<LPOLESTR> ids;
    enumerator->Reset();
    HRESULT hr = S_OK;
    do {
      LPOLESTR names[kNamesPerCall] = {};
      ULONG count = 0;
      hr = enumerator->Next(kNamesPerCall, names, &count);
      ids.insert(ids.end(), names, names + count);
    } while (hr == S_OK);
    enumerator->Release();
    std::vector<OPCITEMDEF> definitions(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
      definitions[i] =
          OPCITEMDEF{const_cast<LPWSTR>(u""), ids[i], TRUE, static_cast<OPCHANDLE>(i), 0, nullptr, VT_EMPTY, 0};
    }
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    group->AddItems(static_cast<DWORD>(definitions.size()), definitions.data(), &results, &errors);
    for (size_t i = 0; i < ids.size(); ++i) {
      CoTaskMemFree(results[i].pBlob);
      CoTaskMemFree(ids[i]);
    }
    CoTaskMemFree(results);
    CoTaskMemFree(errors);
    state.PauseTiming();
    bench.removeGroup(group);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// ---- Read all Items n ---------------------------------------------------------------------

struct ReadGroup {
  com::Ptr<IOPCItemMgt> group;
  com::Ptr<IOPCSyncIO> syncIO;
  std::vector<OPCHANDLE> handles;
  std::vector<std::string> ids;
};

ReadGroup& readGroupFor(int64_t items) {
  static std::map<int64_t, std::unique_ptr<ReadGroup>> groups;
  std::unique_ptr<ReadGroup>& read = groups[items];
  if (!read) {
    Bench& bench = benchFor(items);
    read = std::make_unique<ReadGroup>();
    read->group = bench.addGroup(u"Read");
    read->group->QueryInterface(IID_IOPCSyncIO, read->syncIO.putVoid());
    read->handles = bench.addManyItems(read->group.get());
    for (DWORD i = 0; i < workspace::kListedItemStates; ++i) {
      read->ids.push_back(format::WideToText(bench.manyItems[i].c_str()));
    }
  }
  return *read;
}

void ReadAllItems_Quillon(benchmark::State& state) {
  Bench& bench = benchFor(state.range(0));
  ReadGroup& read = readGroupFor(state.range(0));
  for (auto _ : state) {
    FunctionResult result;
    workspace::ReadAllItems(read.syncIO.get(), read.handles.data(), static_cast<DWORD>(read.handles.size()), read.ids,
                            kReadPasses, true, *bench.session, result);
    benchmark::DoNotOptimize(result.lines.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * kReadPasses);
}

void ReadAllItems_Baseline(benchmark::State& state) {
  ReadGroup& read = readGroupFor(state.range(0));
  const auto count = static_cast<DWORD>(read.handles.size());
  for (auto _ : state) {
    for (DWORD pass = 0; pass < kReadPasses; ++pass) {
      OPCITEMSTATE* states = nullptr;
      HRESULT* errors = nullptr;
      read.syncIO->Read(OPC_DS_CACHE, count, read.handles.data(), &states, &errors);
      for (DWORD i = 0; i < count; ++i) VariantClear(&states[i].vDataValue);
      CoTaskMemFree(states);
      CoTaskMemFree(errors);
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * kReadPasses);
}

// ---- refreshing the pane ------------------------------------------------------------------

// The private pane, not shown, with one group holding every ManyItems item,
// on a server of its own so that the other benchmarks' groups are not in it.
struct RefreshPane {
  explicit RefreshPane(int64_t items) : bench(items) {}
  Bench bench;
  com::Ptr<IOPCItemMgt> group;
  CGroupView view;
};

RefreshPane& paneFor(int64_t items) {
  static std::map<int64_t, std::unique_ptr<RefreshPane>> panes;
  std::unique_ptr<RefreshPane>& pane = panes[items];
  if (!pane) {
    pane = std::make_unique<RefreshPane>(items);
    pane->group = pane->bench.addGroup(u"Tree");
    pane->bench.addManyItems(pane->group.get());
    pane->view.Create(nullptr, nullptr, nullptr);
    pane->view.SetScope(CGroupView::kPrivateScope, nullptr, pane->bench.session.get());
    pane->view.OnInitialUpdate();
  }
  return *pane;
}

void Refresh_Quillon(benchmark::State& state) {
  RefreshPane& pane = paneFor(state.range(0));
  for (auto _ : state) pane.view.RefreshGroupTree();
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Refresh_Baseline(benchmark::State& state) {
  RefreshPane& pane = paneFor(state.range(0));
  QStringList texts;
  for (const std::u16string& id : pane.bench.manyItems) texts << QString::fromUtf16(id.c_str());
  QTreeWidget tree;
  for (auto _ : state) {
    tree.clear();
    auto* root = new QTreeWidgetItem(&tree, QStringList("Private Groups"));
    auto* group = new QTreeWidgetItem(root, QStringList("Tree"));
    for (const QString& text : texts) new QTreeWidgetItem(group, QStringList(text));
    group->setExpanded(true);
    root->setExpanded(true);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void sizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(AddAllItems_Quillon)->Apply(sizes);
BENCHMARK(AddAllItems_Baseline)->Apply(sizes);
BENCHMARK(ReadAllItems_Quillon)->Apply(sizes);
BENCHMARK(ReadAllItems_Baseline)->Apply(sizes);
BENCHMARK(Refresh_Quillon)->Apply(sizes);
BENCHMARK(Refresh_Baseline)->Apply(sizes);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  quillon::RegisterQuillonResources();
  // CPU time, because on a busy machine the wall time mostly measures the
  // other processes.
  bench::RatioReporter reporter(bench::RatioReporter::Clock::Cpu);
  return bench::runBenchmarks(argc, argv, reporter, [&] {
    for (const std::string call : {"AddAllItems", "ReadAllItems", "Refresh"}) {
      for (const std::string size : {"10000", "100000"}) {
        const auto quillon = reporter.seconds(call + "_Quillon/" + size);
        const auto baseline = reporter.seconds(call + "_Baseline/" + size);
        if (!quillon || !baseline || *baseline <= 0) continue;
        bench::printRatio(call + "/" + size, "quillon/baseline", *quillon / *baseline);
      }
      const auto small = reporter.seconds(call + "_Quillon/10000");
      const auto large = reporter.seconds(call + "_Quillon/100000");
      if (small && large && *small > 0) {
        std::printf("growth %-12s 10x the items take %.1fx the time (linear: 10x)\n", call.c_str(), *large / *small);
      }
    }
  });
}
