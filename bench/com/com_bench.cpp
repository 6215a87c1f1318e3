// The COM runtime's data-change plumbing against the plain code it stands
// in for, measured in the same run:
//   - GlobalBlock: allocate a 256-byte moveable HGLOBAL, lock it, fill it,
//     unlock and free it, as a server does for every data-change callback.
//     Baseline: malloc, fill, free.
//   - Fire: a connection point with four sinks calls each of them once,
//     on a snapshot taken under its lock. Baseline: the same four calls
//     made while holding a mutex over a vector of raw sink pointers.
// After the run the ratios (baseline time / COM time; above 1 means the COM
// runtime is faster) are printed for each pair.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "com/connection_point.h"
#include "com/hglobal.h"
#include "com/interfaces/persist.h"

#include "ratio_reporter.h"

namespace {

constexpr size_t kBlockSize = 256;
constexpr int kSinks = 4;

void GlobalBlock_Com(benchmark::State& state) {
  for (auto _ : state) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, kBlockSize);
    void* data = GlobalLock(block);
    std::memset(data, 0x5A, kBlockSize);
    benchmark::DoNotOptimize(data);
    GlobalUnlock(block);
    GlobalFree(block);
  }
  state.SetItemsProcessed(state.iterations());
}

void GlobalBlock_Baseline(benchmark::State& state) {
  for (auto _ : state) {
    void* data = std::malloc(kBlockSize);
    std::memset(data, 0x5A, kBlockSize);
    benchmark::DoNotOptimize(data);
    std::free(data);
  }
  state.SetItemsProcessed(state.iterations());
}

DEFINE_GUID(IID_IBenchSink, 0x7E57B0A0, 0x0001, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01);

struct IBenchSink : IUnknown {
  virtual void STDMETHODCALLTYPE Notify(int value) = 0;
};

}  // namespace

COM_DECLARE_INTERFACE(IBenchSink, IID_IBenchSink, IUnknown);

namespace {

class Sink final : public com::Object<Sink, IBenchSink> {
 public:
  void STDMETHODCALLTYPE Notify(int value) override { total += value; }
  long long total = 0;
};

class Source final : public com::Object<Source, IPersist, com::ConnectionPointContainer> {
 public:
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
  com::ConnectionPoint<IBenchSink> sinks{*this};
};

void Fire_Com(benchmark::State& state) {
  com::Ptr<Source> source = com::makeObject<Source>();
  std::vector<com::Ptr<Sink>> sinks;
  for (int k = 0; k < kSinks; ++k) {
    sinks.push_back(com::makeObject<Sink>());
    DWORD cookie;
    source->sinks.Advise(sinks.back()->identity(), &cookie);
  }
  for (auto _ : state) {
    for (IBenchSink* sink : source->sinks.sinks()) sink->Notify(1);
  }
  benchmark::DoNotOptimize(sinks.front()->total);
  state.SetItemsProcessed(state.iterations());
}

void Fire_Baseline(benchmark::State& state) {
  std::vector<com::Ptr<Sink>> owned;
  std::vector<IBenchSink*> sinks;
  std::mutex mutex;
  for (int k = 0; k < kSinks; ++k) {
    owned.push_back(com::makeObject<Sink>());
    sinks.push_back(owned.back().get());
  }
  for (auto _ : state) {
    std::lock_guard lock(mutex);
    for (IBenchSink* sink : sinks) sink->Notify(1);
  }
  benchmark::DoNotOptimize(owned.front()->total);
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(GlobalBlock_Com);
BENCHMARK(GlobalBlock_Baseline);
BENCHMARK(Fire_Com);
BENCHMARK(Fire_Baseline);

}  // namespace

int main(int argc, char** argv) {
  bench::RatioReporter reporter;
  return bench::runBenchmarks(argc, argv, reporter, [&] { reporter.printRatios("Com", "baseline/com"); });
}
