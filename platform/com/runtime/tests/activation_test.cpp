#include "com/activation.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "com/apartment.h"
#include "com/interfaces/class_factory.h"
#include "com/interfaces/data_object.h"
#include "com/interfaces/persist.h"
#include "com/ptr.h"
#include "scratch_registry.h"
#include "test_server/test_server_ids.h"
#include "win/lasterror.h"
#include "win/registry.h"

namespace {

DEFINE_GUID(CLSID_Unregistered, 0x0BADC0DE, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01);
DEFINE_GUID(CLSID_MissingLibrary, 0x0BADC0DE, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02);
DEFINE_GUID(CLSID_NotAServer, 0x0BADC0DE, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03);
DEFINE_GUID(CLSID_NoInprocServer, 0x0BADC0DE, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04);

std::string serverPath() {
  char path[PATH_MAX];
  return realpath(COM_TEST_SERVER_PATH, path) != nullptr ? path : COM_TEST_SERVER_PATH;
}

// Whether the test server is mapped into the process now.
bool serverLoaded() {
  void* handle = dlopen(serverPath().c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

std::string classKey(REFCLSID clsid) {
  OLECHAR text[39];
  StringFromGUID2(clsid, text, 39);
  return "CLSID\\" + std::string(text, text + 38);
}

void registerLibrary(REFCLSID clsid, const std::string& library) {
  const std::string key = classKey(clsid) + "\\InprocServer32";
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, library.c_str(), 0), ERROR_SUCCESS);
}

// A library that is no COM server: the one that holds GetLastError.
std::string libraryWithoutEntries() {
  Dl_info info{};
  dladdr(reinterpret_cast<void*>(&GetLastError), &info);
  return info.dli_fname;
}

class Activation : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    registry_ = new ScratchRegistry;
    ASSERT_TRUE(registry_->ready());
    ASSERT_EQ(runRegsvr({COM_TEST_SERVER_PATH}), 0);
    registerLibrary(CLSID_MissingLibrary, "/nonexistent/libvelmora-missing-server.so");
    registerLibrary(CLSID_NotAServer, libraryWithoutEntries());
    registerLibrary(CLSID_TestNotServed, serverPath());
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, classKey(CLSID_NoInprocServer).c_str(), REG_SZ, "no server", 0),
              ERROR_SUCCESS);
  }
  static void TearDownTestSuite() {
    delete registry_;
    registry_ = nullptr;
  }

  void SetUp() override { ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK); }
  void TearDown() override {
    CoUninitialize();
    EXPECT_FALSE(serverLoaded()) << "the last CoUninitialize unloads the idle server";
  }

  static ScratchRegistry* registry_;
};

ScratchRegistry* Activation::registry_ = nullptr;

TEST_F(Activation, LoadsCreatesReleasesAndUnloadsTheServer) {
  ASSERT_FALSE(serverLoaded());
  com::Ptr<IPersist> widget;
  ASSERT_EQ(CoCreateInstance(CLSID_TestWidget, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(widget.put())),
            S_OK);
  EXPECT_TRUE(serverLoaded());
  CLSID clsid;
  ASSERT_EQ(widget->GetClassID(&clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_TestWidget);

  CoFreeUnusedLibraries();
  EXPECT_TRUE(serverLoaded()) << "an object of the server is still alive";
  widget.reset();
  CoFreeUnusedLibraries();
  EXPECT_FALSE(serverLoaded());

  ASSERT_EQ(CoCreateInstance(CLSID_TestWidget, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(widget.put())),
            S_OK)
      << "loaded again after unloading";
}

TEST_F(Activation, ClassObjectAndLockServerKeepTheServerLoaded) {
  com::Ptr<IClassFactory> factory;
  ASSERT_EQ(CoGetClassObject(CLSID_TestWidget, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(factory.put())),
            S_OK);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  factory.reset();
  CoFreeUnusedLibraries();
  EXPECT_TRUE(serverLoaded());

  ASSERT_EQ(CoGetClassObject(CLSID_TestWidget, CLSCTX_LOCAL_SERVER, nullptr, IID_PPV_ARGS(factory.put())),
            S_OK);
  ASSERT_EQ(factory->LockServer(FALSE), S_OK);
  com::Ptr<IPersistFile> file;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(file.put())), S_OK);
  EXPECT_EQ(file->IsDirty(), S_FALSE);
}

