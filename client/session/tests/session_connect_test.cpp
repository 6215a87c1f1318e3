// Connecting the session: each failure shows its text with the system's
// message for the code and leaves the session not connected; ProgIDs are
// resolved through CurVer and, for other machines, through that machine's
// server list; COM is left after a disconnect and joined again.

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "com/objbase.h"
#include "com/object.h"
#include "com/remote_activator.h"
#include "gui/testing/testing.h"
#include "opc/opcda.h"
#include "session/server_session.h"
#include "testing/scratch_registry.h"
#include "win/computer.h"

namespace {

using gui::testing::modalScript;
using quillon::testing::registerProgId;
using quillon::testing::ScratchRegistry;

const auto* const kRegistry = ::testing::AddGlobalTestEnvironment(new ScratchRegistry);

// Class identifiers that no library serves.
constexpr CLSID kUnservedClass = {0x5D1A0C11, 0x2B3E, 0x4F60, {0x9A, 0x01, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};
constexpr CLSID kOtherUnservedClass = {0x5D1A0C12, 0x2B3E, 0x4F60, {0x9A, 0x01, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};
constexpr CLSID kClassWithoutLibrary = {0x5D1A0C13, 0x2B3E, 0x4F60, {0x9A, 0x01, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};

// Whether the calling thread has left COM: only then can it join a
// single-threaded apartment afresh.
bool threadOutsideCom() {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(hr)) CoUninitialize();
  return hr == S_OK;
}

CLSID classOf(const char16_t* progId) {
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
  return clsid;
}

class SessionConnectTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    registerProgId("Quillon.Test.NoClass", kUnservedClass);
    registerProgId("Quillon.Test.NoLibrary", kClassWithoutLibrary, {}, "/nonexistent/libnothing.so");
    registerProgId("Quillon.Test.Versioned", kUnservedClass, "Quillon.Test.Versioned.2");
    registerProgId("Quillon.Test.Versioned.2", kOtherUnservedClass);
    registerProgId("Quillon.Test.NotAServer", CLSID_OPCServerList);
    // Its own class is served by nobody: only its current version connects.
    registerProgId("Quillon.Test.CurrentIsSample", kUnservedClass, "Pelkor.DataSample.1");
  }
  void SetUp() override { ASSERT_TRUE(ScratchRegistry::hasSampleServer() && ScratchRegistry::hasServerList()); }

  // The warning box of a failed step: its text, then the system's message
  // as the system delivers it, with its closing line break.
  static QString box(const char* text, const char* systemMessage) {
    return QString(text) + "\n\nError : " + systemMessage + "\r\n";
  }

  CServerSession session;
};

TEST_F(SessionConnectTest, EachFailedStepShowsItsTextAndLeavesTheSessionUnconnected) {
  struct Case {
    const char* machine;
    const char* progId;
    QString shown;
    bool comLeft;  // lookups that fail leave COM as they found it
  };
  const Case cases[] = {
      {"", "Quillon.Test.Unregistered", box("Function 'CLSIDFromProgID' failed !", "Invalid class string"), true},
      {"", "bad \xFF name", box("Cannot read full Server Name from the Registry !", "Unspecified error"), true},
      {"", "Quillon.Test.NoClass", box("Function 'CoCreateInstanceEx' failed !", "Class not registered"), true},
      {"", "Quillon.Test.NoLibrary", box("Function 'CoCreateInstanceEx' failed !", "DLL for class not found"), true},
      {"", "Quillon.Test.NotAServer", box("Function 'CoCreateInstanceEx' failed !", "No such interface supported"),
       true},
      {"othermachine", "Quillon.Test.Unregistered",
       box("Cannot connect to OPCBrowser on remote machine !", "The RPC server is unavailable."), true},
      {"othermachine", "Pelkor.DataSample",
       box("Function 'CoCreateInstanceEx' failed !", "The RPC server is unavailable."), true},
      {"othermachine", "bad \xFF name",
       box("Cannot convert Server Name to wide-character string !", "Unspecified error"), true},
      {"bad \xFF machine", "Quillon.Test.Unregistered",
       box("Cannot convert Machine Name to wide-character string !", "Unspecified error"), true},
      // The machine's name is converted only after COM has been joined for
      // the creation, which leaves it again.
      {"bad \xFF machine", "Pelkor.DataSample",
       box("Cannot convert Machine Name to wide-character string !", "Unspecified error"), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.machine) + " / " + c.progId);
    modalScript().expectMessageBox(gui::IDOK, c.shown);
    EXPECT_FALSE(session.Connect(c.machine, c.progId));
    modalScript().verifyAndReset();
    EXPECT_EQ(session.GetServer(), nullptr);
    EXPECT_EQ(session.GetCommon(), nullptr);
    EXPECT_EQ(threadOutsideCom(), c.comLeft);
    session.Disconnect();
  }
}

