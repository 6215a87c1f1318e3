// Morvick against the registry one would write without it, a plain
// std::unordered_map behind a std::mutex, measured in the same run:
//   - register + unregister pairs, one at a time, in an empty class;
//   - RSM_ClassFree of 100,000 objects through their free function.
// After the run the ratios (baseline time / Morvick time; above 1 means
// Morvick is faster) are printed for each pair.
//
// Two series show how the cost grows with the size of a class:
//   - a register + unregister pair in a class that holds 1,000, 10,000 or
//     100,000 live objects besides (the cost should not grow);
//   - RSM_ClassFree of 10,000 and of 100,000 objects (the cost should grow
//     tenfold, no more).
// Times are CPU times: every run is single-threaded, and on a busy machine the
// wall clock also counts the other processes.

#include <host/runtime_host.h>
#include <resman/rsm.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "ratio_reporter.h"

namespace {

constexpr int kClassFreeObjects = 100000;

struct Morvick {
  std::unique_ptr<host::RuntimeHost> host = std::make_unique<host::RuntimeHost>();
  RsmClassCreateFktFunction classCreateFkt = nullptr;
  RsmClassDeleteFunction classDelete = nullptr;
  RsmClassFreeFunction classFree = nullptr;
  RsmRegisterFunction registerObject = nullptr;
  RsmUnregisterFunction unregisterObject = nullptr;

  Morvick() {
    if (host->start(MORVICK_LIBRARY_PATH) == nullptr) {
      std::fprintf(stderr, "%s\n", host->loadError().c_str());
      std::abort();
    }
    classCreateFkt = host->function<RsmClassCreateFktFunction>("RSM_ClassCreateFkt");
    classDelete = host->function<RsmClassDeleteFunction>("RSM_ClassDelete");
    classFree = host->function<RsmClassFreeFunction>("RSM_ClassFree");
    registerObject = host->function<RsmRegisterFunction>("RSM_Register");
    unregisterObject = host->function<RsmUnregisterFunction>("RSM_Unregister");
  }
};

Morvick& morvick() {
  static Morvick instance;
  return instance;
}

uint16_t unregisterMorvickObject(uintptr_t object) {
  morvick().unregisterObject(object);
  return 0;
}

// The baseline: handles from a counter, objects in a hash map.
class MapRegistry {
 public:
  using FreeFunction = uint16_t (*)(MapRegistry&, uintptr_t);
  explicit MapRegistry(FreeFunction freeFunction) : freeFunction_(freeFunction) {}

  uintptr_t registerObject(uintptr_t resource) {
    std::lock_guard lock(mutex_);
    uintptr_t handle = ++lastHandle_;
    objects_.emplace(handle, Object{resource, 0});
    return handle;
  }
  void unregisterObject(uintptr_t handle) {
    std::lock_guard lock(mutex_);
    objects_.erase(handle);
  }
  // Calls the free function for every parentless object, without the lock
  // (it unregisters), as the manager does.
  void freeAll() {
    std::vector<uintptr_t> handles;
    {
      std::lock_guard lock(mutex_);
      handles.reserve(objects_.size());
      for (const auto& [handle, object] : objects_) {
        if (object.parent == 0) handles.push_back(handle);
      }
    }
    for (uintptr_t handle : handles) freeFunction_(*this, handle);
  }
  size_t size() {
    std::lock_guard lock(mutex_);
    return objects_.size();
  }

