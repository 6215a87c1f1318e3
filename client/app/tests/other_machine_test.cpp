// Quillon connected to a server on another machine, reached through a
// stand-in for the network: the title names the machine, the server learns
// the client's name, the menus show the interfaces that server offers, and
// a state the client does not know reads "Not Connected".

#include <memory>
#include <string>

#include "app/client_name.h"
#include "com/object.h"
#include "com/objbase.h"
#include "com/remote_activator.h"
#include "opc/opcda.h"
#include "quillon_fixture.h"
#include "resources/resource_ids.h"

namespace quillon::testing {
namespace {

using gui::testing::modalScript;
using gui::testing::popupEntryState;

// The other machine's server: this computer's sample server behind
// IOPCServer, with an IOPCCommon of its own that remembers the client's name
// and a status that reports whatever state the test chooses. It offers no
// other interface.
class OtherMachineServer final : public com::Object<OtherMachineServer, IOPCServer, IOPCCommon> {
 public:
  explicit OtherMachineServer(IOPCServer* sample) : sample_(sample) {}
  ~OtherMachineServer() { sample_->Release(); }

  std::u16string clientName;
  int namesReceived = 0;
  // Replaces the sample server's state in every status; 0 keeps it.
  DWORD reportedState = 0;

  HRESULT STDMETHODCALLTYPE AddGroup(LPCWSTR name, BOOL active, DWORD rate, OPCHANDLE client, LONG* bias,
                                     FLOAT* deadband, DWORD locale, OPCHANDLE* server, DWORD* revised, REFIID riid,
                                     LPUNKNOWN* group) override {
    return sample_->AddGroup(name, active, rate, client, bias, deadband, locale, server, revised, riid, group);
  }
  HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT error, LCID locale, LPWSTR* text) override {
    return sample_->GetErrorString(error, locale, text);
  }
  HRESULT STDMETHODCALLTYPE GetGroupByName(LPCWSTR name, REFIID riid, LPUNKNOWN* group) override {
    return sample_->GetGroupByName(name, riid, group);
  }
  HRESULT STDMETHODCALLTYPE GetStatus(OPCSERVERSTATUS** status) override {
    const HRESULT hr = sample_->GetStatus(status);
    if (SUCCEEDED(hr) && reportedState != 0) (*status)->dwServerState = static_cast<OPCSERVERSTATE>(reportedState);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE RemoveGroup(OPCHANDLE group, BOOL force) override {
    return sample_->RemoveGroup(group, force);
  }
  HRESULT STDMETHODCALLTYPE CreateGroupEnumerator(OPCENUMSCOPE scope, REFIID riid, LPUNKNOWN* enumerator) override {
    return sample_->CreateGroupEnumerator(scope, riid, enumerator);
  }

  HRESULT STDMETHODCALLTYPE SetLocaleID(LCID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetLocaleID(LCID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryAvailableLocaleIDs(DWORD*, LCID**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT, LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetClientName(LPCWSTR name) override {
    clientName = name != nullptr ? name : u"(null)";
    ++namesReceived;
    return S_OK;
  }

 private:
  IOPCServer* sample_;
};

// The network stand-in: every object asked of the other machine is an
// OtherMachineServer around a new sample server of this computer.
class OtherMachine : public com::RemoteActivator {
 public:
  HRESULT createInstance(REFCLSID clsid, IUnknown*, DWORD, COSERVERINFO* server, DWORD count,
                         MULTI_QI* results) override {
    machine = server->pwszName;
    MULTI_QI sample{&IID_IOPCServer, nullptr, S_OK};
    HRESULT hr = CoCreateInstanceEx(clsid, nullptr, CLSCTX_INPROC_SERVER, nullptr, 1, &sample);
    if (FAILED(hr)) return hr;
    created = com::makeObject<OtherMachineServer>(static_cast<IOPCServer*>(sample.pItf));
    for (DWORD i = 0; i < count; ++i) {
      results[i].hr = created->QueryInterface(*results[i].pIID, reinterpret_cast<void**>(&results[i].pItf));
      if (FAILED(results[i].hr)) hr = E_NOINTERFACE;
    }
    return hr;
  }
  HRESULT getClassObject(REFCLSID, DWORD, COSERVERINFO*, REFIID, void**) override { return E_NOTIMPL; }

  std::u16string machine;
  com::Ptr<OtherMachineServer> created;
};

class OtherMachineTest : public QuillonTest {
 protected:
  void SetUp() override {
    QuillonTest::SetUp();
    previous_ = com::setRemoteActivator(otherMachine);
  }
  void TearDown() override {
    QuillonTest::TearDown();
    com::setRemoteActivator(previous_);
  }

  std::shared_ptr<OtherMachine> otherMachine = std::make_shared<OtherMachine>();

 private:
  std::shared_ptr<com::RemoteActivator> previous_;
};

TEST_F(OtherMachineTest, TheServerLearnsTheClientsNameAndTheTitleNamesTheMachine) {
  start(answer("Pelkor.DataSample", "plant-7"));
  ASSERT_NE(otherMachine->created, nullptr);
  EXPECT_EQ(otherMachine->machine, u"plant-7");
  EXPECT_EQ(frame->GetWindowText(), "Quillon - Connected to 'plant-7\\Pelkor.DataSample'");

  const std::string name = QuillonClientName();
  EXPECT_EQ(otherMachine->created->clientName, std::u16string(name.begin(), name.end()));
  EXPECT_EQ(otherMachine->created->namesReceived, 1);
  // Without a shutdown connection point the connection stands; no notice can come.
  EXPECT_FALSE(frame->shutdownConnection().IsAdvised());
  EXPECT_EQ(entries(frame->publicGroupView()), (QStringList{"Public Groups", "Public Simulation"}));
  EXPECT_TRUE(modalScript().messageBoxes().empty());
}

TEST_F(OtherMachineTest, OnlyThePopupsOfTheOfferedInterfacesAreEnabled) {
  start(answer("Pelkor.DataSample", "plant-7"));
  struct Case {
    const char* popup;
    bool enabled;
  };
  const Case cases[] = {
      {"IOPC&Server", true},         {"IOPCServer&PublicGroups", false}, {"IOPCBrowseServer&AddressSpace", false},
      {"IPersist&File", false},      {"IOPCC&ommon", true},              {"IOPCItemP&roperties", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(popupEntryState(*frame, {"&OPCServer", c.popup}).enabled, c.enabled) << c.popup;
  }
}

TEST_F(OtherMachineTest, AStateTheClientDoesNotKnowLooksLikeNotConnectedWhileTheConnectionStands) {
  start([](gui::testing::DialogDriver& d) { d.press(gui::IDCANCEL); });
  const QImage notConnected = statePaneImage();
  connect(answer("Pelkor.DataSample", "plant-7"));
  ASSERT_NE(otherMachine->created, nullptr);
  const QImage running = statePaneImage();
  EXPECT_NE(running, notConnected);

  struct Case {
    DWORD reported;
    const QImage& looksLike;  // null: like neither
  };
  const QImage neither;
  const Case cases[] = {
      {OPC_STATUS_SUSPENDED, neither},
      {9, notConnected},
      {0xFFFFFFFF, notConnected},
      {OPC_STATUS_RUNNING, running},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reported);
    otherMachine->created->reportedState = c.reported;
    frame->SendMessage(gui::WM_TIMER, CMainWindow::kStatusTimer);
    const QImage shown = statePaneImage();
    if (c.looksLike.isNull()) {
      EXPECT_NE(shown, notConnected);
    } else {
      EXPECT_EQ(shown, c.looksLike);
    }
    EXPECT_NE(frame->session().GetServer(), nullptr);
  }
  EXPECT_TRUE(modalScript().messageBoxes().empty());
}

}  // namespace
}  // namespace quillon::testing