TEST_F(SessionConnectTest, WarningBoxesCarryTheWarningIconAndAnOkButton) {
  modalScript().expectMessageBox(gui::IDOK);
  EXPECT_FALSE(session.Connect("", "Quillon.Test.Unregistered"));
  ASSERT_EQ(modalScript().messageBoxes().size(), 1u);
  EXPECT_EQ(modalScript().messageBoxes()[0].icon(), gui::MB_ICONWARNING);
  EXPECT_EQ(modalScript().messageBoxes()[0].buttons(), gui::MB_OK);
}

TEST_F(SessionConnectTest, ConnectsLocallyAndQueriesTheOptionalInterfacesTheServerOffers) {
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  const std::string uncComputer = std::string("\\\\") + computer;
  struct Case {
    const char* machine;
    const char* progId;
    bool optionalInterfaces;
  };
  const Case cases[] = {
      {"", "Pelkor.DataSample", true},
      {"", "Pelkor.DataSample.1", true},
      // A version-independent ProgID is looked up by the version its CurVer names.
      {"", "Quillon.Test.CurrentIsSample", true},
      // This computer by name: resolved and created here, without a network.
      {"localhost", "Pelkor.DataSample", true},
      {computer, "Pelkor.DataSample", true},
      {uncComputer.c_str(), "Quillon.Test.CurrentIsSample", true},
      {"", "Pelkor.DataSample.Minimal", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.machine) + " / " + c.progId);
    ASSERT_TRUE(session.Connect(c.machine, c.progId));
    EXPECT_TRUE(modalScript().messageBoxes().empty());
    EXPECT_NE(session.GetServer(), nullptr);
    EXPECT_NE(session.GetTaskAllocator(), nullptr);
    EXPECT_EQ(session.GetPublicGroups() != nullptr, c.optionalInterfaces);
    EXPECT_EQ(session.GetBrowseAddressSpace() != nullptr, c.optionalInterfaces);
    EXPECT_EQ(session.GetPersistFile() != nullptr, c.optionalInterfaces);
    EXPECT_EQ(session.GetCommon() != nullptr, c.optionalInterfaces);
    EXPECT_EQ(session.GetItemProperties() != nullptr, c.optionalInterfaces);
    session.Disconnect();
    EXPECT_EQ(session.GetServer(), nullptr);
    EXPECT_EQ(session.GetPublicGroups(), nullptr);
  }
}

TEST_F(SessionConnectTest, RefusesASecondServerWhileConnected) {
  ASSERT_TRUE(session.Connect("", "Pelkor.DataSample"));
  IOPCServer* first = session.GetServer();
  modalScript().expectMessageBox(gui::IDOK, box("Already connected to an OPC Data Server!", "Unspecified error"));
  EXPECT_FALSE(session.Connect("", "Pelkor.DataSample"));
  EXPECT_EQ(session.GetServer(), first);
}

TEST_F(SessionConnectTest, LeavesComOnDisconnectAndJoinsItAgainForTheNextConnection) {
  ASSERT_TRUE(session.Connect("", "Pelkor.DataSample"));
  session.Disconnect();
  EXPECT_TRUE(threadOutsideCom());
  ASSERT_TRUE(session.Connect("", "Pelkor.DataSample"));
  OPCSERVERSTATUS* status = nullptr;
  ASSERT_EQ(session.GetServer()->GetStatus(&status), S_OK);
  EXPECT_EQ(status->dwServerState, OPC_STATUS_RUNNING);
  session.GetTaskAllocator()->Free(status->szVendorInfo);
  session.GetTaskAllocator()->Free(status);
}

TEST_F(SessionConnectTest, ReportsAThreadThatIsInTheOtherKindOfApartment) {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  modalScript().expectMessageBox(
      gui::IDOK, box("Function 'CoInitializeEx' failed !", "Cannot change thread mode after it is set."));
  EXPECT_FALSE(session.Connect("", "Pelkor.DataSample"));
  CoUninitialize();
}

// ---- other machines, through a stand-in for the network ------------------------------------

// The server list object of the other machine: it knows one ProgID that
// this computer does not.
class RemoteServerList : public com::Object<RemoteServerList, IOPCServerList> {
 public:
  explicit RemoteServerList(CLSID known) : known_(known) {}
  HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG, CATID[], ULONG, CATID[], IEnumGUID**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID, LPOLESTR*, LPOLESTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid) override {
    if (std::u16string(progId) != u"Remote.Only") return CO_E_CLASSSTRING;
    *clsid = known_;
    return S_OK;
  }

 private:
  CLSID known_;
};

