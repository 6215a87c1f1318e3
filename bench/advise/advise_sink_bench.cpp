// A data-advise sink receiving "OPCSTMFORMATDATATIME" callbacks of 1,000
// items, as the sample server sends them at its fastest update rate (10 ms),
// against decoding the values of the same stream alone, in the same run.
// The sink's receiver does what the advise dialog does with a callback: it
// looks for its item by client handle, keeps a copy of its data under the
// lock and counts a display request.
//
// After the run, "ratio ... decode/sink" is the decoding time over the
// sink's time: 1 means the sink adds nothing to decoding; the sink may
// take at most 1.5 times as long (a ratio of at least 0.67). The summary
// also gives one callback's time as a share of the 10 ms update period.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <vector>

#include "advise/data_advise_sink.h"
#include "advise/watched_item.h"
#include "data_stream_writer.h"
#include "format/stream_variant.h"
#include "opc/quality.h"
#include "ratio_reporter.h"

namespace {

using advise::testing::CopyToGlobal;
using advise::testing::DataStreamWriter;
using format::testing::StreamRecordWriter;

constexpr int kItems = 1000;
constexpr double kFastestUpdatePeriod = 0.010;  // seconds
// The watched item is the last of the stream: the search passes them all.
constexpr OPCHANDLE kWatchedHandle = kItems - 1;

// The item kinds of the sample server, in turn: integers, reals, booleans,
// texts, time stamps and a small array.
std::vector<BYTE> callbackStream() {
  DataStreamWriter stream(DataStreamWriter::kWithTime);
  const FILETIME time{0x89ABCDEF, 0x01DA0000};
  for (int i = 0; i < kItems; ++i) {
    stream.item(static_cast<OPCHANDLE>(i), OPC_QUALITY_GOOD, time, [i](StreamRecordWriter& v) {
      switch (i % 6) {
        case 0:
          v.scalar(VT_I4, LONG{i});
          break;
        case 1:
          v.scalar(VT_R8, i * 0.5);
          break;
        case 2:
          v.scalar(VT_BOOL, (i & 1) != 0 ? VARIANT_TRUE : VARIANT_FALSE);
          break;
        case 3:
          v.string(u"Simulation.Text value");
          break;
        case 4:
          v.scalar(VT_DATE, 45000.25 + i);
          break;
        default:
          v.array<float>(VT_R4, {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f});
          break;
      }
    });
  }
  return stream.bytes();
}

const std::vector<BYTE>& stream() {
  static const std::vector<BYTE> bytes = callbackStream();
  return bytes;
}

// The dialog's side of a callback, without the window: the posted display
// request becomes a count.
class DialogLikeReceiver : public AdviseCallback {
 public:
  DialogLikeReceiver() { watched_.SetClientHandle(kWatchedHandle); }
  void OnData(const OPCGROUPHEADER*, const OPCITEMHEADER2*, const VARIANT*) override {}
  void OnDataWithTime(const OPCGROUPHEADER* header, const OPCITEMHEADER1* items, const VARIANT* values) override {
    if (watched_.Take(*header, items, values)) displayRequests.fetch_add(1, std::memory_order_relaxed);
  }
  void OnWriteComplete(const OPCGROUPHEADERWRITE*, const OPCITEMHEADERWRITE*) override {}

  std::atomic<long> displayRequests{0};

 private:
  advise::WatchedItem watched_;
};

class NullUnknown : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

void AdviseCallback_Sink(benchmark::State& state) {
  DialogLikeReceiver receiver;
  NullUnknown group;  // the sink needs no data object to be called
  CDataAdviseSink* sink = CDataAdviseSink::Create();
  sink->ConnectToGroup(&group, &receiver);
  HGLOBAL block = CopyToGlobal(stream());
  FORMATETC format{sink->dataTimeFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = block;
  for (auto _ : state) sink->OnDataChange(&format, &medium);
  if (receiver.displayRequests.load() != static_cast<long>(state.iterations())) {
    state.SkipWithError("a callback did not reach the receiver");
  }
  sink->Release();
  GlobalFree(block);
}

void AdviseCallback_Baseline(benchmark::State& state) {
  const std::vector<BYTE>& bytes = stream();
  const BYTE* const values = bytes.data() + sizeof(OPCGROUPHEADER) + kItems * sizeof(OPCITEMHEADER1);
  const BYTE* const end = bytes.data() + bytes.size();
  std::vector<VARIANT> decoded(kItems);
  for (auto _ : state) {
    const BYTE* at = values;
    for (VARIANT& value : decoded) {
      const std::ptrdiff_t used = DecodeStreamVariant(&value, at, end);
      if (used < 0) {
        state.SkipWithError("a value did not decode");
        return;
      }
      at += used;
    }
    benchmark::DoNotOptimize(decoded.data());
    for (VARIANT& value : decoded) VariantClear(&value);
  }
}

BENCHMARK(AdviseCallback_Sink)->Unit(benchmark::kMicrosecond);
BENCHMARK(AdviseCallback_Baseline)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // CPU time: both runs are single-threaded, and the wall clock of a shared
  // machine also counts other programs.
  bench::RatioReporter reporter(bench::RatioReporter::Clock::Cpu);
  return bench::runBenchmarks(argc, argv, reporter, [&] {
    const auto sink = reporter.seconds("AdviseCallback_Sink");
    const auto baseline = reporter.seconds("AdviseCallback_Baseline");
    if (!sink || !baseline || *sink <= 0) return;
    std::printf("callback of %d items, %zu bytes: %.1f us, %.2f%% of the fastest update period (10 ms)\n", kItems,
                stream().size(), *sink * 1e6, *sink / kFastestUpdatePeriod * 100);
    bench::printRatio("AdviseCallback", "decode/sink", *baseline / *sink, 3);
  });
}