TEST_F(Activation, ContextsChooseWhatServesTheRequest) {
  struct Case {
    const char* what;
    DWORD context;
    bool withOuter;
    HRESULT expected;
  };
  const Case cases[] = {
      {"in-process server", CLSCTX_INPROC_SERVER, false, S_OK},
      {"local server: the in-process server as its own surrogate", CLSCTX_LOCAL_SERVER, false, S_OK},
      {"remote server on this computer", CLSCTX_REMOTE_SERVER, false, S_OK},
      {"the session's local contexts", CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
       false, S_OK},
      {"all", CLSCTX_ALL, false, S_OK},
      {"handler only: no class has one", CLSCTX_INPROC_HANDLER, false, REGDB_E_CLASSNOTREG},
      {"no server kind", 0, false, E_INVALIDARG},
      {"no server kind, only flags", CLSCTX_NO_CODE_DOWNLOAD, false, E_INVALIDARG},
      {"aggregation across the surrogate", CLSCTX_LOCAL_SERVER, true, CLASS_E_NOAGGREGATION},
      {"aggregation in-process, refused by the class", CLSCTX_INPROC_SERVER, true, CLASS_E_NOAGGREGATION},
  };
  com::Ptr<IPersist> outer;
  ASSERT_EQ(CoCreateInstance(CLSID_TestWidget, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(outer.put())),
            S_OK);
  for (const auto& c : cases) {
    void* object = &object;
    EXPECT_EQ(CoCreateInstance(CLSID_TestWidget, c.withOuter ? outer.get() : nullptr, c.context, IID_IPersist,
                               &object),
              c.expected)
        << c.what;
    if (object != nullptr && SUCCEEDED(c.expected)) {
      static_cast<IUnknown*>(object)->Release();
    } else {
      EXPECT_EQ(object, nullptr) << c.what;
    }
  }
}

TEST_F(Activation, ReportsEachInterfaceRequest) {
  struct Request {
    const IID* iid;
    HRESULT expected;
  };
  struct Case {
    const char* what;
    std::vector<Request> requests;
    HRESULT expected;
  };
  const Case cases[] = {
      {"all answered", {{&IID_IPersist, S_OK}, {&IID_IPersistFile, S_OK}, {&IID_IUnknown, S_OK}}, S_OK},
      {"some answered",
       {{&IID_IPersistFile, S_OK}, {&IID_IDataObject, E_NOINTERFACE}, {&IID_IPersist, S_OK}},
       CO_S_NOTALLINTERFACES},
      {"none answered",
       {{&IID_IDataObject, E_NOINTERFACE}, {&IID_IClassFactory, E_NOINTERFACE}},
       E_NOINTERFACE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<MULTI_QI> results;
    for (const auto& request : c.requests) results.push_back({request.iid, nullptr, E_FAIL});
    EXPECT_EQ(CoCreateInstanceEx(CLSID_TestWidget, nullptr, CLSCTX_INPROC_SERVER, nullptr,
                                 static_cast<DWORD>(results.size()), results.data()),
              c.expected);
    for (size_t k = 0; k < results.size(); ++k) {
      EXPECT_EQ(results[k].hr, c.requests[k].expected) << k;
      EXPECT_EQ(results[k].pItf != nullptr, SUCCEEDED(c.requests[k].expected)) << k;
      if (results[k].pItf != nullptr) results[k].pItf->Release();
    }
  }

  MULTI_QI noInterface{nullptr, nullptr, S_OK};
  EXPECT_EQ(CoCreateInstanceEx(CLSID_TestWidget, nullptr, CLSCTX_INPROC_SERVER, nullptr, 1, &noInterface),
            E_INVALIDARG);
  EXPECT_EQ(CoCreateInstanceEx(CLSID_TestWidget, nullptr, CLSCTX_INPROC_SERVER, nullptr, 0, &noInterface),
            E_INVALIDARG);
  EXPECT_EQ(CoCreateInstanceEx(CLSID_TestWidget, nullptr, CLSCTX_INPROC_SERVER, nullptr, 1, nullptr),
            E_INVALIDARG);
  EXPECT_EQ(CoCreateInstance(CLSID_TestWidget, nullptr, CLSCTX_INPROC_SERVER, IID_IPersist, nullptr),
            E_INVALIDARG);
}

TEST_F(Activation, ClassesThatCannotBeServedFailWithTheirReason) {
  struct Case {
    const char* what;
    const CLSID& clsid;
    HRESULT expected;
  };
  const Case cases[] = {
      {"class not in the registry", CLSID_Unregistered, REGDB_E_CLASSNOTREG},
      {"class without an in-process server", CLSID_NoInprocServer, REGDB_E_CLASSNOTREG},
      {"library that does not exist", CLSID_MissingLibrary, CO_E_DLLNOTFOUND},
      {"library without DllGetClassObject", CLSID_NotAServer, CO_E_ERRORINDLL},
      {"server that does not serve the class", CLSID_TestNotServed, CLASS_E_CLASSNOTAVAILABLE},
  };
  for (const auto& c : cases) {
    void* object = &object;
    EXPECT_EQ(CoCreateInstance(c.clsid, nullptr, CLSCTX_ALL, IID_IUnknown, &object), c.expected) << c.what;
    EXPECT_EQ(object, nullptr);
    MULTI_QI results[2] = {{&IID_IUnknown, nullptr, S_OK}, {&IID_IPersist, nullptr, S_OK}};
    EXPECT_EQ(CoCreateInstanceEx(c.clsid, nullptr, CLSCTX_ALL, nullptr, 2, results), c.expected) << c.what;
    EXPECT_EQ(results[0].hr, c.expected);
    EXPECT_EQ(results[1].hr, c.expected);
    EXPECT_EQ(CoGetClassObject(c.clsid, CLSCTX_ALL, nullptr, IID_IClassFactory, &object), c.expected)
        << c.what;
  }
}

// Threads that activate the same class at once share one load of its
// server, and the server goes when the last of them has released its object.
TEST_F(Activation, ThreadsActivatingAtOnceShareOneLoad) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 50;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&failures] {
      if (CoInitializeEx(nullptr, COINIT_MULTITHREADED) != S_OK) ++failures;
      for (int round = 0; round < kRounds; ++round) {
        com::Ptr<IPersistFile> file;
        if (CoCreateInstance(CLSID_TestWidget, nullptr, CLSCTX_ALL, IID_PPV_ARGS(file.put())) != S_OK ||
            file->IsDirty() != S_FALSE) {
          ++failures;
        }
      }
      CoUninitialize();
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures, 0);
  EXPECT_TRUE(serverLoaded()) << "the fixture's thread is still in COM";
  CoFreeUnusedLibraries();
  EXPECT_FALSE(serverLoaded());
}

