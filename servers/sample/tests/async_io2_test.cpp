// The DA 2.0 side of a group: the connection point for IOPCDataCallback,
// IOPCAsyncIO2 with its transaction and cancel IDs, the enable flag, and how
// a group takes a DA 1.0 advise or a DA 2.0 callback.

#include "test_support.h"

namespace sample::testing {
namespace {

using Method = CallbackRecord::Method;

constexpr OPCHANDLE kUnknownHandle = 0xFFFF0000;

// Holds the server's update thread inside a callback until released, so
// that requests made meanwhile are sure to be waiting.
class ThreadHold {
 public:
  void arm() {
    std::lock_guard lock(mutex_);
    holding_ = true;
  }
  // Called inside a callback.
  void enter() {
    std::unique_lock lock(mutex_);
    if (!holding_) return;
    held_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return !holding_; });
  }
  bool waitUntilHeld() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(5), [&] { return held_; });
  }
  void release() {
    {
      std::lock_guard lock(mutex_);
      holding_ = false;
    }
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool holding_ = false;
  bool held_ = false;
};

class SampleAsyncIO2Test : public ServerTest {
 protected:
  com::Ptr<IOPCServer> server = makeServer();
  GroupInfo group = addGroup(server.get(), u"Callbacks", 20, true, 77);
  com::Ptr<RecordingCallback> callback = com::makeObject<RecordingCallback>();
  DWORD cookie = 0;

  // A second group whose callback parks the update thread (see holdUpdates).
  GroupInfo parking;
  com::Ptr<RecordingCallback> parker;
  DWORD parkingCookie = 0;
  ThreadHold hold;

  void TearDown() override {
    hold.release();
    if (cookie != 0) {
      EXPECT_EQ(disconnectCallback(group.items.get(), cookie), S_OK);
    }
    if (parkingCookie != 0) {
      EXPECT_EQ(disconnectCallback(parking.items.get(), parkingCookie), S_OK);
    }
  }

  com::Ptr<IOPCAsyncIO2> io() { return query<IOPCAsyncIO2>(group.items); }
  void connect() { cookie = connectCallback(group.items.get(), callback.get()); }
  // Connects and waits for the first data change, so that later calls are
  // not mixed up with it.
  void connectAndSettle() {
    connect();
    ASSERT_TRUE(callback->waitForCall([](const CallbackRecord& c) { return c.method == Method::DataChange; }));
  }

  // Parks the update thread inside a callback of another group; requests of
  // the group under test then wait until releaseUpdates().
  void addParkingGroup() {
    parking = addGroup(server.get(), u"Parking", 20);
    ASSERT_EQ(addItems(parking.items.get(), {u"Static.I2"}).result, S_OK);
  }
  void holdUpdates() {
    if (!parking.items) addParkingGroup();
    parker = com::makeObject<RecordingCallback>();
    parker->onCall = [this](const CallbackRecord&) { hold.enter(); };
    hold.arm();
    parkingCookie = connectCallback(parking.items.get(), parker.get());
    ASSERT_TRUE(hold.waitUntilHeld());
  }
  void releaseUpdates() { hold.release(); }

  CallbackRecord waitForAnswer(DWORD transactionId, Method method) {
    CallbackRecord found;
    EXPECT_TRUE(callback->waitForCall(
        [&](const CallbackRecord& c) { return c.transactionId == transactionId && c.method == method; }, &found))
        << "transaction " << transactionId;
    return found;
  }

  HRESULT read(std::vector<OPCHANDLE> handles, DWORD transactionId, DWORD* cancelId,
               std::vector<HRESULT>* errors = nullptr) {
    HRESULT* out = nullptr;
    const HRESULT hr = io()->Read(static_cast<DWORD>(handles.size()), handles.data(), transactionId, cancelId, &out);
    if (errors != nullptr && out != nullptr) errors->assign(out, out + handles.size());
    CoTaskMemFree(out);
    return hr;
  }
};

VARIANT i4(LONG value) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

VARIANT r8(double value) {
  VARIANT v;
  v.vt = VT_R8;
  v.dblVal = value;
  return v;
}

