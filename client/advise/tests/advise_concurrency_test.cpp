// Data-change callbacks arrive on the sample server's update thread while
// the user-interface thread subscribes, opens and closes the dialog, and a
// third thread keeps changing the group's items. Run under ThreadSanitizer:
// no race, and no callback after its receiver has been detached or gone.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "advise/advise_data_dialog.h"
#include "com/allocator.h"
#include "gui/testing/testing.h"
#include "opc/opcda.h"
#include "resources/quillon_resources.h"
#include "session/server_session.h"
#include "session/to_wide_text.h"
#include "testing/scratch_registry.h"

namespace quillon::testing {
namespace {

const auto* const kRegistry = ::testing::AddGlobalTestEnvironment(new ScratchRegistry);

using gui::testing::DialogDriver;
using gui::testing::modalScript;

// Counts the callbacks that carry items, and those that arrive after the
// receiver was told it had been detached.
class CountingCallback : public AdviseCallback {
 public:
  void OnData(const OPCGROUPHEADER*, const OPCITEMHEADER2*, const VARIANT*) override { arrived(); }
  void OnDataWithTime(const OPCGROUPHEADER* header, const OPCITEMHEADER1*, const VARIANT* values) override {
    // Touch every value, as a receiver would.
    for (DWORD i = 0; i < header->dwItemCount; ++i) valueTypes += values[i].vt;
    arrived();
  }
  void OnWriteComplete(const OPCGROUPHEADERWRITE*, const OPCITEMHEADERWRITE*) override { arrived(); }

  std::atomic<int> calls{0};
  std::atomic<int> callsAfterDetach{0};
  std::atomic<bool> detached{false};

 private:
  void arrived() {
    if (detached.load()) callsAfterDetach.fetch_add(1);
    calls.fetch_add(1);
  }
  unsigned valueTypes = 0;  // touched by the update thread only
};

// Adds and removes one item of the group, over and over, through the
// group's own item management, until stopped.
class ItemChurn {
 public:
  explicit ItemChurn(IOPCItemMgt* itemMgt) : itemMgt_(itemMgt) {
    itemMgt_->AddRef();
    thread_ = std::thread([this] { run(); });
  }
  ~ItemChurn() {
    stop_ = true;
    thread_.join();
    itemMgt_->Release();
  }
  int rounds() const { return rounds_.load(); }

 private:
  void run() {
    for (int i = 0; !stop_; ++i) {
      std::u16string id;
      ToWideText(("ManyItems.Item" + std::to_string(i % 50)).c_str(), id);
      OPCITEMDEF definition{const_cast<LPWSTR>(u""), id.data(), TRUE, static_cast<OPCHANDLE>(1000 + i), 0, nullptr,
                            VT_EMPTY, 0};
      OPCITEMRESULT* results = nullptr;
      HRESULT* errors = nullptr;
      if (itemMgt_->AddItems(1, &definition, &results, &errors) == S_OK) {
        OPCHANDLE server = results[0].hServer;
        CoTaskMemFree(results[0].pBlob);
        CoTaskMemFree(results);
        CoTaskMemFree(errors);
        errors = nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        itemMgt_->RemoveItems(1, &server, &errors);
      } else {
        CoTaskMemFree(results);
      }
      CoTaskMemFree(errors);
      rounds_.fetch_add(1);
    }
  }

