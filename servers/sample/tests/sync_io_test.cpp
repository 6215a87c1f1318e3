// IOPCSyncIO of a group: reads from cache and device, writes with
// conversion, and the per-item errors.

#include "test_support.h"

namespace sample::testing {
namespace {

class SampleSyncIOTest : public ServerTest {
 protected:
  com::Ptr<IOPCServer> server = makeServer();
  GroupInfo group = addGroup(server.get(), u"IO");
  com::Ptr<IOPCSyncIO> io = query<IOPCSyncIO>(group.items);

  struct Reading {
    HRESULT result = E_FAIL;
    std::vector<HRESULT> errors;
    std::vector<OPCITEMSTATE> states;  // values to be cleared by the test's end
    ~Reading() {
      for (auto& state : states) VariantClear(&state.vDataValue);
    }
  };

  void read(std::vector<OPCHANDLE> handles, OPCDATASOURCE source, Reading& reading) {
    OPCITEMSTATE* states = nullptr;
    HRESULT* errors = nullptr;
    reading.result = io->Read(source, static_cast<DWORD>(handles.size()), handles.data(), &states, &errors);
    if (FAILED(reading.result)) return;
    reading.states.assign(states, states + handles.size());
    reading.errors.assign(errors, errors + handles.size());
    CoTaskMemFree(states);
    CoTaskMemFree(errors);
  }

  HRESULT write(OPCHANDLE handle, const VARIANT& value, HRESULT& itemError) {
    HRESULT* errors = nullptr;
    VARIANT copy = value;
    const HRESULT hr = io->Write(1, &handle, &copy, &errors);
    if (SUCCEEDED(hr)) itemError = errors[0];
    CoTaskMemFree(errors);
    return hr;
  }
};

TEST_F(SampleSyncIOTest, ReadGivesValueQualityAndTimeStamp) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4", u"Static.BSTR", u"Static.Arrays.Real4Array"});
  ASSERT_EQ(added.result, S_OK);
  for (OPCDATASOURCE source : {OPC_DS_CACHE, OPC_DS_DEVICE}) {
    Reading reading;
    read(added.handles, source, reading);
    ASSERT_EQ(reading.result, S_OK);
    EXPECT_EQ(reading.states[0].hClient, 100u);
    EXPECT_EQ(reading.states[0].wQuality, OPC_QUALITY_GOOD);
    EXPECT_NE(ticksOf(reading.states[0].ftTimeStamp), 0u);
    EXPECT_EQ(reading.states[0].vDataValue.vt, VT_I4);
    EXPECT_EQ(reading.states[0].vDataValue.lVal, -123456);
    EXPECT_EQ(std::u16string(reading.states[1].vDataValue.bstrVal), u"Hello OPC");
    ASSERT_EQ(reading.states[2].vDataValue.vt, VT_ARRAY | VT_R4);
    EXPECT_EQ(reading.states[2].vDataValue.parray->rgsabound[0].cElements, 3u);
  }
}

TEST_F(SampleSyncIOTest, CacheReadsOfInactiveItemsAreOutOfService) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4"});
  HRESULT* errors = nullptr;
  ASSERT_EQ(group.items->SetActiveState(1, added.handles.data(), FALSE, &errors), S_OK);
  CoTaskMemFree(errors);
  Reading cache;
  read(added.handles, OPC_DS_CACHE, cache);
  EXPECT_EQ(cache.states[0].wQuality, OPC_QUALITY_OUT_OF_SERVICE);
  EXPECT_EQ(cache.states[0].vDataValue.lVal, -123456);  // the last value stays
  Reading device;
  read(added.handles, OPC_DS_DEVICE, device);
  EXPECT_EQ(device.states[0].wQuality, OPC_QUALITY_GOOD);
}

TEST_F(SampleSyncIOTest, ReadReportsEachItemsError) {
  AddedItems added = addItems(group.items.get(), {u"Access.WriteOnly", u"Static.BSTR", u"Static.I4"}, VT_I4);
  ASSERT_EQ(added.result, S_OK);
  Reading reading;
  read({added.handles[0], added.handles[1], 4711, added.handles[2]}, OPC_DS_CACHE, reading);
  ASSERT_EQ(reading.result, S_FALSE);
  EXPECT_EQ(reading.errors[0], OPC_E_BADRIGHTS);
  EXPECT_EQ(reading.errors[1], DISP_E_TYPEMISMATCH);  // "Hello OPC" is no number
  EXPECT_EQ(reading.states[1].vDataValue.vt, VT_EMPTY);
  EXPECT_EQ(reading.states[1].wQuality & OPC_QUALITY_MASK, OPC_QUALITY_BAD);
  EXPECT_EQ(reading.errors[2], OPC_E_INVALIDHANDLE);
  EXPECT_EQ(reading.errors[3], S_OK);

  Reading bad;
  read({added.handles[2]}, static_cast<OPCDATASOURCE>(3), bad);
  EXPECT_EQ(bad.result, E_INVALIDARG);
}

