// The data-advise connections of a group (IDataObject) and what arrives
// through them: data-change updates, asynchronous results, and the layout
// of the three stream formats.

#include <algorithm>

#include "test_support.h"

namespace sample::testing {
namespace {

const DecodedItem* findItem(const DecodedStream& stream, OPCHANDLE client) {
  for (const auto& item : stream.items) {
    if (item.clientHandle == client) return &item;
  }
  return nullptr;
}

class SampleDataChangeTest : public ServerTest {
 protected:
  com::Ptr<IOPCServer> server = makeServer();
  GroupInfo group = addGroup(server.get(), u"Advised", 20, true, 77);
  com::Ptr<RecordingSink> sink = com::makeObject<RecordingSink>();
  std::vector<DWORD> connections;

  void TearDown() override {
    auto data = query<IDataObject>(group.items);
    for (DWORD connection : connections) EXPECT_EQ(data->DUnadvise(connection), S_OK);
  }
  DWORD adviseFor(const char16_t* format) {
    connections.push_back(advise(group.items.get(), format, sink.get()));
    return connections.back();
  }
  void writeI4(OPCHANDLE handle, LONG value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    HRESULT* errors = nullptr;
    EXPECT_EQ(query<IOPCSyncIO>(group.items)->Write(1, &handle, &v, &errors), S_OK);
    CoTaskMemFree(errors);
  }
  // Writes a float and an integer in one call, so that no update can fall
  // between the two.
  void writeR4AndI4(OPCHANDLE floatHandle, float floatValue, OPCHANDLE intHandle, LONG intValue) {
    VARIANT values[2];
    values[0].vt = VT_R4;
    values[0].fltVal = floatValue;
    values[1].vt = VT_I4;
    values[1].lVal = intValue;
    OPCHANDLE handles[] = {floatHandle, intHandle};
    HRESULT* errors = nullptr;
    EXPECT_EQ(query<IOPCSyncIO>(group.items)->Write(2, handles, values, &errors), S_OK);
    CoTaskMemFree(errors);
  }
};

TEST_F(SampleDataChangeTest, TheFirstUpdateCarriesEveryItemInTheTimeStampedLayout) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4", u"Static.BSTR", u"Static.Arrays.Real4Array",
                                                  u"Static.Arrays.StringArray", u"Static.Arrays.VariantArray",
                                                  u"Static.DECIMAL", u"Access.WriteOnly"});
  ASSERT_EQ(added.result, S_OK);
  adviseFor(OPCSTMFORMATDATATIME_NAME);
  DecodedStream stream;
  ASSERT_TRUE(sink->waitForStream([](const DecodedStream& s) { return s.header.dwItemCount > 0; }, &stream));
  EXPECT_TRUE(stream.wellFormed);
  EXPECT_NE(stream.thread, std::this_thread::get_id());  // the server's own thread
  EXPECT_EQ(stream.header.hClientGroup, 77u);
  EXPECT_EQ(stream.header.dwTransactionID, 0u);
  EXPECT_EQ(stream.header.hrStatus, S_OK);
  ASSERT_EQ(stream.items.size(), 6u);  // a write-only item is never sent
  for (const auto& item : stream.items) {
    EXPECT_EQ(item.quality, OPC_QUALITY_GOOD);
    EXPECT_NE(ticksOf(item.timeStamp), 0u);
  }
  const DecodedItem& scalar = stream.items[0];
  EXPECT_EQ(scalar.clientHandle, 100u);
  EXPECT_EQ(scalar.value.type, VT_I4);
  EXPECT_EQ(scalar.value.asI4(), -123456);
  EXPECT_EQ(stream.items[1].value.type, VT_BSTR);
  EXPECT_EQ(stream.items[1].value.text, u"Hello OPC");
  const DecodedValue& floats = stream.items[2].value;
  EXPECT_EQ(floats.type, VT_ARRAY | VT_R4);
  ASSERT_EQ(floats.count, 3u);
  float second;
  std::memcpy(&second, floats.elements.data() + 4, 4);
  EXPECT_EQ(second, 2.5f);
  EXPECT_EQ(stream.items[3].value.texts, (std::vector<std::u16string>{u"alpha", u"beta", u"gamma"}));
  const DecodedValue& mixed = stream.items[4].value;
  ASSERT_EQ(mixed.values.size(), 4u);
  EXPECT_EQ(mixed.values[0].type, VT_I4);
  EXPECT_EQ(mixed.values[0].asI4(), 42);
  EXPECT_EQ(mixed.values[1].text, u"text");
  EXPECT_EQ(mixed.values[2].asDouble(), 2.5);
  EXPECT_EQ(mixed.values[3].type, VT_BOOL);
  const DecodedValue& decimal = stream.items[5].value;
  EXPECT_EQ(decimal.type, VT_DECIMAL);
  EXPECT_EQ(decimal.decimal[2], 3);  // scale
  uint64_t digits;
  std::memcpy(&digits, decimal.decimal + 8, 8);
  EXPECT_EQ(digits, 1234567u);
}

