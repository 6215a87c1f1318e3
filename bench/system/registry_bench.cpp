// The registry stand-in against what it saves work over, measured in the
// same run on a store of 5,000 registered classes (15,001 keys):
//   - Lookup: open CLSID\{...}\InprocServer32, read its default value,
//     close. Baseline: read and parse the file at every lookup, which is
//     what a store without the per-version cache would do.
//   - Write: change one value (lock, re-read check, rewrite, fsync,
//     rename). Baseline: writing the same file once with fsync and rename,
//     the I/O no safe writer can avoid.
// After the run the ratios (baseline time / registry time; above 1 means
// the registry is faster) are printed for each pair.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "common/file_io.h"
#include "registry/reg_text.h"
#include "win/registry.h"
#include "win/registry_store.h"
#include "win/winerror.h"

#include "ratio_reporter.h"

namespace {

constexpr int kClasses = 5000;

std::string clsid(int i) {
  char text[64];
  std::snprintf(text, sizeof text, "{%08X-0000-0000-C000-000000000046}", i);
  return text;
}

// A scratch store with kClasses registered classes, made once per process.
class ScratchStore {
 public:
  ScratchStore() {
    char pattern[] = "/tmp/velmora-registry-bench-XXXXXX";
    dir_ = mkdtemp(pattern);
    path_ = dir_ + "/registry.reg";
    setenv("VELMORA_REGISTRY", path_.c_str(), 1);
    std::string text = "Windows Registry Editor Version 5.00\n\n";
    for (int i = 0; i < kClasses; ++i) {
      const std::string id = clsid(i);
      text += "[HKEY_CLASSES_ROOT\\Bench.Server." + std::to_string(i) + "]\n@=\"Server " + std::to_string(i) +
              "\"\n\n[HKEY_CLASSES_ROOT\\CLSID\\" + id + "\\InprocServer32]\n@=\"/opt/velmora/lib/server" +
              std::to_string(i) + ".so\"\n\"ThreadingModel\"=\"Both\"\n\n";
    }
    if (win::importRegistryText(text) != ERROR_SUCCESS) std::abort();
  }
  ~ScratchStore() { std::filesystem::remove_all(dir_); }

  const std::string& path() const { return path_; }

 private:
  std::string dir_;
  std::string path_;
};

ScratchStore& store() {
  static ScratchStore instance;
  return instance;
}

std::string inprocKey(int i) { return "CLSID\\" + clsid(i) + "\\InprocServer32"; }

void Lookup_Registry(benchmark::State& state) {
  store();
  int i = 0;
  for (auto _ : state) {
    HKEY key;
    char value[256];
    LONG size = sizeof value;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, inprocKey(i).c_str(), &key) != ERROR_SUCCESS ||
        RegQueryValueA(key, nullptr, value, &size) != ERROR_SUCCESS) {
      state.SkipWithError("lookup failed");
    }
    RegCloseKey(key);
    i = (i + 7919) % kClasses;
  }
  state.SetItemsProcessed(state.iterations());
}

void Lookup_Baseline(benchmark::State& state) {
  const std::string path = store().path();
  int i = 0;
  for (auto _ : state) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::string text;
    win::readAll(fd, text);
    close(fd);
    win::registry::RegistryKey root;
    win::registry::applyRegText(text, root);
    win::registry::KeyPath keyPath{"CLSID", clsid(i), "InprocServer32"};
    const win::registry::RegistryKey* key = win::registry::findKey(root, keyPath);
    if (!key || !key->findValue("")) state.SkipWithError("lookup failed");
    i = (i + 7919) % kClasses;
  }
  state.SetItemsProcessed(state.iterations());
}

void Write_Registry(benchmark::State& state) {
  store();
  int i = 0;
  for (auto _ : state) {
    if (RegSetValueA(HKEY_CLASSES_ROOT, "Bench.Server.0", REG_SZ, std::to_string(i++).c_str(), 0) !=
        ERROR_SUCCESS) {
      state.SkipWithError("write failed");
    }
  }
  state.SetItemsProcessed(state.iterations());
}

void Write_Baseline(benchmark::State& state) {
  std::string text;
  if (win::exportRegistryText(nullptr, text) != ERROR_SUCCESS) std::abort();
  const std::string copy = store().path() + ".baseline";
  for (auto _ : state) {
    if (win::replaceFile(copy, text) != ERROR_SUCCESS) state.SkipWithError("write failed");
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(Lookup_Registry);
BENCHMARK(Lookup_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(Write_Registry)->Unit(benchmark::kMillisecond);
BENCHMARK(Write_Baseline)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  bench::RatioReporter reporter;
  return bench::runBenchmarks(argc, argv, reporter, [&] { reporter.printRatios("Registry", "baseline/registry"); });
}
