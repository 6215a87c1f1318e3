// The OPC interface proxies against the sample server served by our DCOM
// service on the loopback interface: one session of server, group and item
// calls runs once in process and once through the proxies, and both must
// answer alike (everything but times and live values).
#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "com/allocator.h"
#include "com/objbase.h"
#include "com/ptr.h"
#include "dcom/exporter.h"
#include "dcom/service.h"
#include "dcomclient/runtime.h"
#include "opc/opcda.h"
#include "opcwire/stubs.h"
#include "rpc/server.h"
#include "opc/categories.h"
#include "server_factory.h"
#include "server_list.h"

namespace dcom::client {
namespace {

using namespace std::chrono_literals;

// The server list reads the registry the build's servers registered in.
const bool kRegistryChosen = setenv("VELMORA_REGISTRY", VELMORA_BUILD_REGISTRY, 1) == 0;

class SampleClasses : public ClassProvider {
public:
  HRESULT createInstance(REFCLSID clsid, const std::string&, IUnknown** out) override {
    if (clsid == CLSID_OPCServerList) {
      *out = static_cast<IOPCServerList*>(com::makeObject<serverlist::ServerList>().detach());
      return S_OK;
    }
    if (clsid != sample::CLSID_PelkorDataSample) return REGDB_E_CLASSNOTREG;
    return sample::createSampleServer(options(), IID_IUnknown, reinterpret_cast<void**>(out));
  }
  HRESULT getClassObject(REFCLSID, const std::string&, IUnknown**) override { return REGDB_E_CLASSNOTREG; }
  static sample::ServerOptions options() {
    sample::ServerOptions options;
    options.manyItemCount = 10;
    options.shutdownRequestFile = "/nonexistent/velmora-test-no-shutdown-file";
    return options;
  }
};

struct Service {
  std::shared_ptr<Exporter> exporter;
  rpc::Server server{rpc::ServerSettings{}};
  uint16_t port = 0;
  Service() {
    ExporterSettings settings;
    settings.resolverBindings = bindingsFor({"127.0.0.1"}, 0);
    exporter = std::make_shared<Exporter>(settings);
    server.setCredentials(std::make_shared<ntlm::CredentialStore>(
        std::vector<ntlm::Credential>{{"opcuser", "", ntlm::ntHash("Secret123!")}}));
    port = server.listen("127.0.0.1", 0).port.value_or(0);
    ServiceOptions options;
    options.exporterPort = port;
    options.stubs = opcwire::makeStubs(exporter);
    registerDcomServices(server, exporter, std::make_shared<SampleClasses>(), options);
    server.start();
  }
  ~Service() { server.stop(); }
};

std::string hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(hr));
  return text;
}
std::string narrow(const WCHAR* text) {
  std::string out;
  for (; text && *text; ++text) out.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
  return out;
}