TEST_F(SampleDataChangeTest, TheShortLayoutHasNoTimeStamps) {
  AddedItems added = addItems(group.items.get(), {u"Static.R8", u"Static.BSTR"});
  adviseFor(OPCSTMFORMATDATA_NAME);
  DecodedStream stream;
  ASSERT_TRUE(sink->waitForStream([](const DecodedStream& s) { return s.header.dwItemCount == 2; }, &stream));
  EXPECT_TRUE(stream.wellFormed);
  EXPECT_EQ(stream.format, RegisterClipboardFormatW(OPCSTMFORMATDATA_NAME));
  EXPECT_EQ(stream.items[0].value.asDouble(), 3.25);
  EXPECT_EQ(stream.items[1].value.text, u"Hello OPC");
}

TEST_F(SampleDataChangeTest, LaterUpdatesCarryOnlyChangedItems) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4", u"Static.R8", u"Simulation.Quality"});
  adviseFor(OPCSTMFORMATDATATIME_NAME);
  ASSERT_TRUE(sink->waitForStream([](const DecodedStream& s) { return s.header.dwItemCount == 3; }));
  writeI4(added.handles[0], 99);
  DecodedStream stream;
  ASSERT_TRUE(sink->waitForStream(
      [](const DecodedStream& s) {
        const DecodedItem* item = findItem(s, 100);
        return item != nullptr && item->value.asI4() == 99;
      },
      &stream));
  EXPECT_EQ(findItem(stream, 101), nullptr);  // Static.R8 did not change
  // The quality item moves through bad and uncertain qualities on its own.
  ASSERT_TRUE(sink->waitForStream([](const DecodedStream& s) {
    const DecodedItem* item = findItem(s, 102);
    return item != nullptr && (item->quality & OPC_QUALITY_MASK) == OPC_QUALITY_BAD;
  }));
}

TEST_F(SampleDataChangeTest, AnalogItemsHonourThePercentDeadband) {
  DWORD revised = 0;
  FLOAT deadband = 10;  // 10 % of 0..10 bar: 1 bar
  ASSERT_EQ(query<IOPCGroupStateMgt>(group.items)->SetState(nullptr, &revised, nullptr, nullptr, &deadband, nullptr,
                                                            nullptr),
            S_OK);
  AddedItems added = addItems(group.items.get(), {u"Analog.Pressure", u"Static.I4"});
  adviseFor(OPCSTMFORMATDATATIME_NAME);
  ASSERT_TRUE(sink->waitForStream([](const DecodedStream& s) { return s.header.dwItemCount == 2; }));
  // Each round changes Static.I4 as a marker, so that an update comes
  // whether or not the pressure is in it.
  struct Round {
    float pressure;
    LONG marker;
    bool sent;
  };
  const Round rounds[] = {{5.5f, 1, false}, {5.9f, 2, false}, {6.5f, 3, true}, {6.0f, 4, false}, {4.0f, 5, true}};
  for (const auto& round : rounds) {
    writeR4AndI4(added.handles[0], round.pressure, added.handles[1], round.marker);
    DecodedStream stream;
    ASSERT_TRUE(sink->waitForStream(
        [&](const DecodedStream& s) {
          const DecodedItem* marker = findItem(s, 101);
          return marker != nullptr && marker->value.asI4() == round.marker;
        },
        &stream));
    const DecodedItem* pressure = findItem(stream, 100);
    EXPECT_EQ(pressure != nullptr, round.sent) << round.pressure;
    if (pressure != nullptr) {
      EXPECT_EQ(pressure->value.asFloat(), round.pressure);
    }
  }
}

