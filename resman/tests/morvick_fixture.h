#pragma once

// Loads libmorvick.so into a fresh host for each test, binds its API
// functions by name, and checks at the end that the component kept the
// host's rules, left no memory, semaphore or event behind, and unloaded.

#include <host/runtime_host.h>
#include <resman/rsm.h>

#include <gtest/gtest.h>

#include <memory>

namespace morvick_test {

struct Rsm {
  RsmClassCreateFktFunction classCreateFkt;
  RsmClassDeleteFunction classDelete;
  RsmClassFreeFunction classFree;
  RsmGetClassFunction getClass;
  RsmGetClassInfoFunction getClassInfo;
  RsmRegisterFunction registerObject;
  RsmRegisterNoCheckFunction registerNoCheck;
  RsmUnregisterFunction unregisterObject;
  RsmGetParentFunction getParent;
  RsmSetParentFunction setParent;
  RsmCheckFunction check;
  RsmGetInfoFunction getInfo;
  RsmGetSupplierVersionFunction getSupplierVersion;
};

// The API of the loaded component, for free functions that call back.
inline Rsm rsm{};

inline Rsm bindRsm(const host::RuntimeHost& host) {
  return Rsm{
      host.function<RsmClassCreateFktFunction>("RSM_ClassCreateFkt"),
      host.function<RsmClassDeleteFunction>("RSM_ClassDelete"),
      host.function<RsmClassFreeFunction>("RSM_ClassFree"),
      host.function<RsmGetClassFunction>("RSM_GetClass"),
      host.function<RsmGetClassInfoFunction>("RSM_GetClassInfo"),
      host.function<RsmRegisterFunction>("RSM_Register"),
      host.function<RsmRegisterNoCheckFunction>("RSM_RegisterNoCheck"),
      host.function<RsmUnregisterFunction>("RSM_Unregister"),
      host.function<RsmGetParentFunction>("RSM_GetParent"),
      host.function<RsmSetParentFunction>("RSM_SetParent"),
      host.function<RsmCheckFunction>("RSM_Check"),
      host.function<RsmGetInfoFunction>("RSM_GetInfo"),
      host.function<RsmGetSupplierVersionFunction>("RSM_GetSupplierVersion"),
  };
}

// A free function that unregisters its object, as the manager expects.
inline uint16_t unregisteringFree(uintptr_t object) {
  rsm.unregisterObject(object);
  return 0;
}

class MorvickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host = std::make_unique<host::RuntimeHost>();
    prepareHost(*host);
    component = host->start(MORVICK_LIBRARY_PATH);
    ASSERT_NE(component, nullptr) << host->loadError();
    rsm = bindRsm(*host);
  }

  void TearDown() override {
    EXPECT_TRUE(host->violations().empty()) << host->violations().front();
    EXPECT_EQ(host->memory().stats(RSM_MEMORY_TAG).liveBlocks, 0u) << "memory left behind";
    EXPECT_EQ(host->semaphores().live(), 0u) << "semaphores left behind";
    EXPECT_EQ(host->events().openCount(), expectedOpenEventsAtEnd);
    EXPECT_TRUE(host->unloadAll()) << "libmorvick.so must leave the process";
    host.reset();
    rsm = Rsm{};
  }

  // Lets a test configure the host before the component loads.
  virtual void prepareHost(host::RuntimeHost&) {}

  uintptr_t createClass(uint32_t entriesPerBlock = 0, RsmFreeFunction freeFunction = &unregisteringFree) {
    uint16_t result = 0xFFFF;
    uintptr_t cls = rsm.classCreateFkt(freeFunction, entriesPerBlock, &result);
    EXPECT_EQ(result, RSM_RESULT_OK);
    EXPECT_NE(cls, 0u);
    return cls;
  }

  uintptr_t registerObject(uintptr_t cls, uintptr_t resource) {
    uint16_t result = 0xFFFF;
    uintptr_t object = rsm.registerObject(cls, resource, &result);
    EXPECT_EQ(result, RSM_RESULT_OK);
    EXPECT_NE(object, 0u);
    return object;
  }

  RsmClassInfo classInfo(uintptr_t cls) {
    RsmClassInfo info{};
    EXPECT_EQ(rsm.getClassInfo(cls, &info), RSM_RESULT_OK);
    return info;
  }

  std::unique_ptr<host::RuntimeHost> host;
  host::LoadedComponent* component = nullptr;
  int expectedOpenEventsAtEnd = 0;
};

}  // namespace morvick_test