// Runs one session on the server and writes what it answered.
std::string transcript(IOPCServer* server) {
  std::ostringstream out;
  OPCSERVERSTATUS* status = nullptr;
  out << "GetStatus " << hex(server->GetStatus(&status));
  if (status) {
    out << " state " << status->dwServerState << " groups " << status->dwGroupCount << " version "
        << status->wMajorVersion << "." << status->wMinorVersion << " vendor " << narrow(status->szVendorInfo);
    CoTaskMemFree(status->szVendorInfo);
    CoTaskMemFree(status);
  }
  out << "\n";

  com::Ptr<IOPCCommon> common;
  out << "QI IOPCCommon " << hex(server->QueryInterface(IID_IOPCCommon, common.putVoid())) << "\n";
  out << "SetLocaleID " << hex(common->SetLocaleID(0x409)) << " bad " << hex(common->SetLocaleID(0x12345)) << "\n";
  LCID lcid = 0;
  out << "GetLocaleID " << hex(common->GetLocaleID(&lcid)) << " " << lcid << "\n";
  DWORD localeCount = 0;
  LCID* locales = nullptr;
  out << "QueryAvailableLocaleIDs " << hex(common->QueryAvailableLocaleIDs(&localeCount, &locales));
  for (DWORD i = 0; i < localeCount; ++i) out << " " << locales[i];
  CoTaskMemFree(locales);
  LPWSTR text = nullptr;
  out << "\nGetErrorString " << hex(common->GetErrorString(E_FAIL, &text)) << " " << narrow(text) << "\n";
  CoTaskMemFree(text);
  out << "SetClientName " << hex(common->SetClientName(u"proxy test")) << "\n";

  com::Ptr<IOPCBrowseServerAddressSpace> browse;
  out << "QI browse " << hex(server->QueryInterface(IID_IOPCBrowseServerAddressSpace, browse.putVoid())) << "\n";
  if (browse) {
    OPCNAMESPACETYPE organization{};
    out << "QueryOrganization " << hex(browse->QueryOrganization(&organization)) << " " << organization << "\n";
    com::Ptr<IEnumString> names;
    out << "BrowseOPCItemIDs " << hex(browse->BrowseOPCItemIDs(OPC_FLAT, u"", VT_EMPTY, 0, names.put()));
    if (names) {
      LPOLESTR batch[6] = {};
      ULONG fetched = 0;
      out << " Next " << hex(names->Next(6, batch, &fetched));
      for (ULONG i = 0; i < fetched; ++i) {
        out << " " << narrow(batch[i]);
        CoTaskMemFree(batch[i]);
      }
      out << " Skip " << hex(names->Skip(1000)) << " Reset " << hex(names->Reset());
    }
    out << "\n";
  }

  com::Ptr<IOPCItemProperties> properties;
  out << "QI properties " << hex(server->QueryInterface(IID_IOPCItemProperties, properties.putVoid())) << "\n";
  if (properties) {
    DWORD count = 0;
    DWORD* ids = nullptr;
    LPWSTR* descriptions = nullptr;
    VARTYPE* types = nullptr;
    out << "QueryAvailableProperties "
        << hex(properties->QueryAvailableProperties(const_cast<LPWSTR>(u"Simulation.Ramp"), &count, &ids,
                                                    &descriptions, &types));
    for (DWORD i = 0; i < count; ++i) {
      out << " " << ids[i] << ":" << types[i] << ":" << narrow(descriptions[i]);
      CoTaskMemFree(descriptions[i]);
    }
    CoTaskMemFree(ids);
    CoTaskMemFree(descriptions);
    CoTaskMemFree(types);
    DWORD wanted[] = {1, 5, 999};
    VARIANT* values = nullptr;
    HRESULT* errors = nullptr;
    out << "\nGetItemProperties "
        << hex(properties->GetItemProperties(const_cast<LPWSTR>(u"Simulation.Ramp"), 3, wanted, &values, &errors));
    for (DWORD i = 0; values && i < 3; ++i) {
      out << " " << hex(errors[i]) << ":" << values[i].vt;
      VariantClear(&values[i]);
    }
    CoTaskMemFree(values);
    CoTaskMemFree(errors);
    out << "\n";
  }

  OPCHANDLE serverGroup = 0;
  DWORD revised = 0;
  com::Ptr<IOPCItemMgt> items;
  out << "AddGroup "
      << hex(server->AddGroup(u"Proxied", TRUE, 500, 7, nullptr, nullptr, 0x409, &serverGroup, &revised,
                              IID_IOPCItemMgt, reinterpret_cast<IUnknown**>(items.put())))
      << " rate " << revised << "\n";
  if (!items) return out.str();
  OPCITEMDEF defs[] = {
      {nullptr, const_cast<LPWSTR>(u"Simulation.Ramp"), TRUE, 1, 0, nullptr, VT_EMPTY, 0},
      {nullptr, const_cast<LPWSTR>(u"Simulation.Counter"), TRUE, 2, 0, nullptr, VT_R8, 0},
      {nullptr, const_cast<LPWSTR>(u"No.Such.Item"), TRUE, 3, 0, nullptr, VT_EMPTY, 0},
  };
  for (bool validate : {true, false}) {
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    HRESULT hr = validate ? items->ValidateItems(3, defs, FALSE, &results, &errors)
                          : items->AddItems(3, defs, &results, &errors);
    out << (validate ? "ValidateItems " : "AddItems ") << hex(hr);
    for (int i = 0; results && i < 3; ++i) {
      out << " " << hex(errors[i]) << ":" << results[i].vtCanonicalDataType << ":" << results[i].dwAccessRights;
      CoTaskMemFree(results[i].pBlob);
    }
    OPCHANDLE handles[2] = {results ? results[0].hServer : 0, results ? results[1].hServer : 0};
    CoTaskMemFree(results);
    CoTaskMemFree(errors);
    out << "\n";
    if (validate) continue;

    com::Ptr<IOPCSyncIO> sync;
    out << "QI IOPCSyncIO " << hex(items->QueryInterface(IID_IOPCSyncIO, sync.putVoid())) << "\n";
    OPCITEMSTATE* states = nullptr;
    HRESULT* readErrors = nullptr;
    out << "Read " << hex(sync->Read(OPC_DS_DEVICE, 2, handles, &states, &readErrors));
    for (int i = 0; states && i < 2; ++i) {
      out << " " << hex(readErrors[i]) << ":" << states[i].hClient << ":" << states[i].vDataValue.vt << ":"
          << states[i].wQuality;
      VariantClear(&states[i].vDataValue);
    }
    CoTaskMemFree(states);
    CoTaskMemFree(readErrors);
    VARIANT values[2];
    VariantInit(&values[0]);
    VariantInit(&values[1]);
    values[0].vt = VT_R8;
    values[0].dblVal = 12.5;
    values[1].vt = VT_BSTR;
    values[1].bstrVal = SysAllocString(u"text");
    HRESULT* writeErrors = nullptr;
    out << "\nWrite " << hex(sync->Write(2, handles, values, &writeErrors));
    for (int i = 0; writeErrors && i < 2; ++i) out << " " << hex(writeErrors[i]);
    CoTaskMemFree(writeErrors);
    VariantClear(&values[1]);

    com::Ptr<IEnumOPCItemAttributes> attributes;
    out << "\nCreateEnumerator "
        << hex(items->CreateEnumerator(IID_IEnumOPCItemAttributes, reinterpret_cast<IUnknown**>(attributes.put())));
    if (attributes) {
      OPCITEMATTRIBUTES* list = nullptr;
      ULONG fetched = 0;
      out << " Next " << hex(attributes->Next(10, &list, &fetched));
      for (ULONG i = 0; i < fetched; ++i) {
        out << " " << narrow(list[i].szItemID) << ":" << list[i].hClient << ":" << list[i].vtRequestedDataType;
        CoTaskMemFree(list[i].szItemID);
        CoTaskMemFree(list[i].szAccessPath);
        CoTaskMemFree(list[i].pBlob);
        VariantClear(&list[i].vEUInfo);
      }
      CoTaskMemFree(list);
    }
    HRESULT* removeErrors = nullptr;
    out << "\nSetActiveState " << hex(items->SetActiveState(2, handles, FALSE, &removeErrors));
    CoTaskMemFree(removeErrors);
    removeErrors = nullptr;
    out << " RemoveItems " << hex(items->RemoveItems(2, handles, &removeErrors));
    for (int i = 0; removeErrors && i < 2; ++i) out << " " << hex(removeErrors[i]);
    CoTaskMemFree(removeErrors);
    out << "\n";
  }

  com::Ptr<IOPCGroupStateMgt> state;
  out << "QI state " << hex(items->QueryInterface(IID_IOPCGroupStateMgt, state.putVoid())) << "\n";
  DWORD rate = 0, stateLcid = 0;
  BOOL active = FALSE;
  LPWSTR name = nullptr;
  LONG bias = 0;
  FLOAT deadband = 0;
  OPCHANDLE client = 0, handle = 0;
  out << "GetState " << hex(state->GetState(&rate, &active, &name, &bias, &deadband, &stateLcid, &client, &handle))
      << " " << rate << " " << active << " " << narrow(name) << " " << deadband << " " << stateLcid << " " << client
      << "\n";
  CoTaskMemFree(name);
  out << "SetName " << hex(state->SetName(u"Renamed")) << "\n";
  DWORD requested = 250;
  BOOL inactive = FALSE;
  out << "SetState " << hex(state->SetState(&requested, &rate, &inactive, nullptr, nullptr, nullptr, nullptr)) << " "
      << rate << "\n";

  com::Ptr<IEnumString> groups;
  out << "CreateGroupEnumerator "
      << hex(server->CreateGroupEnumerator(OPC_ENUM_ALL_CONNECTIONS, IID_IEnumString,
                                           reinterpret_cast<IUnknown**>(groups.put())));
  if (groups) {
    LPOLESTR group = nullptr;
    ULONG fetched = 0;
    while (groups->Next(1, &group, &fetched) == S_OK && fetched == 1) {
      out << " " << narrow(group);
      CoTaskMemFree(group);
    }
  }
  com::Ptr<IOPCGroupStateMgt> byName;
  out << "\nGetGroupByName "
      << hex(server->GetGroupByName(u"Renamed", IID_IOPCGroupStateMgt, reinterpret_cast<IUnknown**>(byName.put())))
      << " same " << (byName.get() == state.get()) << "\n";
  byName.reset();
  state.reset();
  items.reset();
  out << "RemoveGroup " << hex(server->RemoveGroup(serverGroup, FALSE)) << "\n";
  return out.str();
}