TEST_F(SampleDataChangeTest, InactiveGroupsAndItemsSendNothingUntilActivated) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4", u"Static.R8"});
  BOOL inactive = FALSE;
  DWORD revised = 0;
  auto state = query<IOPCGroupStateMgt>(group.items);
  ASSERT_EQ(state->SetState(nullptr, &revised, &inactive, nullptr, nullptr, nullptr, nullptr), S_OK);
  HRESULT* errors = nullptr;
  ASSERT_EQ(group.items->SetActiveState(1, &added.handles[1], FALSE, &errors), S_OK);
  CoTaskMemFree(errors);
  adviseFor(OPCSTMFORMATDATATIME_NAME);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(sink->count(), 0u);

  BOOL active = TRUE;
  ASSERT_EQ(state->SetState(nullptr, &revised, &active, nullptr, nullptr, nullptr, nullptr), S_OK);
  DecodedStream stream;
  ASSERT_TRUE(sink->waitForStream([](const DecodedStream& s) { return s.header.dwItemCount > 0; }, &stream));
  ASSERT_EQ(stream.items.size(), 1u);
  EXPECT_EQ(stream.items[0].clientHandle, 100u);
  ASSERT_EQ(group.items->SetActiveState(1, &added.handles[1], TRUE, &errors), S_OK);
  CoTaskMemFree(errors);
  ASSERT_TRUE(sink->waitForStream([](const DecodedStream& s) { return findItem(s, 101) != nullptr; }));
}

TEST_F(SampleDataChangeTest, AsynchronousReadsRefreshesAndWritesAnswerWithTheirTransaction) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4", u"Access.ReadOnly", u"Access.WriteOnly"});
  const DWORD data = adviseFor(OPCSTMFORMATDATA_NAME);
  const DWORD done = adviseFor(OPCSTMFORMATWRITECOMPLETE_NAME);
  auto async = query<IOPCAsyncIO>(group.items);

  DWORD transaction = 0;
  HRESULT* errors = nullptr;
  OPCHANDLE handles[] = {added.handles[0], added.handles[1], added.handles[2], 999};
  ASSERT_EQ(async->Read(data, OPC_DS_DEVICE, 4, handles, &transaction, &errors), S_FALSE);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[2], OPC_E_BADRIGHTS);
  EXPECT_EQ(errors[3], OPC_E_INVALIDHANDLE);
  CoTaskMemFree(errors);
  EXPECT_NE(transaction, 0u);
  DecodedStream stream;
  ASSERT_TRUE(sink->waitForStream([&](const DecodedStream& s) { return s.header.dwTransactionID == transaction; },
                                  &stream));
  EXPECT_TRUE(stream.wellFormed);
  ASSERT_EQ(stream.items.size(), 2u);
  EXPECT_EQ(stream.items[1].value.asI4(), 1234);

  DWORD refresh = 0;
  ASSERT_EQ(async->Refresh(data, OPC_DS_CACHE, &refresh), S_OK);
  ASSERT_TRUE(sink->waitForStream(
      [&](const DecodedStream& s) { return s.header.dwTransactionID == refresh && s.items.size() == 2; }));

  VARIANT values[2];
  values[0].vt = VT_I4;
  values[0].lVal = 5;
  values[1].vt = VT_I4;
  values[1].lVal = 6;
  OPCHANDLE targets[] = {added.handles[0], added.handles[2]};
  DWORD write = 0;
  ASSERT_EQ(async->Write(done, 2, targets, values, &write, &errors), S_OK);
  CoTaskMemFree(errors);
  ASSERT_TRUE(sink->waitForStream([&](const DecodedStream& s) { return s.writeHeader.dwTransactionID == write; },
                                  &stream));
  EXPECT_TRUE(stream.wellFormed);
  EXPECT_EQ(stream.writeHeader.hClientGroup, 77u);
  EXPECT_EQ(stream.writeHeader.hrStatus, S_OK);
  ASSERT_EQ(stream.writeItems.size(), 2u);
  EXPECT_EQ(stream.writeItems[0].hClient, 100u);
  EXPECT_EQ(stream.writeItems[0].dwError, S_OK);
  EXPECT_EQ(stream.writeItems[1].hClient, 102u);
}

