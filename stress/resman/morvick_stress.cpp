// Several threads register, unregister, parent and free objects in several
// classes of one Morvick while application events arrive, and others create
// and delete classes so that the first and the last class come and go.
// Nothing may be lost: every resource is freed exactly once or is still
// registered at the end, and the host gets all its memory back.

#include <host/runtime_host.h>
#include <resman/rsm.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace {

struct Api {
  RsmClassCreateFktFunction classCreateFkt;
  RsmClassDeleteFunction classDelete;
  RsmClassFreeFunction classFree;
  RsmRegisterFunction registerObject;
  RsmUnregisterFunction unregisterObject;
  RsmSetParentFunction setParent;
  RsmCheckFunction check;
  RsmGetInfoFunction getInfo;
  RsmGetClassInfoFunction getClassInfo;
};
Api api{};

// A resource's life: registered, then either freed by a free function or
// unregistered by its owner. Whoever moves it out of Registered first
// unregisters it, so each registration ends exactly once.
enum State : int { kNew, kRegistered, kFreed, kUnregistered };

struct Resource {
  std::atomic<int> state{kNew};
  std::atomic<int> freeCalls{0};
  uintptr_t handle = 0;  // written by the owner only
};

uint16_t freeResource(uintptr_t object) {
  uint16_t result = 0;
  uintptr_t value = api.check(object, &result);
  if (value == 0) return 0;  // its owner unregistered it meanwhile
  auto* resource = reinterpret_cast<Resource*>(value);
  int expected = kRegistered;
  if (resource->state.compare_exchange_strong(expected, kFreed)) {
    resource->freeCalls.fetch_add(1);
    api.unregisterObject(object);
  }
  return 0;
}

bool unregisterOwned(Resource& resource) {
  int expected = kRegistered;
  if (!resource.state.compare_exchange_strong(expected, kUnregistered)) return false;
  api.unregisterObject(resource.handle);
  return true;
}

class MorvickStress : public ::testing::Test {
 protected:
  void SetUp() override {
    host = std::make_unique<host::RuntimeHost>();
    application = &host->applications().add("Plant");
    ASSERT_NE(host->start(MORVICK_LIBRARY_PATH), nullptr) << host->loadError();
    api = Api{host->function<RsmClassCreateFktFunction>("RSM_ClassCreateFkt"),
              host->function<RsmClassDeleteFunction>("RSM_ClassDelete"),
              host->function<RsmClassFreeFunction>("RSM_ClassFree"),
              host->function<RsmRegisterFunction>("RSM_Register"),
              host->function<RsmUnregisterFunction>("RSM_Unregister"),
              host->function<RsmSetParentFunction>("RSM_SetParent"),
              host->function<RsmCheckFunction>("RSM_Check"),
              host->function<RsmGetInfoFunction>("RSM_GetInfo"),
              host->function<RsmGetClassInfoFunction>("RSM_GetClassInfo")};
  }
  void TearDown() override {
    EXPECT_TRUE(host->violations().empty()) << host->violations().front();
    EXPECT_EQ(host->memory().stats(RSM_MEMORY_TAG).liveBlocks, 0u);
    EXPECT_EQ(host->semaphores().live(), 0u);
    EXPECT_EQ(host->events().openCount(), 0);
    EXPECT_TRUE(host->unloadAll());
    host.reset();
  }

  // Fires the matching application event until told to stop.
  std::thread eventThread(std::atomic<bool>& stop) {
    return std::thread([this, &stop] {
      HostEventData data{application, "Plant"};
      HostEventParameter parameter{};
      parameter.kind = 1;
      parameter.data = &data;
      while (!stop.load()) {
        host->events().fire(RSM_EVENT_APPLICATION_A, &parameter);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
    });
  }

  std::unique_ptr<host::RuntimeHost> host;
  HostApplication* application = nullptr;
};

TEST_F(MorvickStress, RegisterUnregisterParentAndFreeWhileEventsArrive) {
  constexpr int kClasses = 4;
  constexpr int kWorkers = 4;
  constexpr int kResourcesPerWorker = 100000;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);