  IOPCItemMgt* itemMgt_;
  std::atomic<bool> stop_{false};
  std::atomic<int> rounds_{0};
  std::thread thread_;
};

// A session to the sample server with one private group of simulated
// items, updated every 10 ms; no main window, so that nothing but the
// dialog and the server runs beside the test.
class AdviseConcurrencyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ScratchRegistry::hasSampleServer());
    RegisterQuillonResources();
    ASSERT_TRUE(session.Connect("", "Pelkor.DataSample"));
    DWORD revised = 0;
    IUnknown* group = nullptr;
    ASSERT_EQ(session.GetServer()->AddGroup(u"G", TRUE, 10, 1, nullptr, nullptr, 0, &serverGroup, &revised,
                                            IID_IOPCItemMgt, &group),
              S_OK);
    itemMgt = static_cast<IOPCItemMgt*>(group);
    ASSERT_EQ(itemMgt->QueryInterface(IID_IOPCAsyncIO, reinterpret_cast<void**>(&asyncIO)), S_OK);
    ASSERT_EQ(itemMgt->QueryInterface(IID_IOPCSyncIO, reinterpret_cast<void**>(&syncIO)), S_OK);
    const char16_t* ids[] = {u"Simulation.Counter", u"Simulation.Ramp", u"Simulation.Random", u"Simulation.Text"};
    for (DWORD i = 0; i < 4; ++i) {
      OPCITEMDEF definition{const_cast<LPWSTR>(u""), const_cast<LPWSTR>(ids[i]), TRUE, i + 1, 0, nullptr, VT_EMPTY, 0};
      OPCITEMRESULT* results = nullptr;
      HRESULT* errors = nullptr;
      ASSERT_EQ(itemMgt->AddItems(1, &definition, &results, &errors), S_OK);
      if (i == 0) {
        counter.hServer = results[0].hServer;
        counter.hClient = 1;
        counter.bActive = TRUE;
        counter.dwAccessRights = OPC_READABLE;
        counter.dwEUType = OPC_NOENUM;
      }
      CoTaskMemFree(results[0].pBlob);
      CoTaskMemFree(results);
      CoTaskMemFree(errors);
    }
  }
  void TearDown() override {
    modalScript().verifyAndReset();
    if (syncIO != nullptr) syncIO->Release();
    if (asyncIO != nullptr) asyncIO->Release();
    if (itemMgt != nullptr) itemMgt->Release();
    if (serverGroup != 0) session.GetServer()->RemoveGroup(serverGroup, TRUE);
    session.Disconnect();
  }

  // The client handle the server holds for the counter item.
  OPCHANDLE counterClientHandle() {
    OPCITEMSTATE* states = nullptr;
    HRESULT* errors = nullptr;
    if (syncIO->Read(OPC_DS_CACHE, 1, &counter.hServer, &states, &errors) != S_OK) return 0;
    const OPCHANDLE handle = states[0].hClient;
    VariantClear(&states[0].vDataValue);
    CoTaskMemFree(states);
    CoTaskMemFree(errors);
    return handle;
  }

  CServerSession session;
  OPCHANDLE serverGroup = 0;
  IOPCItemMgt* itemMgt = nullptr;
  IOPCAsyncIO* asyncIO = nullptr;
  IOPCSyncIO* syncIO = nullptr;
  OPCITEMATTRIBUTES counter{};
};

TEST_F(AdviseConcurrencyTest, NoCallbackReachesADetachedReceiver) {
  ItemChurn churn(itemMgt);
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    CountingCallback receiver;
    CDataAdviseSink* sink = CDataAdviseSink::Create();
    ASSERT_EQ(sink->ConnectToGroup(asyncIO, &receiver), S_OK);
    DWORD connection = 0;
    ASSERT_EQ(sink->AdviseWithTime(&connection), S_OK);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (receiver.calls.load() < 2 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GE(receiver.calls.load(), 2);
    // Detached while the server still sends to the sink.
    sink->DisconnectCallback();
    receiver.detached = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(receiver.callsAfterDetach.load(), 0);
    EXPECT_EQ(sink->UnadviseWithTime(), S_OK);
    sink->Release();
  }
  EXPECT_GT(churn.rounds(), 0);
}

TEST_F(AdviseConcurrencyTest, TheDialogOpensAndClosesWhileCallbacksArriveAndItemsChange) {
  ItemChurn churn(itemMgt);
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE(round);
    modalScript().expectDialog<CAdviseDataDialog>([&](CAdviseDataDialog& dialog, DialogDriver& d) {
      EXPECT_TRUE(d.pumpUntil([&] { return dialog.callbackCount() >= 2; }, 10000));
      // Closing while callbacks are still on their way.
      d.press(gui::IDOK);
    });
    {
      CAdviseDataDialog dialog(asyncIO, itemMgt, &counter, 0, {1, 2, 3, 4}, &session);
      dialog.DoModal();
    }
    EXPECT_EQ(counterClientHandle(), 1u);
  }
  EXPECT_GT(churn.rounds(), 0);
}

}  // namespace
}  // namespace quillon::testing