TEST_F(SampleAsyncIO2Test, TheGroupOffersOneConnectionPointForOneCallback) {
  auto container = query<IConnectionPointContainer>(group.items);
  ASSERT_TRUE(container);
  com::Ptr<IConnectionPoint> other;
  EXPECT_EQ(container->FindConnectionPoint(IID_IOPCShutdown, other.put()), CONNECT_E_NOCONNECTION);
  com::Ptr<IConnectionPoint> point;
  ASSERT_EQ(container->FindConnectionPoint(IID_IOPCDataCallback, point.put()), S_OK);
  IID iid{};
  EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
  EXPECT_TRUE(IsEqualIID(iid, IID_IOPCDataCallback));
  com::Ptr<IConnectionPointContainer> back;
  ASSERT_EQ(point->GetConnectionPointContainer(back.put()), S_OK);
  EXPECT_EQ(query<IUnknown>(back).get(), query<IUnknown>(group.items).get());

  com::Ptr<IEnumConnectionPoints> points;
  ASSERT_EQ(container->EnumConnectionPoints(points.put()), S_OK);
  IConnectionPoint* listed[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(points->Next(2, listed, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(listed[0], point.get());
  listed[0]->Release();

  // A sink of another interface cannot connect; a second callback finds the
  // place taken.
  com::Ptr<RecordingSink> notACallback = com::makeObject<RecordingSink>();
  DWORD refused = 1;
  EXPECT_EQ(point->Advise(notACallback.get(), &refused), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(refused, 0u);
  ASSERT_EQ(point->Advise(callback.get(), &cookie), S_OK);
  EXPECT_NE(cookie, 0u);
  com::Ptr<RecordingCallback> second = com::makeObject<RecordingCallback>();
  DWORD secondCookie = 0;
  EXPECT_EQ(point->Advise(second.get(), &secondCookie), CONNECT_E_ADVISELIMIT);

  com::Ptr<IEnumConnections> connections;
  ASSERT_EQ(point->EnumConnections(connections.put()), S_OK);
  CONNECTDATA data[2] = {};
  EXPECT_EQ(connections->Next(2, data, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(data[0].dwCookie, cookie);
  EXPECT_EQ(data[0].pUnk, static_cast<IUnknown*>(callback.get()));
  data[0].pUnk->Release();

  EXPECT_EQ(point->Unadvise(cookie + 1), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  cookie = 0;
}

TEST_F(SampleAsyncIO2Test, CallsNeedACallbackAndSoundArguments) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4"});
  OPCHANDLE* handle = added.handles.data();
  VARIANT value = i4(1);
  DWORD cancelId = 0;
  HRESULT* errors = nullptr;
  BOOL enabled = FALSE;
  auto asyncIO = io();
  const struct {
    const char* call;
    HRESULT result;
  } unconnected[] = {
      {"Read", asyncIO->Read(1, handle, 1, &cancelId, &errors)},
      {"Write", asyncIO->Write(1, handle, &value, 1, &cancelId, &errors)},
      {"Refresh2", asyncIO->Refresh2(OPC_DS_CACHE, 1, &cancelId)},
      {"SetEnable", asyncIO->SetEnable(FALSE)},
      {"GetEnable", asyncIO->GetEnable(&enabled)},
  };
  for (const auto& c : unconnected) EXPECT_EQ(c.result, CONNECT_E_NOCONNECTION) << c.call;
  EXPECT_EQ(asyncIO->Cancel2(12345), E_FAIL);

  connect();
  const struct {
    const char* call;
    HRESULT result;
  } invalid[] = {
      {"Read of no items", asyncIO->Read(0, handle, 1, &cancelId, &errors)},
      {"Read without handles", asyncIO->Read(1, nullptr, 1, &cancelId, &errors)},
      {"Read without cancel ID", asyncIO->Read(1, handle, 1, nullptr, &errors)},
      {"Write of no items", asyncIO->Write(0, handle, &value, 1, &cancelId, &errors)},
      {"Write without values", asyncIO->Write(1, handle, nullptr, 1, &cancelId, &errors)},
      {"Write without errors", asyncIO->Write(1, handle, &value, 1, &cancelId, nullptr)},
      {"Refresh2 from nowhere", asyncIO->Refresh2(static_cast<OPCDATASOURCE>(3), 1, &cancelId)},
      {"Refresh2 without cancel ID", asyncIO->Refresh2(OPC_DS_CACHE, 1, nullptr)},
      {"GetEnable without flag", asyncIO->GetEnable(nullptr)},
  };
  for (const auto& c : invalid) EXPECT_EQ(c.result, E_INVALIDARG) << c.call;
  EXPECT_EQ(errors, nullptr);
  EXPECT_EQ(cancelId, 0u);
}

TEST_F(SampleAsyncIO2Test, DataChangesComeWithTransactionZeroFromTheServersThread) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4", u"Static.R8", u"Access.WriteOnly"});
  ASSERT_EQ(added.result, S_OK);
  connect();
  CallbackRecord first;
  ASSERT_TRUE(callback->waitForCall([](const CallbackRecord& c) { return c.method == Method::DataChange; }, &first));
  EXPECT_EQ(first.transactionId, 0u);
  EXPECT_EQ(first.clientGroup, 77u);
  EXPECT_NE(first.thread, std::this_thread::get_id());
  EXPECT_EQ(first.masterQuality, S_OK);
  EXPECT_EQ(first.masterError, S_OK);
  // A write-only item is never sent.
  ASSERT_EQ(first.clientHandles, (std::vector<OPCHANDLE>{100, 101}));
  EXPECT_EQ(first.values[0].get().vt, VT_I4);
  EXPECT_EQ(first.values[0].get().lVal, -123456);
  EXPECT_EQ(first.values[1].get().dblVal, 3.25);
  for (WORD quality : first.qualities) EXPECT_EQ(quality, OPC_QUALITY_GOOD);
  EXPECT_NE(ticksOf(first.timeStamps[0]), 0u);

  // Later updates carry only what changed.
  VARIANT value = i4(5);
  HRESULT* errors = nullptr;
  ASSERT_EQ(query<IOPCSyncIO>(group.items)->Write(1, &added.handles[0], &value, &errors), S_OK);
  CoTaskMemFree(errors);
  CallbackRecord next;
  ASSERT_TRUE(callback->waitForCall(
      [](const CallbackRecord& c) {
        return c.method == Method::DataChange && c.values.size() == 1 && c.values[0].get().lVal == 5;
      },
      &next));
  EXPECT_EQ(next.clientHandles, (std::vector<OPCHANDLE>{100}));

  // An item whose value cannot take the requested type makes both master
  // codes S_FALSE.
  AddedItems text = addItems(group.items.get(), {u"Static.BSTR"}, VT_I4, 200);
  ASSERT_EQ(text.result, S_OK);
  CallbackRecord failed;
  ASSERT_TRUE(callback->waitForCall([](const CallbackRecord& c) { return c.indexOf(200) >= 0; }, &failed));
  const int at = failed.indexOf(200);
  EXPECT_TRUE(FAILED(failed.errors[at]));
  EXPECT_EQ(failed.qualities[at] & OPC_QUALITY_MASK, OPC_QUALITY_BAD);
  EXPECT_EQ(failed.masterQuality, S_FALSE);
  EXPECT_EQ(failed.masterError, S_FALSE);
}

TEST_F(SampleAsyncIO2Test, ReadAnswersTheClientsTransactionFromTheDevice) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4", u"Access.WriteOnly"});
  ASSERT_EQ(added.result, S_OK);
  // An inactive item reads from the device with its real quality.
  HRESULT* errors = nullptr;
  ASSERT_EQ(group.items->SetActiveState(1, &added.handles[0], FALSE, &errors), S_OK);
  CoTaskMemFree(errors);
  connect();  // no item to send data changes of

  DWORD cancelId = 0;
  std::vector<HRESULT> itemErrors;
  EXPECT_EQ(read({added.handles[0], added.handles[1], kUnknownHandle}, 41, &cancelId, &itemErrors), S_FALSE);
  EXPECT_EQ(itemErrors, (std::vector<HRESULT>{S_OK, OPC_E_BADRIGHTS, OPC_E_INVALIDHANDLE}));
  EXPECT_NE(cancelId, 0u);
  CallbackRecord answer = waitForAnswer(41, Method::ReadComplete);
  EXPECT_EQ(answer.clientGroup, 77u);
  EXPECT_NE(answer.thread, std::this_thread::get_id());
  ASSERT_EQ(answer.clientHandles, (std::vector<OPCHANDLE>{100}));
  EXPECT_EQ(answer.values[0].get().lVal, -123456);
  EXPECT_EQ(answer.qualities[0], OPC_QUALITY_GOOD);
  EXPECT_EQ(answer.errors[0], S_OK);
  EXPECT_EQ(answer.masterQuality, S_OK);
  EXPECT_EQ(answer.masterError, S_OK);

  // The same transaction ID again is the client's business; the cancel IDs
  // differ.
  DWORD again = 0;
  EXPECT_EQ(read({added.handles[0]}, 41, &again), S_OK);
  EXPECT_NE(again, cancelId);
  // A read that no item passes starts no transaction: its answer would come
  // before that of a later read.
  DWORD none = 5;
  EXPECT_EQ(read({added.handles[1], kUnknownHandle}, 42, &none, &itemErrors), S_FALSE);
  EXPECT_EQ(none, 0u);
  DWORD later = 0;
  EXPECT_EQ(read({added.handles[0]}, 43, &later), S_OK);
  waitForAnswer(43, Method::ReadComplete);
  EXPECT_TRUE(callback->answersTo(42).empty());
  EXPECT_EQ(callback->answersTo(41).size(), 2u);
}

TEST_F(SampleAsyncIO2Test, WriteAnswersEachItemsOutcome) {
  AddedItems added =
      addItems(group.items.get(), {u"Static.I4", u"Analog.Pressure", u"Enumerated.Valve", u"Access.ReadOnly"});
  ASSERT_EQ(added.result, S_OK);
  connectAndSettle();
  VARIANT values[] = {i4(17), r8(25.0), i4(9), i4(1)};
  DWORD cancelId = 0;
  HRESULT* errors = nullptr;
  ASSERT_EQ(io()->Write(4, added.handles.data(), values, 51, &cancelId, &errors), S_FALSE);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[3], OPC_E_BADRIGHTS);
  CoTaskMemFree(errors);
  CallbackRecord answer = waitForAnswer(51, Method::WriteComplete);
  EXPECT_EQ(answer.clientGroup, 77u);
  ASSERT_EQ(answer.clientHandles, (std::vector<OPCHANDLE>{100, 101, 102}));
  EXPECT_EQ(answer.errors, (std::vector<HRESULT>{S_OK, OPC_S_CLAMP, OPC_E_RANGE}));
  EXPECT_EQ(answer.masterError, S_FALSE);

  OPCITEMSTATE* states = nullptr;
  ASSERT_EQ(query<IOPCSyncIO>(group.items)->Read(OPC_DS_DEVICE, 1, added.handles.data(), &states, &errors), S_OK);
  EXPECT_EQ(states[0].vDataValue.lVal, 17);
  CoTaskMemFree(states);
  CoTaskMemFree(errors);

  ASSERT_EQ(io()->Write(1, added.handles.data(), values, 52, &cancelId, &errors), S_OK);
  CoTaskMemFree(errors);
  EXPECT_EQ(waitForAnswer(52, Method::WriteComplete).masterError, S_OK);
}

TEST_F(SampleAsyncIO2Test, Refresh2SendsEveryActiveItemWithTheTransaction) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4", u"Static.R8"});
  ASSERT_EQ(added.result, S_OK);
  HRESULT* errors = nullptr;
  ASSERT_EQ(group.items->SetActiveState(1, &added.handles[1], FALSE, &errors), S_OK);
  CoTaskMemFree(errors);
  connectAndSettle();

  for (OPCDATASOURCE source : {OPC_DS_CACHE, OPC_DS_DEVICE}) {
    const DWORD transaction = 60 + source;
    DWORD cancelId = 0;
    ASSERT_EQ(io()->Refresh2(source, transaction, &cancelId), S_OK);
    EXPECT_NE(cancelId, 0u);
    // Unchanged values come too, but no inactive item.
    CallbackRecord answer = waitForAnswer(transaction, Method::DataChange);
    EXPECT_EQ(answer.clientHandles, (std::vector<OPCHANDLE>{100})) << source;
    EXPECT_EQ(answer.qualities, (std::vector<WORD>{OPC_QUALITY_GOOD})) << source;
  }

  DWORD cancelId = 0;
  ASSERT_EQ(group.items->SetActiveState(1, &added.handles[0], FALSE, &errors), S_OK);
  CoTaskMemFree(errors);
  EXPECT_EQ(io()->Refresh2(OPC_DS_CACHE, 63, &cancelId), E_FAIL);  // no active item
  ASSERT_EQ(group.items->SetActiveState(1, &added.handles[0], TRUE, &errors), S_OK);
  CoTaskMemFree(errors);
  BOOL inactive = FALSE;
  DWORD revised = 0;
  ASSERT_EQ(query<IOPCGroupStateMgt>(group.items)->SetState(nullptr, &revised, &inactive, nullptr, nullptr, nullptr,
                                                            nullptr),
            S_OK);
  EXPECT_EQ(io()->Refresh2(OPC_DS_DEVICE, 64, &cancelId), E_FAIL);  // inactive group
  EXPECT_EQ(cancelId, 0u);
}

TEST_F(SampleAsyncIO2Test, Cancel2StopsARequestThatIsStillWaiting) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4"});
  ASSERT_EQ(added.result, S_OK);
  connectAndSettle();
  holdUpdates();
  DWORD readId = 0, writeId = 0, refreshId = 0;
  ASSERT_EQ(read({added.handles[0]}, 71, &readId), S_OK);
  VARIANT value = i4(3);
  HRESULT* errors = nullptr;
  ASSERT_EQ(io()->Write(1, added.handles.data(), &value, 72, &writeId, &errors), S_OK);
  CoTaskMemFree(errors);
  ASSERT_EQ(io()->Refresh2(OPC_DS_CACHE, 73, &refreshId), S_OK);
  EXPECT_EQ(io()->Cancel2(readId), S_OK);
  EXPECT_EQ(io()->Cancel2(readId), E_FAIL);  // already cancelled
  EXPECT_EQ(io()->Cancel2(refreshId), S_OK);
  EXPECT_EQ(io()->Cancel2(0xDEAD), E_FAIL);  // unknown
  releaseUpdates();

  // Answers come in the order of the requests.
  waitForAnswer(73, Method::CancelComplete);
  for (DWORD cancelled : {71u, 73u}) {
    const auto answers = callback->answersTo(cancelled);
    ASSERT_EQ(answers.size(), 1u) << cancelled;
    EXPECT_EQ(answers[0].method, Method::CancelComplete);
    EXPECT_EQ(answers[0].clientGroup, 77u);
    EXPECT_NE(answers[0].thread, std::this_thread::get_id());
  }
  ASSERT_EQ(callback->answersTo(72).size(), 1u);
  EXPECT_EQ(callback->answersTo(72)[0].method, Method::WriteComplete);
  EXPECT_EQ(io()->Cancel2(writeId), E_FAIL);  // answered already
}

TEST_F(SampleAsyncIO2Test, TheEnableFlagTurnsOffOnlyTheGroupsOwnDataChanges) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4"});
  ASSERT_EQ(added.result, S_OK);
  connectAndSettle();
  auto asyncIO = io();
  BOOL enabled = FALSE;
  EXPECT_EQ(asyncIO->GetEnable(&enabled), S_OK);
  EXPECT_EQ(enabled, TRUE);
  ASSERT_EQ(asyncIO->SetEnable(FALSE), S_OK);
  EXPECT_EQ(asyncIO->GetEnable(&enabled), S_OK);
  EXPECT_EQ(enabled, FALSE);
  callback->clear();

  VARIANT value = i4(8);
  HRESULT* errors = nullptr;
  ASSERT_EQ(query<IOPCSyncIO>(group.items)->Write(1, added.handles.data(), &value, &errors), S_OK);
  CoTaskMemFree(errors);
  DWORD cancelId = 0;
  ASSERT_EQ(read({added.handles[0]}, 81, &cancelId), S_OK);
  ASSERT_EQ(asyncIO->Refresh2(OPC_DS_CACHE, 82, &cancelId), S_OK);
  waitForAnswer(81, Method::ReadComplete);
  EXPECT_EQ(waitForAnswer(82, Method::DataChange).values[0].get().lVal, 8);
  // Five update periods pass without a data change of the group's own.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  for (const auto& call : callback->calls()) EXPECT_NE(call.transactionId, 0u);

  // Turned on again, the group sends what changed while it was off.
  ASSERT_EQ(asyncIO->SetEnable(TRUE), S_OK);
  CallbackRecord update;
  ASSERT_TRUE(callback->waitForCall(
      [](const CallbackRecord& c) { return c.method == Method::DataChange && c.transactionId == 0; }, &update));
  EXPECT_EQ(update.values[0].get().lVal, 8);
}