TEST_F(SampleDataChangeTest, AsynchronousCallsNeedTheRightConnection) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4"});
  auto async = query<IOPCAsyncIO>(group.items);
  DWORD transaction = 0;
  HRESULT* errors = nullptr;
  EXPECT_EQ(async->Read(12345, OPC_DS_CACHE, 1, added.handles.data(), &transaction, &errors), CONNECT_E_NOCONNECTION);
  const DWORD data = adviseFor(OPCSTMFORMATDATATIME_NAME);
  VARIANT value;
  value.vt = VT_I4;
  value.lVal = 1;
  EXPECT_EQ(async->Write(data, 1, added.handles.data(), &value, &transaction, &errors), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(async->Cancel(987654), E_FAIL);
  BOOL inactive = FALSE;
  DWORD revised = 0;
  query<IOPCGroupStateMgt>(group.items)->SetState(nullptr, &revised, &inactive, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(async->Refresh(data, OPC_DS_CACHE, &transaction), E_FAIL);  // nothing active to refresh
}

TEST_F(SampleDataChangeTest, AdviseChecksTheFormat) {
  auto data = query<IDataObject>(group.items);
  DWORD connection = 0;
  FORMATETC format = streamFormat(OPCSTMFORMATDATA_NAME);
  format.cfFormat = CF_TEXT;
  EXPECT_EQ(data->DAdvise(&format, 0, sink.get(), &connection), DV_E_FORMATETC);
  format = streamFormat(OPCSTMFORMATDATA_NAME);
  format.tymed = TYMED_ISTREAM;
  EXPECT_EQ(data->DAdvise(&format, 0, sink.get(), &connection), DV_E_TYMED);
  adviseFor(OPCSTMFORMATDATA_NAME);
  format = streamFormat(OPCSTMFORMATDATA_NAME);
  EXPECT_EQ(data->DAdvise(&format, 0, sink.get(), &connection), CONNECT_E_ADVISELIMIT);
  EXPECT_EQ(data->DUnadvise(4242), OLE_E_NOCONNECTION);
  STGMEDIUM medium{};
  EXPECT_EQ(data->GetData(&format, &medium), E_NOTIMPL);

  com::Ptr<IEnumSTATDATA> advised;
  ASSERT_EQ(data->EnumDAdvise(advised.put()), S_OK);
  STATDATA statData{};
  ULONG fetched = 0;
  ASSERT_EQ(advised->Next(1, &statData, &fetched), S_OK);
  EXPECT_EQ(statData.dwConnection, connections[0]);
  EXPECT_EQ(statData.formatetc.cfFormat, format.cfFormat);
  statData.pAdvSink->Release();
}

}  // namespace
}  // namespace sample::testing