 private:
  struct Object {
    uintptr_t resource;
    uintptr_t parent;
  };
  FreeFunction freeFunction_;
  std::mutex mutex_;
  std::unordered_map<uintptr_t, Object> objects_;
  uintptr_t lastHandle_ = 0;
};

uint16_t unregisterMapObject(MapRegistry& registry, uintptr_t handle) {
  registry.unregisterObject(handle);
  return 0;
}

void RegisterUnregister_Morvick(benchmark::State& state) {
  Morvick& m = morvick();
  uint16_t result = 0;
  uintptr_t cls = m.classCreateFkt(&unregisterMorvickObject, 0, &result);
  uintptr_t resource = 1;
  for (auto _ : state) {
    uintptr_t object = m.registerObject(cls, resource++, &result);
    m.unregisterObject(object);
  }
  m.classDelete(cls);
  state.SetItemsProcessed(state.iterations());
}

void RegisterUnregister_Baseline(benchmark::State& state) {
  MapRegistry registry(&unregisterMapObject);
  uintptr_t resource = 1;
  for (auto _ : state) registry.unregisterObject(registry.registerObject(resource++));
  state.SetItemsProcessed(state.iterations());
}

void ClassFree100k_Morvick(benchmark::State& state) {
  Morvick& m = morvick();
  uint16_t result = 0;
  uintptr_t cls = m.classCreateFkt(&unregisterMorvickObject, 0, &result);
  for (auto _ : state) {
    state.PauseTiming();
    for (uintptr_t resource = 1; resource <= kClassFreeObjects; ++resource) m.registerObject(cls, resource, &result);
    state.ResumeTiming();
    m.classFree(cls);
  }
  m.classDelete(cls);
  state.SetItemsProcessed(state.iterations() * kClassFreeObjects);
}

void ClassFree100k_Baseline(benchmark::State& state) {
  MapRegistry registry(&unregisterMapObject);
  for (auto _ : state) {
    state.PauseTiming();
    for (uintptr_t resource = 1; resource <= kClassFreeObjects; ++resource) registry.registerObject(resource);
    state.ResumeTiming();
    registry.freeAll();
  }
  state.SetItemsProcessed(state.iterations() * kClassFreeObjects);
}

// A register + unregister pair while the class holds `live` other objects.
void RegisterAmongLive(benchmark::State& state) {
  Morvick& m = morvick();
  uint16_t result = 0;
  const auto live = static_cast<uintptr_t>(state.range(0));
  uintptr_t cls = m.classCreateFkt(&unregisterMorvickObject, 0, &result);
  for (uintptr_t resource = 1; resource <= live; ++resource) m.registerObject(cls, resource, &result);
  uintptr_t resource = live + 1;
  for (auto _ : state) {
    uintptr_t object = m.registerObject(cls, resource++, &result);
    m.unregisterObject(object);
  }
  m.classFree(cls);
  m.classDelete(cls);
  state.SetItemsProcessed(state.iterations());
}

// RSM_ClassFree of `count` objects.
void ClassFreeOf(benchmark::State& state) {
  Morvick& m = morvick();
  uint16_t result = 0;
  const auto count = static_cast<uintptr_t>(state.range(0));
  uintptr_t cls = m.classCreateFkt(&unregisterMorvickObject, 0, &result);
  for (auto _ : state) {
    state.PauseTiming();
    for (uintptr_t resource = 1; resource <= count; ++resource) m.registerObject(cls, resource, &result);
    state.ResumeTiming();
    m.classFree(cls);
  }
  m.classDelete(cls);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(RegisterUnregister_Morvick);
BENCHMARK(RegisterUnregister_Baseline);
BENCHMARK(ClassFree100k_Morvick)->Unit(benchmark::kMillisecond);
BENCHMARK(ClassFree100k_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(RegisterAmongLive)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(ClassFreeOf)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  bench::RatioReporter reporter(bench::RatioReporter::Clock::Cpu);
  return bench::runBenchmarks(argc, argv, reporter, [&] {
    reporter.printRatios("Morvick", "baseline/Morvick");
    const auto fewLive = reporter.seconds("RegisterAmongLive/1000");
    const auto manyLive = reporter.seconds("RegisterAmongLive/100000");
    if (fewLive && manyLive && *fewLive > 0) {
      std::printf("growth RegisterAmongLive 100x the live objects take %.2fx the time per pair (flat: 1x)\n",
                  *manyLive / *fewLive);
    }
    const auto fewFreed = reporter.seconds("ClassFreeOf/10000");
    const auto manyFreed = reporter.seconds("ClassFreeOf/100000");
    if (fewFreed && manyFreed && *fewFreed > 0) {
      std::printf("growth ClassFreeOf       10x the objects take %.1fx the time (linear: 10x)\n",
                  *manyFreed / *fewFreed);
    }
  });
}