TEST_F(SampleSyncIOTest, ValuesComeInTheRequestedType) {
  AddedItems added = addItems(group.items.get(), {u"Static.R8"}, VT_BSTR);
  Reading reading;
  read(added.handles, OPC_DS_DEVICE, reading);
  ASSERT_EQ(reading.result, S_OK);
  ASSERT_EQ(reading.states[0].vDataValue.vt, VT_BSTR);
  HRESULT* errors = nullptr;
  VARTYPE integer = VT_I2;
  ASSERT_EQ(group.items->SetDatatypes(1, added.handles.data(), &integer, &errors), S_OK);
  CoTaskMemFree(errors);
  Reading again;
  read(added.handles, OPC_DS_DEVICE, again);
  ASSERT_EQ(again.states[0].vDataValue.vt, VT_I2);
  EXPECT_EQ(again.states[0].vDataValue.iVal, 3);  // 3.25 rounds to 3
}

TEST_F(SampleSyncIOTest, WriteConvertsAndChecks) {
  AddedItems added = addItems(group.items.get(), {u"Static.I2", u"Access.ReadOnly", u"Analog.Pressure",
                                                  u"Enumerated.Valve", u"Access.WriteOnly"});
  ASSERT_EQ(added.result, S_OK);
  auto number = [](LONG value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
  };
  struct Case {
    size_t item;
    VARIANT value;
    HRESULT result;
    HRESULT error;
  };
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(u"not a number");
  const Case cases[] = {
      {0, number(1234), S_OK, S_OK},
      {0, number(100000), S_FALSE, OPC_E_RANGE},  // too large for VT_I2
      {0, text, S_FALSE, OPC_E_BADTYPE},
      {1, number(1), S_FALSE, OPC_E_BADRIGHTS},
      {2, number(20), S_OK, OPC_S_CLAMP},  // above the 10 bar limit
      {3, number(2), S_OK, S_OK},
      {3, number(4), S_FALSE, OPC_E_RANGE},  // the valve has four states
      {4, number(5), S_OK, S_OK},
  };
  for (const auto& c : cases) {
    HRESULT error = E_UNEXPECTED;
    EXPECT_EQ(write(added.handles[c.item], c.value, error), c.result) << c.item;
    EXPECT_EQ(error, c.error) << c.item;
  }
  VariantClear(&text);

  Reading reading;
  read({added.handles[0], added.handles[2], added.handles[3]}, OPC_DS_DEVICE, reading);
  EXPECT_EQ(reading.states[0].vDataValue.iVal, 1234);
  EXPECT_EQ(reading.states[1].vDataValue.fltVal, 10.0f);
  EXPECT_EQ(reading.states[2].vDataValue.iVal, 2);
}

TEST_F(SampleSyncIOTest, WriteTakesArraysElementByElement) {
  AddedItems added = addItems(group.items.get(), {u"Static.Arrays.Real4Array"});
  SAFEARRAY* doubles = SafeArrayCreateVector(VT_R8, 0, 2);
  static_cast<double*>(doubles->pvData)[0] = 0.5;
  static_cast<double*>(doubles->pvData)[1] = -2.0;
  VARIANT value;
  value.vt = VT_ARRAY | VT_R8;
  value.parray = doubles;
  HRESULT error = E_UNEXPECTED;
  EXPECT_EQ(write(added.handles[0], value, error), S_OK);
  SafeArrayDestroy(doubles);
  Reading reading;
  read(added.handles, OPC_DS_CACHE, reading);
  ASSERT_EQ(reading.states[0].vDataValue.vt, VT_ARRAY | VT_R4);
  const auto* floats = static_cast<const float*>(reading.states[0].vDataValue.parray->pvData);
  EXPECT_EQ(floats[0], 0.5f);
  EXPECT_EQ(floats[1], -2.0f);
}

}  // namespace
}  // namespace sample::testing