  std::vector<uintptr_t> classes;
  for (int i = 0; i < kClasses; ++i) {
    uint16_t result = 0;
    classes.push_back(api.classCreateFkt(&freeResource, i == 0 ? 0 : 3, &result));
    ASSERT_NE(classes.back(), 0u);
  }
  std::vector<std::vector<Resource>> resources(kWorkers);
  for (auto& own : resources) own = std::vector<Resource>(kResourcesPerWorker);

  std::atomic<bool> stop{false};
  std::thread events = eventThread(stop);
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&, w] {
      std::mt19937 random(w + 1);
      std::vector<Resource>& own = resources[w];
      size_t next = 0;
      std::vector<size_t> live;
      while (std::chrono::steady_clock::now() < deadline && next < own.size()) {
        int operation = random() % 10;
        if (operation < 4) {
          Resource& resource = own[next++];
          uintptr_t cls = classes[random() % kClasses];
          uint16_t result = 0;
          // Registered before the call: a free may come the moment it is in.
          resource.state.store(kRegistered);
          uintptr_t handle = api.registerObject(cls, reinterpret_cast<uintptr_t>(&resource), &result);
          if (handle == 0) {
            resource.state.store(kNew);
            EXPECT_TRUE(result == RSM_RESULT_REFUSED || result == RSM_RESULT_NO_MEMORY) << result;
            continue;
          }
          resource.handle = handle;
          live.push_back(next - 1);
        } else if (operation < 6 && !live.empty()) {
          size_t pick = random() % live.size();
          unregisterOwned(own[live[pick]]);
          live[pick] = live.back();
          live.pop_back();
        } else if (operation < 8 && !live.empty()) {
          Resource& resource = own[live[random() % live.size()]];
          if (resource.state.load() == kRegistered) api.setParent(resource.handle, random() % 2);
        } else if (operation == 8) {
          api.classFree(random() % 2 ? 0 : classes[random() % kClasses]);
        } else {
          RsmInfo info{};
          EXPECT_EQ(api.getInfo(&info), RSM_RESULT_OK);
        }
      }
    });
  }
  for (auto& worker : workers) worker.join();
  stop = true;
  events.join();

  // Everything not freed or unregistered must still be registered; then free
  // the rest, parented ones included.
  for (auto& own : resources) {
    for (Resource& resource : own) {
      if (resource.state.load() != kRegistered) continue;
      uint16_t result = 0;
      ASSERT_EQ(api.check(resource.handle, &result), reinterpret_cast<uintptr_t>(&resource));
      api.setParent(resource.handle, 0);
    }
  }
  EXPECT_EQ(api.classFree(0), RSM_RESULT_OK);
  size_t freedByFunction = 0;
  for (auto& own : resources) {
    for (Resource& resource : own) {
      int state = resource.state.load();
      EXPECT_NE(state, kRegistered);
      EXPECT_EQ(resource.freeCalls.load(), state == kFreed ? 1 : 0);
      freedByFunction += state == kFreed;
    }
  }
  EXPECT_GT(freedByFunction, 0u);
  for (uintptr_t cls : classes) {
    RsmClassInfo info{};
    ASSERT_EQ(api.getClassInfo(cls, &info), RSM_RESULT_OK);
    EXPECT_EQ(info.registered, 0u);
    EXPECT_EQ(api.classDelete(cls), RSM_RESULT_OK);
  }
}