// A group takes DA 1.0 advises or one DA 2.0 callback, never both at once.
TEST_F(SampleAsyncIO2Test, AGroupTakesEitherDataAdvisesOrACallback) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4"});
  ASSERT_EQ(added.result, S_OK);
  com::Ptr<RecordingSink> sink = com::makeObject<RecordingSink>();
  const DWORD connection = advise(group.items.get(), OPCSTMFORMATWRITECOMPLETE_NAME, sink.get());
  connectCallback(group.items.get(), callback.get(), CONNECT_E_ADVISELIMIT);
  DWORD cancelId = 0;
  EXPECT_EQ(read({added.handles[0]}, 1, &cancelId), CONNECT_E_NOCONNECTION);
  ASSERT_EQ(query<IDataObject>(group.items)->DUnadvise(connection), S_OK);

  connect();
  ASSERT_NE(cookie, 0u);
  auto data = query<IDataObject>(group.items);
  for (const char16_t* format : {OPCSTMFORMATDATA_NAME, OPCSTMFORMATDATATIME_NAME, OPCSTMFORMATWRITECOMPLETE_NAME}) {
    FORMATETC formatEtc = streamFormat(format);
    DWORD refused = 0;
    EXPECT_EQ(data->DAdvise(&formatEtc, 0, sink.get(), &refused), CONNECT_E_ADVISELIMIT);
  }
  DWORD transaction = 0;
  HRESULT* errors = nullptr;
  EXPECT_EQ(query<IOPCAsyncIO>(group.items)->Read(1, OPC_DS_CACHE, 1, added.handles.data(), &transaction, &errors),
            CONNECT_E_NOCONNECTION);
  EXPECT_EQ(errors, nullptr);
}

