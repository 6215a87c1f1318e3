// Callbacks from the server's update thread while clients change the group
// from their own threads, and clients that call back into the server from
// inside a callback. Run under ThreadSanitizer too.

#include <atomic>
#include <string>

#include "test_support.h"

namespace sample::testing {
namespace {

std::u16string manyItem(int index) {
  std::u16string id = u"ManyItems.Item";
  for (char c : std::to_string(index)) id.push_back(static_cast<char16_t>(c));
  return id;
}

class SampleConcurrencyTest : public ServerTest {
 protected:
  com::Ptr<IOPCServer> server = makeServer();
};

TEST_F(SampleConcurrencyTest, CallbacksKeepComingWhileClientsAddAndRemoveItems) {
  GroupInfo group = addGroup(server.get(), u"Busy", 10);
  ASSERT_EQ(addItems(group.items.get(), {u"Simulation.Ramp", u"Simulation.Counter", u"Simulation.Wave",
                                         u"Simulation.Text"})
                .result,
            S_OK);
  com::Ptr<RecordingSink> sink = com::makeObject<RecordingSink>();
  const DWORD connection = advise(group.items.get(), OPCSTMFORMATDATATIME_NAME, sink.get());
  const auto testThread = std::this_thread::get_id();

  std::atomic<bool> stop{false};
  auto churn = [&](int first) {
    auto items = query<IOPCItemMgt>(group.items);
    auto io = query<IOPCSyncIO>(group.items);
    for (int round = 0; !stop; ++round) {
      std::vector<std::u16string> ids;
      for (int k = 0; k < 5; ++k) ids.push_back(manyItem(first + (round * 5 + k) % 40));
      AddedItems added = addItems(items.get(), ids, VT_EMPTY, static_cast<OPCHANDLE>(1000 + round));
      ASSERT_EQ(added.result, S_OK);
      HRESULT* errors = nullptr;
      ASSERT_EQ(items->SetActiveState(2, added.handles.data(), FALSE, &errors), S_OK);
      CoTaskMemFree(errors);
      OPCITEMSTATE* states = nullptr;
      ASSERT_EQ(io->Read(OPC_DS_CACHE, 5, added.handles.data(), &states, &errors), S_OK);
      CoTaskMemFree(states);
      CoTaskMemFree(errors);
      ASSERT_EQ(items->RemoveItems(5, added.handles.data(), &errors), S_OK);
      CoTaskMemFree(errors);
    }
  };
  std::thread first(churn, 0);
  std::thread second(churn, 50);
  const size_t before = sink->count();
  ASSERT_TRUE(waitFor([&] { return sink->count() >= before + 20; }));
  stop = true;
  first.join();
  second.join();

  EXPECT_EQ(query<IDataObject>(group.items)->DUnadvise(connection), S_OK);
  for (const auto& stream : sink->streams()) {
    EXPECT_TRUE(stream.wellFormed);
    EXPECT_NE(stream.thread, testThread);
  }
}

TEST_F(SampleConcurrencyTest, AClientMayCallTheServerFromInsideACallback) {
  GroupInfo group = addGroup(server.get(), u"Reentrant", 10);
  AddedItems added = addItems(group.items.get(), {u"Simulation.Counter", u"Static.I4"});
  ASSERT_EQ(added.result, S_OK);
  com::Ptr<RecordingSink> sink = com::makeObject<RecordingSink>();
  // Every callback reads the group, changes it and looks at the server.
  std::atomic<int> reentered{0};
  IOPCItemMgt* items = group.items.get();
  IOPCServer* owner = server.get();
  sink->onData = [&](const DecodedStream&) {
    auto io = query<IOPCSyncIO>(items);
    OPCITEMSTATE* states = nullptr;
    HRESULT* errors = nullptr;
    if (io->Read(OPC_DS_CACHE, 2, added.handles.data(), &states, &errors) == S_OK) {
      for (int i = 0; i < 2; ++i) VariantClear(&states[i].vDataValue);
      CoTaskMemFree(states);
      CoTaskMemFree(errors);
    }
    OPCHANDLE client = 555;
    if (items->SetClientHandles(1, &added.handles[1], &client, &errors) == S_OK) CoTaskMemFree(errors);
    OPCSERVERSTATUS* status = nullptr;
    if (owner->GetStatus(&status) == S_OK) {
      CoTaskMemFree(status->szVendorInfo);
      CoTaskMemFree(status);
    }
    ++reentered;
  };
  const DWORD connection = advise(group.items.get(), OPCSTMFORMATDATA_NAME, sink.get());
  ASSERT_TRUE(waitFor([&] { return reentered >= 5; }));
  EXPECT_EQ(query<IDataObject>(group.items)->DUnadvise(connection), S_OK);
}

TEST_F(SampleConcurrencyTest, AClientMayUnadviseFromInsideACallback) {
  GroupInfo group = addGroup(server.get(), u"Leaving", 10);
  ASSERT_EQ(addItems(group.items.get(), {u"Simulation.Counter"}).result, S_OK);
  com::Ptr<RecordingSink> sink = com::makeObject<RecordingSink>();
  auto data = query<IDataObject>(group.items);
  std::atomic<DWORD> connection{0};
  std::atomic<int> unadvised{0};
  sink->onData = [&](const DecodedStream&) {
    if (data->DUnadvise(connection.load()) == S_OK) ++unadvised;
  };
  connection = advise(group.items.get(), OPCSTMFORMATDATATIME_NAME, sink.get());
  ASSERT_TRUE(waitFor([&] { return unadvised == 1; }));
  const size_t count = sink->count();
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_EQ(sink->count(), count);
}

TEST_F(SampleConcurrencyTest, GroupsComeAndGoWhileTheServerSendsUpdates) {
  com::Ptr<RecordingSink> sink = com::makeObject<RecordingSink>();
  std::atomic<bool> stop{false};
  auto worker = [&](int id) {
    for (int round = 0; !stop; ++round) {
      const std::u16string name = u"W" + std::u16string(1, static_cast<char16_t>(u'0' + id)) + u"-" +
                                  std::u16string(1, static_cast<char16_t>(u'a' + round % 26));
      GroupInfo group = addGroup(server.get(), name.c_str(), 10);
      ASSERT_EQ(addItems(group.items.get(), {u"Simulation.Ramp", u"Static.I4"}).result, S_OK);
      const DWORD connection = advise(group.items.get(), OPCSTMFORMATDATA_NAME, sink.get());
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (round % 2 == 0) {
        EXPECT_EQ(query<IDataObject>(group.items)->DUnadvise(connection), S_OK);
      }
      const OPCHANDLE handle = group.handle;
      // Odd rounds leave the connection to be cut by the forced removal.
      group.items = nullptr;
      EXPECT_EQ(server->RemoveGroup(handle, TRUE), S_OK);
    }
  };
  std::thread a(worker, 1);
  std::thread b(worker, 2);
  ASSERT_TRUE(waitFor([&] { return sink->count() >= 10; }));
  stop = true;
  a.join();
  b.join();
  for (const auto& stream : sink->streams()) EXPECT_TRUE(stream.wellFormed);
}

// Clients remove groups (held or not, with or without ending the callback
// first) while the server answers their asynchronous requests: once
// RemoveGroup returns, the group's callback hears nothing more.
TEST_F(SampleConcurrencyTest, NoCallbackFollowsTheRemovalOfItsGroup) {
  std::atomic<int> late{0};
  std::atomic<int> answered{0};
  auto worker = [&](int id) {
    for (int round = 0; round < 12; ++round) {
      const std::u16string name = u"R" + std::u16string(1, static_cast<char16_t>(u'0' + id)) + u"-" +
                                  std::u16string(1, static_cast<char16_t>(u'a' + round));
      GroupInfo group = addGroup(server.get(), name.c_str(), 10);
      AddedItems added = addItems(group.items.get(), {u"Simulation.Ramp", u"Static.I4", u"Simulation.Counter"});
      ASSERT_EQ(added.result, S_OK);
      std::atomic<bool> removed{false};
      com::Ptr<RecordingCallback> callback = com::makeObject<RecordingCallback>();
      callback->onCall = [&](const CallbackRecord& call) {
        if (removed) ++late;
        if (call.transactionId != 0) ++answered;
      };
      const DWORD cookie = connectCallback(group.items.get(), callback.get());
      auto io = query<IOPCAsyncIO2>(group.items);
      VARIANT value;
      value.vt = VT_I4;
      value.lVal = round;
      for (int request = 0; request < 6; ++request) {
        DWORD cancelId = 0;
        HRESULT* errors = nullptr;
        const DWORD transaction = static_cast<DWORD>(request + 1);
        switch (request % 3) {
          case 0:
            EXPECT_EQ(io->Read(3, added.handles.data(), transaction, &cancelId, &errors), S_OK);
            break;
          case 1:
            EXPECT_EQ(io->Write(1, &added.handles[1], &value, transaction, &cancelId, &errors), S_OK);
            break;
          default:
            EXPECT_EQ(io->Refresh2(OPC_DS_DEVICE, transaction, &cancelId), S_OK);
        }
        CoTaskMemFree(errors);
        if (round % 3 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      if (round % 4 == 1) {
        EXPECT_EQ(disconnectCallback(group.items.get(), cookie), S_OK);
      }
      if (round % 2 == 0) {
        // Held by the client: the group is deleted, not yet gone.
        EXPECT_EQ(server->RemoveGroup(group.handle, FALSE), OPC_S_INUSE);
        removed = true;
        DWORD cancelId = 0;
        EXPECT_EQ(io->Refresh2(OPC_DS_CACHE, 99, &cancelId), E_FAIL);
        io = nullptr;
        group.items = nullptr;
      } else {
        io = nullptr;
        group.items = nullptr;
        EXPECT_EQ(server->RemoveGroup(group.handle, round % 3 == 0), S_OK);
        removed = true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
  };
  std::thread a(worker, 1);
  std::thread b(worker, 2);
  a.join();
  b.join();
  EXPECT_EQ(late, 0);
  EXPECT_GT(answered, 0);
}

// Cancel2 races with the update thread answering the same request: every
// request ends in exactly one answer, a cancel confirmation exactly when
// Cancel2 succeeded.
TEST_F(SampleConcurrencyTest, EveryRequestEndsInOneAnswerWhateverCancel2Finds) {
  GroupInfo group = addGroup(server.get(), u"Cancelling", 10);
  AddedItems added = addItems(group.items.get(), {u"Static.I4", u"Simulation.Ramp"});
  ASSERT_EQ(added.result, S_OK);
  com::Ptr<RecordingCallback> callback = com::makeObject<RecordingCallback>();
  const DWORD cookie = connectCallback(group.items.get(), callback.get());
  auto io = query<IOPCAsyncIO2>(group.items);
  constexpr DWORD kRequests = 300;
  std::vector<bool> cancelled(kRequests + 1, false);
  for (DWORD transaction = 1; transaction <= kRequests; ++transaction) {
    DWORD cancelId = 0;
    HRESULT* errors = nullptr;
    ASSERT_EQ(io->Read(2, added.handles.data(), transaction, &cancelId, &errors), S_OK);
    CoTaskMemFree(errors);
    if (transaction % 7 == 0) std::this_thread::yield();
    const HRESULT hr = io->Cancel2(cancelId);
    ASSERT_TRUE(hr == S_OK || hr == E_FAIL) << std::hex << hr;
    cancelled[transaction] = hr == S_OK;
  }
  ASSERT_TRUE(waitFor([&] { return !callback->answersTo(kRequests).empty(); }));
  size_t cancels = 0;
  for (DWORD transaction = 1; transaction <= kRequests; ++transaction) {
    const auto answers = callback->answersTo(transaction);
    ASSERT_EQ(answers.size(), 1u) << transaction;
    EXPECT_EQ(answers[0].method, cancelled[transaction] ? CallbackRecord::Method::CancelComplete
                                                        : CallbackRecord::Method::ReadComplete)
        << transaction;
    if (cancelled[transaction]) ++cancels;
  }
  // Which outcome each request takes is up to the race, but a request is
  // usually still waiting when Cancel2 follows at once.
  EXPECT_GT(cancels, 0u);
  EXPECT_EQ(disconnectCallback(group.items.get(), cookie), S_OK);
}

// A callback may remove its own group, or end its connection: the update
// thread does not wait for itself, and sends nothing more.
TEST_F(SampleConcurrencyTest, ACallbackMayRemoveItsOwnGroup) {
  for (bool removeGroup : {true, false}) {
    GroupInfo group = addGroup(server.get(), removeGroup ? u"Removing" : u"Unadvising", 10);
    ASSERT_EQ(addItems(group.items.get(), {u"Simulation.Counter"}).result, S_OK);
    com::Ptr<RecordingCallback> callback = com::makeObject<RecordingCallback>();
    std::atomic<DWORD> cookie{0};
    std::atomic<int> done{0};
    IOPCServer* owner = server.get();
    IOPCItemMgt* items = group.items.get();
    const OPCHANDLE handle = group.handle;
    callback->onCall = [&](const CallbackRecord&) {
      if (done > 0) return;
      const HRESULT hr = removeGroup ? owner->RemoveGroup(handle, FALSE) : disconnectCallback(items, cookie);
      if (SUCCEEDED(hr)) ++done;
    };
    cookie = connectCallback(group.items.get(), callback.get());
    ASSERT_TRUE(waitFor([&] { return done == 1; }));
    const size_t count = callback->count();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(callback->count(), count);
    if (!removeGroup) {
      EXPECT_EQ(server->RemoveGroup(handle, FALSE), OPC_S_INUSE);
    }
  }
}

}  // namespace
}  // namespace sample::testing