TEST(OpcProxies, ASessionAnswersAsInProcess) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  registerOpcProxies();
  std::string local;
  {
    com::Ptr<IOPCServer> server;
    ASSERT_EQ(sample::createSampleServer(SampleClasses::options(), IID_IOPCServer, server.putVoid()), S_OK);
    local = transcript(server.get());
  }
  Service service;
  for (auto level : {rpc::AuthLevel::PacketIntegrity, rpc::AuthLevel::PacketPrivacy}) {
    SCOPED_TRACE(rpc::toString(level));
    RuntimeSettings settings;
    settings.resolverPort = service.port;
    settings.callTimeout = 5s;
    settings.credentials = std::make_shared<MachineCredentials>(std::vector<MachineCredential>{
        {"127.0.0.1", "opcuser", "TESTDOM", ntlm::ntHash("Secret123!"), level}});
    DcomActivator activator(settings);
    MULTI_QI result{&IID_IOPCServer, nullptr, S_OK};
    ASSERT_EQ(activator.createOn("127.0.0.1", sample::CLSID_PelkorDataSample, 1, &result), S_OK);
    auto* server = static_cast<IOPCServer*>(result.pItf);
    EXPECT_EQ(transcript(server), local);

    // The server cannot call back yet: Advise refuses every sink at once.
    com::Ptr<IConnectionPointContainer> container;
    ASSERT_EQ(server->QueryInterface(IID_IConnectionPointContainer, container.putVoid()), S_OK);
    com::Ptr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IOPCShutdown, point.put()), S_OK);
    if (point) {
      DWORD cookie = 1;
      EXPECT_EQ(point->Advise(server, &cookie), CONNECT_E_CANNOTCONNECT);
      EXPECT_EQ(cookie, 0u);
    }
    point.reset();
    container.reset();
    server->Release();
    activator.flush();
    EXPECT_EQ(activator.objectCount(), 0u);
    for (int i = 0; i < 300 && service.exporter->objectCount() != 0; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(service.exporter->objectCount(), 0u);
  }
  CoUninitialize();
}