TEST_F(SampleAsyncIO2Test, RemovedItemsAndGroupsGetNoAnswerAfterTheFact) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4", u"Static.R8"});
  ASSERT_EQ(added.result, S_OK);
  connectAndSettle();
  // The update thread is held in the parking group's callback and comes to
  // the removed group only after that, as it goes through the groups in
  // the order they were made.
  addParkingGroup();
  GroupInfo doomed = addGroup(server.get(), u"Doomed", 20, true, 88);
  AddedItems doomedItems = addItems(doomed.items.get(), {u"Static.I4"});
  com::Ptr<RecordingCallback> doomedCallback = com::makeObject<RecordingCallback>();
  connectCallback(doomed.items.get(), doomedCallback.get());
  ASSERT_TRUE(doomedCallback->waitForCall([](const CallbackRecord&) { return true; }));
  holdUpdates();

  DWORD cancelId = 0;
  ASSERT_EQ(read(added.handles, 91, &cancelId), S_OK);
  HRESULT* errors = nullptr;
  ASSERT_EQ(group.items->RemoveItems(1, added.handles.data(), &errors), S_OK);
  CoTaskMemFree(errors);
  auto doomedIO = query<IOPCAsyncIO2>(doomed.items);
  ASSERT_EQ(doomedIO->Read(1, doomedItems.handles.data(), 92, &cancelId, &errors), S_OK);
  CoTaskMemFree(errors);
  const size_t doomedCalls = doomedCallback->count();
  EXPECT_EQ(server->RemoveGroup(doomed.handle, FALSE), OPC_S_INUSE);
  // The removed group let its callback go and answers nothing more.
  EXPECT_EQ(doomedCallback->AddRef(), 2u);
  doomedCallback->Release();
  errors = reinterpret_cast<HRESULT*>(1);
  EXPECT_EQ(doomedIO->Read(1, doomedItems.handles.data(), 93, &cancelId, &errors), E_FAIL);
  EXPECT_EQ(errors, nullptr);
  releaseUpdates();

  // The read goes on without the removed item.
  CallbackRecord answer = waitForAnswer(91, Method::ReadComplete);
  EXPECT_EQ(answer.clientHandles, (std::vector<OPCHANDLE>{101}));
  // The update thread has passed the removed group since.
  DWORD later = 0;
  ASSERT_EQ(read({added.handles[1]}, 94, &later), S_OK);
  waitForAnswer(94, Method::ReadComplete);
  EXPECT_EQ(doomedCallback->count(), doomedCalls);
}

}  // namespace
}  // namespace sample::testing
