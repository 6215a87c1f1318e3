// Decoding the values of a data-change stream of 10,000 mixed records, in
// MB/s, against a plain copy of the same bytes in the same run. After the
// run the ratio (copy time / decode time; 1 would mean decoding is as cheap
// as copying) is printed.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "format/stream_variant.h"
#include "stream_record_writer.h"

#include "ratio_reporter.h"

namespace {

using format::testing::StreamRecordWriter;

constexpr int kRecords = 10000;

// The kinds of value a server sends, in turn: numbers, booleans, dates,
// strings (also null ones), and arrays of numbers, strings and values.
std::vector<BYTE> mixedStream() {
  StreamRecordWriter stream;
  for (int i = 0; i < kRecords; ++i) {
    switch (i % 10) {
      case 0:
        stream.scalar(VT_I4, LONG{i});
        break;
      case 1:
        stream.scalar(VT_R8, i * 0.25);
        break;
      case 2:
        stream.scalar(VT_BOOL, (i & 1) != 0 ? VARIANT_TRUE : VARIANT_FALSE);
        break;
      case 3:
        stream.string(u"Channel1.Device1.Temperature");
        break;
      case 4:
        stream.nullString();
        break;
      case 5:
        stream.array<LONG>(VT_I4, {1, 2, 3, 4, 5, 6, 7, 8});
        break;
      case 6:
        stream.arrayHeader(VT_BSTR, 3, 0).stringBody(u"low").stringBody(u"normal").stringBody(u"high");
        break;
      case 7:
        stream.arrayHeader(VT_VARIANT, 2, 0).scalar(VT_I2, SHORT{7}).string(u"seven");
        break;
      case 8:
        stream.scalar(VT_DATE, 45000.5 + i);
        break;
      default:
        stream.scalar(VT_UI1, BYTE{42});
        break;
    }
  }
  return stream.bytes();
}

const std::vector<BYTE>& stream() {
  static const std::vector<BYTE> bytes = mixedStream();
  return bytes;
}

void DecodeStream_Decode(benchmark::State& state) {
  const std::vector<BYTE>& bytes = stream();
  const BYTE* const end = bytes.data() + bytes.size();
  for (auto _ : state) {
    int records = 0;
    for (const BYTE* at = bytes.data(); at < end;) {
      VARIANT value;
      const std::ptrdiff_t used = DecodeStreamVariant(&value, at, end);
      if (used < 0) {
        state.SkipWithError("a record did not decode");
        return;
      }
      benchmark::DoNotOptimize(value);
      VariantClear(&value);
      at += used;
      ++records;
    }
    if (records != kRecords) state.SkipWithError("wrong number of records");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void DecodeStream_Baseline(benchmark::State& state) {
  const std::vector<BYTE>& bytes = stream();
  std::vector<BYTE> copy(bytes.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), bytes.data(), bytes.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

BENCHMARK(DecodeStream_Decode)->Unit(benchmark::kMicrosecond);
BENCHMARK(DecodeStream_Baseline)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // CPU time, because both runs are single-threaded and the wall clock of a
  // shared machine also counts other programs.
  bench::RatioReporter reporter(bench::RatioReporter::Clock::Cpu);
  return bench::runBenchmarks(argc, argv, reporter, [&] {
    const auto decode = reporter.seconds("DecodeStream_Decode");
    const auto baseline = reporter.seconds("DecodeStream_Baseline");
    if (!decode || !baseline || *decode <= 0) return;
    std::printf("stream of %d records, %zu bytes (decoding is %.1f times slower than a copy)\n", kRecords,
                stream().size(), *decode / *baseline);
    bench::printRatio("DecodeStream", "copy/decode", *baseline / *decode, 4);
  });
}
