// The DCOM client against our own DCOM service on the loopback interface:
// activation, identity, QueryInterface, calls through a proxy, releases and
// pings, and the codes failures end in.
#include "dcomclient/runtime.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "com/object.h"
#include "dcom/exporter.h"
#include "dcom/service.h"
#include "dcomclient/proxy.h"
#include "opc/common.h"
#include "rpc/server.h"

namespace dcom::client {
namespace {

using namespace std::chrono_literals;

DEFINE_GUID(kClsidLocale, 0x6A0F0B51, 0x1D2E, 0x4C3B, 0x9A, 0x10, 0x22, 0x33, 0x44, 0x55, 0x66, 0x01);
DEFINE_GUID(kClsidMissing, 0x6A0F0B51, 0x1D2E, 0x4C3B, 0x9A, 0x10, 0x22, 0x33, 0x44, 0x55, 0x66, 0x02);
constexpr HRESULT kServerUnavailable = static_cast<HRESULT>(0x800706BA);

// The served object: IOPCCommon with a locale that calls can set and read.
class Locale : public com::Object<Locale, IOPCCommon> {
public:
  static inline std::atomic<int> alive{0};
  Locale() { ++alive; }
  ~Locale() { --alive; }
  HRESULT STDMETHODCALLTYPE SetLocaleID(LCID lcid) override {
    lcid_ = lcid;
    return lcid == 0xFFFF ? E_INVALIDARG : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* lcid) override {
    *lcid = lcid_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryAvailableLocaleIDs(DWORD*, LCID**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT, LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetClientName(LPCWSTR) override { return E_NOTIMPL; }

private:
  std::atomic<LCID> lcid_{0x409};
};

// Two methods of IOPCCommon, described once for the test's stub and proxy.
struct SetLocaleIn {
  OrpcThis orpcThis;
  std::uint32_t lcid = 0;
};
template <class W>
void walkIn(W& w, SetLocaleIn& p) {
  w.param(p.orpcThis);
  w.param(p.lcid);
}
struct GetLocaleIn {
  OrpcThis orpcThis;
};
template <class W>
void walkIn(W& w, GetLocaleIn& p) {
  w.param(p.orpcThis);
}
struct LocaleOut {
  OrpcThat orpcThat;
  std::uint32_t lcid = 0;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, LocaleOut& p, bool withLcid) {
  w.param(p.orpcThat);
  if (withLcid) w.param(p.lcid);
  w.param(p.result);
}

class LocaleStub : public ObjectStub {
public:
  rpc::CallResult call(IUnknown* object, const rpc::CallContext& context, std::span<const std::uint8_t> stub) override {
    auto* common = static_cast<IOPCCommon*>(object);
    LocaleOut out;
    if (context.opnum == 3) {
      SetLocaleIn in;
      if (ndr::decode(stub, [&](auto& w) { walkIn(w, in); })) return rpc::CallResult::fault(rpc::kFaultBadStubData);
      out.result = common->SetLocaleID(in.lcid);
    } else if (context.opnum == 4) {
      if (context.opnum == 4 && slow) std::this_thread::sleep_for(1500ms);
      out.result = common->GetLocaleID(&out.lcid);
    } else {
      return rpc::CallResult::fault(rpc::kFaultOpRangeError);
    }
    std::vector<std::uint8_t> bytes;
    ndr::encode(bytes, [&](auto& w) { walkOut(w, out, context.opnum == 4); });
    return rpc::CallResult::response(std::move(bytes));
  }
  static inline std::atomic<bool> slow{false};
};

class LocaleProxy : public InterfaceProxy<IOPCCommon> {
public:
  using InterfaceProxy::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE SetLocaleID(LCID lcid) override {
    SetLocaleIn in{{}, lcid};
    LocaleOut out;
    HRESULT hr = invoke(channel(), 3, in, out, false);
    return FAILED(hr) ? hr : out.result;
  }
  HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* lcid) override {
    GetLocaleIn in;
    LocaleOut out;
    HRESULT hr = invoke(channel(), 4, in, out, true);
    if (SUCCEEDED(hr)) *lcid = out.lcid;
    return FAILED(hr) ? hr : out.result;
  }
  HRESULT STDMETHODCALLTYPE QueryAvailableLocaleIDs(DWORD*, LCID**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT, LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetClientName(LPCWSTR) override { return E_NOTIMPL; }
};

class Classes : public ClassProvider {
public:
  HRESULT createInstance(REFCLSID clsid, const std::string&, IUnknown** out) override {
    if (clsid != kClsidLocale) return REGDB_E_CLASSNOTREG;
    auto object = com::makeObject<Locale>();
    *out = object.detach();
    return S_OK;
  }
  HRESULT getClassObject(REFCLSID clsid, const std::string& user, IUnknown** out) override {
    return createInstance(clsid, user, out);
  }
};

// Our DCOM service on 127.0.0.1 (one port for the resolver and the exporter).
struct Service {
  std::shared_ptr<Exporter> exporter;
  std::unique_ptr<ExpiryTimer> timer;
  rpc::Server server;
  uint16_t port = 0;

  explicit Service(bool onlyOldActivation = false, std::chrono::seconds pingPeriod = 120s)
      : server(rpc::ServerSettings{}) {
    ExporterSettings settings;
    settings.pingPeriod = pingPeriod;
    settings.missedPings = 2;
    settings.resolverBindings = bindingsFor({"127.0.0.1"}, 0);
    exporter = std::make_shared<Exporter>(settings);
    timer = std::make_unique<ExpiryTimer>(*exporter, 100ms);
    server.setCredentials(std::make_shared<ntlm::CredentialStore>(
        std::vector<ntlm::Credential>{{"opcuser", "", ntlm::ntHash("Secret123!")}}));
    port = server.listen("127.0.0.1", 0).port.value_or(0);
    ServiceOptions options;
    options.exporterPort = port;
    options.stubs = [](const IID& iid) -> std::shared_ptr<ObjectStub> {
      return iid == IID_IOPCCommon ? std::make_shared<LocaleStub>() : nullptr;
    };
    auto classes = std::make_shared<Classes>();
    if (onlyOldActivation) {
      server.registerInterface(rpc::SyntaxId{toUuid(kIidIObjectExporter), 0, 0}, makeResolverHandler(exporter, options));
      server.registerInterface(rpc::SyntaxId{toUuid(kIidIActivation), 0, 0},
                               makeActivationHandler(exporter, classes, options));
      auto remUnknown = makeRemUnknownHandler(exporter);
      server.registerInterface(rpc::SyntaxId{toUuid(kIidIRemUnknown), 0, 0}, remUnknown);
      server.registerInterface(rpc::SyntaxId{toUuid(kIidIRemUnknown2), 0, 0}, remUnknown);
      server.registerInterface(rpc::SyntaxId{toUuid(IID_IOPCCommon), 0, 0},
                               makeObjectHandler(exporter, IID_IOPCCommon, std::make_shared<LocaleStub>()));
    } else {
      registerDcomServices(server, exporter, classes, options);
    }
    server.start();
  }
  ~Service() {
    server.stop();
    timer.reset();
  }
};

std::unique_ptr<ntlm::Digest> hashOf(const char* password) {
  return std::make_unique<ntlm::Digest>(ntlm::ntHash(password));
}

RuntimeSettings settingsFor(uint16_t port, const char* password = "Secret123!",
                            rpc::AuthLevel level = rpc::AuthLevel::PacketIntegrity) {
  RuntimeSettings settings;
  settings.resolverPort = port;
  settings.callTimeout = 1s;
  settings.connectTimeout = 1s;
  settings.pingPeriod = 300ms;
  MachineCredential credential{"127.0.0.1", "opcuser", "TESTDOM", *hashOf(password), level};
  settings.credentials = std::make_shared<MachineCredentials>(std::vector<MachineCredential>{credential});
  return settings;
}

class DcomClient : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    registerProxy(IID_IOPCCommon, [](std::shared_ptr<Channel> channel) -> std::unique_ptr<ProxyBase> {
      return std::make_unique<LocaleProxy>(std::move(channel));
    });
  }
  void TearDown() override { EXPECT_EQ(Locale::alive.load(), 0); }
};

// Waits (bounded) for what the server releases in the background.
template <class F>
bool eventually(F condition) {
  for (int i = 0; i < 300 && !condition(); ++i) std::this_thread::sleep_for(10ms);
  return condition();
}

TEST_F(DcomClient, ActivatesQueriesCallsAndReleasesAtBothLevels) {
  for (bool oldActivation : {false, true}) {
    for (auto level : {rpc::AuthLevel::PacketIntegrity, rpc::AuthLevel::PacketPrivacy}) {
      SCOPED_TRACE(std::string(oldActivation ? "RemoteActivation " : "RemoteCreateInstance ") + rpc::toString(level));
      Service service(oldActivation);
      DcomActivator activator(settingsFor(service.port, "Secret123!", level));
      MULTI_QI results[] = {{&IID_IUnknown, nullptr, S_OK}, {&IID_IOPCCommon, nullptr, S_OK},
                            {&IID_IDispatch, nullptr, S_OK}};
      EXPECT_EQ(activator.createOn("127.0.0.1", kClsidLocale, 3, results), CO_S_NOTALLINTERFACES);
      ASSERT_EQ(results[0].hr, S_OK);
      ASSERT_EQ(results[1].hr, S_OK);
      EXPECT_EQ(results[2].hr, E_NOINTERFACE);  // no proxy for it
      IUnknown* unknown = results[0].pItf;
      auto* common = static_cast<IOPCCommon*>(results[1].pItf);

      // One identity, whichever interface it is reached from.
      IUnknown* identity = nullptr;
      ASSERT_EQ(common->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
      EXPECT_EQ(identity, unknown);
      identity->Release();
      IOPCCommon* again = nullptr;
      ASSERT_EQ(unknown->QueryInterface(IID_IOPCCommon, reinterpret_cast<void**>(&again)), S_OK);
      EXPECT_EQ(again, common);
      again->Release();

      EXPECT_EQ(common->SetLocaleID(0x407), S_OK);
      LCID lcid = 0;
      EXPECT_EQ(common->GetLocaleID(&lcid), S_OK);
      EXPECT_EQ(lcid, 0x407u);
      EXPECT_EQ(common->SetLocaleID(0xFFFF), E_INVALIDARG);  // the method's own result
      EXPECT_EQ(Locale::alive.load(), 1);

      common->Release();
      EXPECT_EQ(activator.objectCount(), 1u);
      unknown->Release();
      EXPECT_EQ(activator.objectCount(), 0u);
      activator.flush();
      EXPECT_TRUE(eventually([&] { return service.exporter->objectCount() == 0; }));
      EXPECT_TRUE(eventually([] { return Locale::alive.load() == 0; }));
    }
  }
}

TEST_F(DcomClient, QueryInterfaceFetchesInterfacesFromTheServer) {
  Service service;
  DcomActivator activator(settingsFor(service.port));
  MULTI_QI result{&IID_IUnknown, nullptr, S_OK};
  ASSERT_EQ(activator.createOn("127.0.0.1", kClsidLocale, 1, &result), S_OK);
  IOPCCommon* common = nullptr;
  ASSERT_EQ(result.pItf->QueryInterface(IID_IOPCCommon, reinterpret_cast<void**>(&common)), S_OK);
  LCID lcid = 0;
  EXPECT_EQ(common->GetLocaleID(&lcid), S_OK);
  EXPECT_EQ(lcid, 0x409u);
  common->Release();
  result.pItf->Release();
  activator.flush();
  EXPECT_TRUE(eventually([&] { return service.exporter->interfaceCount() == 0; }));
}

TEST_F(DcomClient, PingsKeepHeldObjectsAlive) {
  Service service(false, 1s);  // objects not pinged for 2 s go
  DcomActivator pinging(settingsFor(service.port));
  auto quiet = settingsFor(service.port);
  quiet.pingPeriod = 1h;
  DcomActivator silent(quiet);
  MULTI_QI kept{&IID_IOPCCommon, nullptr, S_OK};
  MULTI_QI lost{&IID_IOPCCommon, nullptr, S_OK};
  ASSERT_EQ(pinging.createOn("127.0.0.1", kClsidLocale, 1, &kept), S_OK);
  ASSERT_EQ(silent.createOn("127.0.0.1", kClsidLocale, 1, &lost), S_OK);
  // The silent client adds its object to a set once and never pings again.
  EXPECT_TRUE(eventually([] { return Locale::alive.load() == 2; }));
  std::this_thread::sleep_for(3500ms);
  EXPECT_EQ(Locale::alive.load(), 1);
  LCID lcid = 0;
  EXPECT_EQ(static_cast<IOPCCommon*>(kept.pItf)->GetLocaleID(&lcid), S_OK);
  EXPECT_NE(static_cast<IOPCCommon*>(lost.pItf)->GetLocaleID(&lcid), S_OK);
  kept.pItf->Release();
  lost.pItf->Release();
  pinging.flush();
  silent.flush();
  EXPECT_TRUE(eventually([] { return Locale::alive.load() == 0; }));
}

TEST_F(DcomClient, FailuresEndInTheCodesTheClientShows) {
  Service service;
  struct Case {
    const char* what;
    RuntimeSettings settings;
    const char* machine;
    const GUID* clsid;
    HRESULT expected;
  };
  auto unknownMachine = settingsFor(service.port);
  unknownMachine.credentials = std::make_shared<MachineCredentials>();
  auto closedPort = settingsFor(service.port);
  closedPort.resolverPort = 1;
  Case cases[] = {
      {"wrong password", settingsFor(service.port, "wrong"), "127.0.0.1", &kClsidLocale, E_ACCESSDENIED},
      {"no credentials for the machine", unknownMachine, "127.0.0.1", &kClsidLocale, E_ACCESSDENIED},
      {"class not offered", settingsFor(service.port), "127.0.0.1", &kClsidMissing, REGDB_E_CLASSNOTREG},
      {"nobody listening", closedPort, "127.0.0.1", &kClsidLocale, kServerUnavailable},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    DcomActivator activator(c.settings);
    MULTI_QI result{&IID_IOPCCommon, nullptr, S_OK};
    EXPECT_EQ(activator.createOn(c.machine, *c.clsid, 1, &result), c.expected);
    EXPECT_EQ(result.hr, c.expected);
    EXPECT_EQ(result.pItf, nullptr);
    IUnknown* factory = nullptr;
    EXPECT_EQ(activator.classObjectOn(c.machine, *c.clsid, IID_IUnknown, reinterpret_cast<void**>(&factory)),
              c.expected);
  }
}

TEST_F(DcomClient, ASlowOrStoppedServerEndsCallsWithinTheTimeOut) {
  auto service = std::make_unique<Service>();
  DcomActivator activator(settingsFor(service->port));
  MULTI_QI result{&IID_IOPCCommon, nullptr, S_OK};
  ASSERT_EQ(activator.createOn("127.0.0.1", kClsidLocale, 1, &result), S_OK);
  auto* common = static_cast<IOPCCommon*>(result.pItf);

  LocaleStub::slow = true;
  LCID lcid = 0;
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(common->GetLocaleID(&lcid), kServerUnavailable);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 1900ms);
  LocaleStub::slow = false;
  // The next call opens a new connection.
  EXPECT_EQ(common->GetLocaleID(&lcid), S_OK);

  service.reset();
  started = std::chrono::steady_clock::now();
  EXPECT_EQ(common->GetLocaleID(&lcid), kServerUnavailable);
  EXPECT_EQ(common->SetLocaleID(0x407), kServerUnavailable);
  common->Release();
  activator.flush();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 4s);
  EXPECT_EQ(activator.objectCount(), 0u);
}

}  // namespace
}  // namespace dcom::client