// A thread outside COM may activate only while the process has a
// multithreaded apartment, which it then implicitly belongs to.
TEST(ActivationWithoutCom, NeedsTheCallerOrAnMtaInCom) {
  ScratchRegistry registry;
  ASSERT_EQ(runRegsvr({COM_TEST_SERVER_PATH}), 0);
  auto createOnFreshThread = [] {
    return std::async(std::launch::async,
                      [] {
                        void* object = nullptr;
                        const HRESULT hr = CoCreateInstance(CLSID_TestWidget, nullptr, CLSCTX_INPROC_SERVER,
                                                            IID_IUnknown, &object);
                        if (object != nullptr) static_cast<IUnknown*>(object)->Release();
                        return hr;
                      })
        .get();
  };
  // Holds an apartment of the given mode on a thread of its own until told
  // to leave.
  struct ApartmentThread {
    explicit ApartmentThread(DWORD mode)
        : thread([this, mode] {
            EXPECT_EQ(CoInitializeEx(nullptr, mode), S_OK);
            joined.set_value();
            leave.get_future().wait();
            CoUninitialize();
          }) {
      joined.get_future().wait();
    }
    ~ApartmentThread() {
      leave.set_value();
      thread.join();
    }
    std::promise<void> joined, leave;
    std::thread thread;
  };

  EXPECT_EQ(createOnFreshThread(), CO_E_NOTINITIALIZED) << "nobody in COM";
  {
    ApartmentThread sta(COINIT_APARTMENTTHREADED);
    EXPECT_EQ(createOnFreshThread(), CO_E_NOTINITIALIZED) << "an STA admits nobody else";
  }
  {
    ApartmentThread mta(COINIT_MULTITHREADED);
    EXPECT_EQ(createOnFreshThread(), S_OK) << "implicitly in the MTA";
    void* object = &object;
    EXPECT_EQ(CoGetClassObject(CLSID_Unregistered, CLSCTX_ALL, nullptr, IID_IClassFactory, &object),
              REGDB_E_CLASSNOTREG);
  }
  EXPECT_EQ(createOnFreshThread(), CO_E_NOTINITIALIZED) << "the MTA is gone again";
  void* object = &object;
  EXPECT_EQ(CoGetClassObject(CLSID_TestWidget, CLSCTX_ALL, nullptr, IID_IClassFactory, &object),
            CO_E_NOTINITIALIZED);
  EXPECT_EQ(object, nullptr);
  EXPECT_FALSE(serverLoaded());
}

}  // namespace