// What the server selection asks a machine's server list.
std::string serverListTranscript(IOPCServerList* list) {
  std::ostringstream out;
  CATID categories[] = {CATID_OPCDAServer10, CATID_OPCDAServer20};
  com::Ptr<IEnumGUID> classes;
  out << "EnumClassesOfCategories " << hex(list->EnumClassesOfCategories(2, categories, 0, nullptr, classes.put()));
  GUID batch[4];
  ULONG fetched = 0;
  while (classes && SUCCEEDED(classes->Next(4, batch, &fetched)) && fetched > 0) {
    for (ULONG i = 0; i < fetched; ++i) {
      LPOLESTR progId = nullptr;
      LPOLESTR userType = nullptr;
      out << "\n  " << hex(list->GetClassDetails(batch[i], &progId, &userType)) << " " << narrow(progId) << " "
          << narrow(userType);
      CoTaskMemFree(progId);
      CoTaskMemFree(userType);
    }
  }
  CLSID clsid{};
  out << "\nCLSIDFromProgID " << hex(list->CLSIDFromProgID(u"Pelkor.DataSample", &clsid)) << " "
      << (clsid == sample::CLSID_PelkorDataSample) << " unknown "
      << hex(list->CLSIDFromProgID(u"No.Such.Server", &clsid)) << "\n";
  return out.str();
}

TEST(OpcProxies, TheServerListAnswersAsInProcess) {
  ASSERT_TRUE(kRegistryChosen);
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  registerOpcProxies();
  std::string local;
  {
    auto list = com::makeObject<serverlist::ServerList>();
    local = serverListTranscript(list.get());
  }
  EXPECT_NE(local.find("Pelkor.DataSample"), std::string::npos) << local;
  Service service;
  RuntimeSettings settings;
  settings.resolverPort = service.port;
  settings.credentials = std::make_shared<MachineCredentials>(std::vector<MachineCredential>{
      {"*", "opcuser", "TESTDOM", ntlm::ntHash("Secret123!"), rpc::AuthLevel::PacketIntegrity}});
  DcomActivator activator(settings);
  MULTI_QI result{&IID_IOPCServerList, nullptr, S_OK};
  ASSERT_EQ(activator.createOn("127.0.0.1", CLSID_OPCServerList, 1, &result), S_OK);
  EXPECT_EQ(serverListTranscript(static_cast<IOPCServerList*>(result.pItf)), local);
  result.pItf->Release();
  CoUninitialize();
}

}  // namespace
}  // namespace dcom::client