// Activates on "the other machine": its server list is RemoteServerList,
// its servers are this computer's. Records what was asked of it, or fails
// every request as an unreachable machine does.
class RecordingActivator : public com::RemoteActivator {
 public:
  struct Request {
    CLSID clsid;
    std::u16string machine;
  };

  explicit RecordingActivator(CLSID remoteOnlyClass, bool reachable = true)
      : remoteOnlyClass_(remoteOnlyClass), reachable_(reachable) {}

  HRESULT createInstance(REFCLSID clsid, IUnknown* outer, DWORD, COSERVERINFO* server, DWORD count,
                         MULTI_QI* results) override {
    {
      std::lock_guard lock(mutex_);
      requests_.push_back({clsid, server->pwszName});
    }
    if (!reachable_) return fail(HRESULT_RPC_S_SERVER_UNAVAILABLE, count, results);
    if (!IsEqualCLSID(clsid, CLSID_OPCServerList)) {
      return CoCreateInstanceEx(clsid, outer, CLSCTX_INPROC_SERVER, nullptr, count, results);
    }
    com::Ptr<RemoteServerList> list = com::makeObject<RemoteServerList>(remoteOnlyClass_);
    HRESULT all = S_OK;
    for (DWORD i = 0; i < count; ++i) {
      results[i].hr = list->QueryInterface(*results[i].pIID, reinterpret_cast<void**>(&results[i].pItf));
      if (FAILED(results[i].hr)) all = E_NOINTERFACE;
    }
    return all;
  }
  HRESULT getClassObject(REFCLSID, DWORD, COSERVERINFO*, REFIID, void**) override { return E_NOTIMPL; }

  std::vector<Request> requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  static HRESULT fail(HRESULT hr, DWORD count, MULTI_QI* results) {
    for (DWORD i = 0; i < count; ++i) results[i] = {results[i].pIID, nullptr, hr};
    return hr;
  }

  CLSID remoteOnlyClass_;
  bool reachable_;
  std::mutex mutex_;
  std::vector<Request> requests_;
};

class RemoteSessionTest : public SessionConnectTest {
 protected:
  void install(std::shared_ptr<RecordingActivator> activator) {
    this->activator = activator;
    previous_ = com::setRemoteActivator(std::move(activator));
  }
  void TearDown() override {
    session.Disconnect();
    com::setRemoteActivator(previous_);
  }

  std::shared_ptr<RecordingActivator> activator;

 private:
  std::shared_ptr<com::RemoteActivator> previous_;
};

TEST_F(RemoteSessionTest, AProgIdUnknownHereIsResolvedByTheOtherMachinesServerList) {
  const CLSID sample = classOf(u"Pelkor.DataSample");
  install(std::make_shared<RecordingActivator>(sample));
  ASSERT_TRUE(session.Connect("testmachine", "Remote.Only"));
  EXPECT_NE(session.GetCommon(), nullptr);
  const auto requests = activator->requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_TRUE(IsEqualCLSID(requests[0].clsid, CLSID_OPCServerList));
  EXPECT_TRUE(IsEqualCLSID(requests[1].clsid, sample));
  EXPECT_EQ(requests[0].machine, u"testmachine");
  EXPECT_EQ(requests[1].machine, u"testmachine");
}

TEST_F(RemoteSessionTest, AProgIdRegisteredHereIsResolvedHereThroughItsCurrentVersion) {
  install(std::make_shared<RecordingActivator>(GUID_NULL, false));
  modalScript().expectMessageBox(gui::IDOK,
                                 box("Function 'CoCreateInstanceEx' failed !", "The RPC server is unavailable."));
  EXPECT_FALSE(session.Connect("testmachine", "Quillon.Test.Versioned"));
  const auto requests = activator->requests();
  ASSERT_EQ(requests.size(), 1u);  // no server list was asked
  EXPECT_TRUE(IsEqualCLSID(requests[0].clsid, kOtherUnservedClass));
  EXPECT_TRUE(threadOutsideCom());
}

TEST_F(RemoteSessionTest, AProgIdTheOtherMachineDoesNotKnowEitherFailsThere) {
  install(std::make_shared<RecordingActivator>(GUID_NULL));
  modalScript().expectMessageBox(
      gui::IDOK,
      box("Function 'IOPCServerList::CLSIDFromProgID' on remote machine failed !", "Invalid class string"));
  EXPECT_FALSE(session.Connect("testmachine", "Unknown.Anywhere"));
  EXPECT_TRUE(threadOutsideCom());
}

}  // namespace
