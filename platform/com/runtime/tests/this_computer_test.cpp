#include <gtest/gtest.h>
#include <netdb.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <string>
#include <vector>

#include "com/apartment.h"
#include "com/interfaces/persist.h"
#include "com/remote_activator.h"
#include "scratch_registry.h"
#include "test_server/test_server_ids.h"
#include "win/computer.h"

// Name resolution is replaced for this program (it exports these, so they
// win over the C library's for every module): a machine name must be judged
// by its text alone, so any lookup is a fault.
std::atomic<int> nameLookups{0};

extern "C" __attribute__((visibility("default"))) int getaddrinfo(const char*, const char*, const addrinfo*,
                                                                  addrinfo**) {
  ++nameLookups;
  return EAI_FAIL;
}
extern "C" __attribute__((visibility("default"))) hostent* gethostbyname(const char*) {
  ++nameLookups;
  return nullptr;
}
extern "C" __attribute__((visibility("default"))) int gethostbyname_r(const char*, hostent*, char*, size_t,
                                                                      hostent** result, int* error) {
  ++nameLookups;
  *result = nullptr;
  *error = HOST_NOT_FOUND;
  return HOST_NOT_FOUND;
}

namespace {

constexpr HRESULT kServerUnavailable = static_cast<HRESULT>(0x800706BA);

std::string hostName() {
  char host[HOST_NAME_MAX + 1] = {};
  gethostname(host, sizeof host - 1);
  return host;
}

std::string computerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  GetComputerNameA(name, &size);
  return name;
}

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

class ThisComputer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    registry_ = new ScratchRegistry;
    ASSERT_EQ(runRegsvr({COM_TEST_SERVER_PATH}), 0);
  }
  static void TearDownTestSuite() {
    delete registry_;
    registry_ = nullptr;
  }
  void SetUp() override { ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK); }
  void TearDown() override { CoUninitialize(); }

  // Creates the test widget on machine as the session does and returns the
  // call's result (after checking the request's agrees with it).
  static HRESULT createOn(const std::string& machine,
                          DWORD context = CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER) {
    std::u16string wide(machine.begin(), machine.end());
    COSERVERINFO server{0, wide.data(), nullptr, 0};
    MULTI_QI request{&IID_IPersist, nullptr, S_OK};
    const HRESULT hr = CoCreateInstanceEx(CLSID_TestWidget, nullptr, context, &server, 1, &request);
    EXPECT_EQ(request.hr, hr) << machine;
    if (request.pItf != nullptr) request.pItf->Release();
    return hr;
  }

  static ScratchRegistry* registry_;
};

ScratchRegistry* ThisComputer::registry_ = nullptr;

TEST_F(ThisComputer, NamesOfThisComputerActivateLocally) {
  const std::string host = hostName();
  const std::string label = host.substr(0, host.find('.'));
  const std::vector<std::string> local = {
      "",
      host,
      upper(host),
      "\\\\" + host,
      label,
      upper(label),
      "\\\\" + upper(label),
      "localhost",
      "LocalHost",
      "\\\\localhost",
      "127.0.0.1",
      "127.1.2.3",
      "127.255.255.254",
      "::1",
      "[::1]",
      "::ffff:127.0.0.1",
      "\\\\",
      computerName(),
      "\\\\" + computerName(),
  };
  for (const auto& name : local) {
    std::u16string wide(name.begin(), name.end());
    EXPECT_TRUE(com::isThisComputer(wide.c_str())) << name;
    EXPECT_EQ(createOn(name), S_OK) << name;
  }
  EXPECT_TRUE(com::isThisComputer(nullptr));
  COSERVERINFO noName{0, nullptr, nullptr, 0};
  MULTI_QI request{&IID_IPersist, nullptr, S_OK};
  EXPECT_EQ(CoCreateInstanceEx(CLSID_TestWidget, nullptr, CLSCTX_LOCAL_SERVER, &noName, 1, &request), S_OK);
  request.pItf->Release();
  EXPECT_EQ(nameLookups, 0);
}

TEST_F(ThisComputer, OtherMachinesAreUnreachableWithoutATransport) {
  const std::string host = hostName();
  const std::vector<std::string> remote = {
      "otherhost",  "\\\\otherhost", host + "x",        "x" + host,    "localhost.example.com",
      "localhostx", "128.0.0.1",     "10.0.0.1",        "127.0.0.1.5", "127.1",
      "::2",        "192.168.1.20",  "\\\\\\\\" + host, "\\" + host,   "host.invalid",
  };
  for (const auto& name : remote) {
    std::u16string wide(name.begin(), name.end());
    EXPECT_FALSE(com::isThisComputer(wide.c_str())) << name;
    EXPECT_EQ(createOn(name), kServerUnavailable) << name;
  }
  EXPECT_EQ(createOn("otherhost", CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER), E_INVALIDARG)
      << "another machine needs CLSCTX_REMOTE_SERVER";
  EXPECT_EQ(nameLookups, 0);
}

// A transport plugged in behind the seam receives exactly the requests for
// other machines.
class RecordingActivator final : public com::RemoteActivator {
 public:
  HRESULT createInstance(REFCLSID, IUnknown*, DWORD, COSERVERINFO* server, DWORD count,
                         MULTI_QI* results) override {
    machines.emplace_back(server->pwszName);
    for (DWORD k = 0; k < count; ++k) results[k].hr = E_ACCESSDENIED;
    return E_ACCESSDENIED;
  }
  HRESULT getClassObject(REFCLSID, DWORD, COSERVERINFO* server, REFIID, void** object) override {
    machines.emplace_back(server->pwszName);
    *object = nullptr;
    return E_ACCESSDENIED;
  }
  std::vector<std::u16string> machines;
};

TEST_F(ThisComputer, RemoteRequestsGoToTheInstalledActivator) {
  auto recorder = std::make_shared<RecordingActivator>();
  auto previous = com::setRemoteActivator(recorder);
  ASSERT_NE(previous, nullptr);

  EXPECT_EQ(createOn("plant-server"), E_ACCESSDENIED);
  EXPECT_EQ(createOn("localhost"), S_OK);
  std::u16string name = u"\\\\plant-server";
  COSERVERINFO server{0, name.data(), nullptr, 0};
  void* object = &object;
  EXPECT_EQ(CoGetClassObject(CLSID_TestWidget, CLSCTX_REMOTE_SERVER, &server, IID_IUnknown, &object),
            E_ACCESSDENIED);
  EXPECT_EQ(recorder->machines, (std::vector<std::u16string>{u"plant-server", u"\\\\plant-server"}));

  EXPECT_EQ(com::setRemoteActivator(nullptr), recorder);
  EXPECT_EQ(createOn("plant-server"), kServerUnavailable) << "back to the default";
  EXPECT_EQ(CoGetClassObject(CLSID_TestWidget, CLSCTX_REMOTE_SERVER, &server, IID_IUnknown, &object),
            kServerUnavailable);
  EXPECT_EQ(object, nullptr);
}

}  // namespace