TEST_F(MorvickStress, FirstAndLastClassesComeAndGoConcurrently) {
  constexpr int kThreads = 3;
  constexpr int kRounds = 400;
  std::atomic<bool> stop{false};
  std::thread events = eventThread(stop);
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      std::vector<Resource> own(5);
      for (int round = 0; round < kRounds; ++round) {
        uint16_t result = 0;
        uintptr_t cls = api.classCreateFkt(&freeResource, 2, &result);
        if (cls == 0) {
          ++failures;
          continue;
        }
        for (Resource& resource : own) {
          resource.state.store(kRegistered);
          resource.freeCalls.store(0);
          resource.handle = api.registerObject(cls, reinterpret_cast<uintptr_t>(&resource), &result);
          if (resource.handle == 0) resource.state.store(kNew);
        }
        // Another thread's free may hold the flag: try again until empty.
        while (api.classDelete(cls) == RSM_RESULT_CLASS_IN_USE) {
          api.classFree(cls);
          std::this_thread::yield();
        }
        for (Resource& resource : own) {
          if (resource.state.load() == kFreed && resource.freeCalls.load() != 1) ++failures;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  stop = true;
  events.join();
  EXPECT_EQ(failures.load(), 0);
  RsmInfo info{};
  api.getInfo(&info);
  EXPECT_EQ(info.classCount, 0u);
}

// More threads than the index lock has slots of its own, most of them short
// lived, register and unregister in one class while it keeps growing (each
// growth locks the index exclusively) and another class is created and
// deleted. Threads that end give their slots back to later ones; the others
// share one counter. The class grows past the size at which it keeps a
// lookup of its entries.
TEST_F(MorvickStress, MoreThreadsThanLockSlotsComeAndGoWhileClassesGrow) {
  constexpr int kWaves = 4;
  constexpr int kThreadsPerWave = 80;
  constexpr int kObjectsPerThread = 30;
  uint16_t result = 0;
  uintptr_t shared = api.classCreateFkt(&freeResource, 4, &result);
  ASSERT_NE(shared, 0u);
  std::atomic<bool> stop{false};
  std::thread churn([&] {
    while (!stop.load()) {
      uint16_t created = 0;
      uintptr_t cls = api.classCreateFkt(&freeResource, 1, &created);
      if (cls != 0) api.classDelete(cls);
      std::this_thread::yield();
    }
  });
  std::atomic<int> failures{0};
  for (int wave = 0; wave < kWaves; ++wave) {
    std::vector<std::thread> threads;
    // All threads of a wave live at once, so that some find no slot free,
    // and hold their objects at once, so that the class grows large enough
    // to keep a lookup, which is built while others register.
    std::latch started(kThreadsPerWave);
    std::latch allRegistered(kThreadsPerWave);
    for (int t = 0; t < kThreadsPerWave; ++t) {
      threads.emplace_back([&] {
        started.arrive_and_wait();
        std::vector<Resource> own(kObjectsPerThread);
        uint16_t registered = 0;
        for (Resource& resource : own) {
          resource.state.store(kRegistered);
          resource.handle = api.registerObject(shared, reinterpret_cast<uintptr_t>(&resource), &registered);
          if (resource.handle == 0) {
            // Others may take every entry of a block this call added before
            // its search comes round to them: a refusal, not a fault.
            if (registered != RSM_RESULT_REFUSED) ++failures;
            resource.state.store(kNew);
          } else if (api.check(resource.handle, &registered) != reinterpret_cast<uintptr_t>(&resource)) {
            ++failures;
          }
        }
        allRegistered.arrive_and_wait();
        for (Resource& resource : own) {
          if (resource.state.load() == kRegistered && !unregisterOwned(resource)) ++failures;
        }
      });
    }
    for (auto& thread : threads) thread.join();
  }
  stop = true;
  churn.join();
  EXPECT_EQ(failures.load(), 0);
  RsmClassInfo info{};
  ASSERT_EQ(api.getClassInfo(shared, &info), RSM_RESULT_OK);
  EXPECT_EQ(info.registered, 0u);
  EXPECT_GE(info.capacity, 1000u);
  EXPECT_EQ(api.classDelete(shared), RSM_RESULT_OK);
}

}  // namespace
