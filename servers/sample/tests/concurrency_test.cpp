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

}  // namespace
}  // namespace sample::testing
