// IOPCItemProperties of the sample server.

#include <algorithm>

#include "test_support.h"

namespace sample::testing {
namespace {

class SampleItemPropertiesTest : public ServerTest {
 protected:
  com::Ptr<IOPCServer> server = makeServer();
  com::Ptr<IOPCItemProperties> properties = query<IOPCItemProperties>(server);

  std::vector<DWORD> available(const char16_t* item, HRESULT expected = S_OK) {
    DWORD count = 0;
    DWORD* ids = nullptr;
    LPWSTR* descriptions = nullptr;
    VARTYPE* types = nullptr;
    EXPECT_EQ(properties->QueryAvailableProperties(const_cast<LPWSTR>(item), &count, &ids, &descriptions, &types),
              expected);
    std::vector<DWORD> result(ids, ids + count);
    for (DWORD i = 0; i < count; ++i) {
      EXPECT_NE(descriptions[i], nullptr);
      CoTaskMemFree(descriptions[i]);
    }
    if (count > 0) {
      EXPECT_EQ(types[0], VT_I2);  // the canonical type property
    }
    CoTaskMemFree(ids);
    CoTaskMemFree(descriptions);
    CoTaskMemFree(types);
    return result;
  }
};

TEST_F(SampleItemPropertiesTest, EachKindOfItemHasItsProperties) {
  struct Case {
    const char16_t* item;
    std::vector<DWORD> ids;
  };
  const Case cases[] = {
      {u"Static.I4", {1, 2, 3, 4, 5, 6, 7, 101}},
      {u"Analog.Pressure", {1, 2, 3, 4, 5, 6, 7, 100, 101, 102, 103, 104, 105}},
      {u"Enumerated.Valve", {1, 2, 3, 4, 5, 6, 7, 8, 101}},
      {u"Static.BOOL", {1, 2, 3, 4, 5, 6, 7, 101, 106, 107}},
      {u"Simulation.Ramp", {1, 2, 3, 4, 5, 6, 7, 101, 5000}},
      {u"Analog.Pressure#HighEU", {1, 2, 3, 4, 5, 6, 7, 101}},
  };
  for (const auto& c : cases) EXPECT_EQ(available(c.item), c.ids) << narrow(c.item);
  available(u"No.Such", OPC_E_UNKNOWNITEMID);
  available(u"", OPC_E_INVALIDITEMID);
}

TEST_F(SampleItemPropertiesTest, GetItemPropertiesAnswersPerProperty) {
  DWORD ids[] = {OPC_PROP_CDT, OPC_PROP_VALUE, OPC_PROP_RIGHTS, OPC_PROP_HIEU, OPC_PROP_UNIT, OPC_PROP_EUINFO, 4242};
  VARIANT* values = nullptr;
  HRESULT* errors = nullptr;
  ASSERT_EQ(properties->GetItemProperties(const_cast<LPWSTR>(u"Analog.Pressure"), 7, ids, &values, &errors), S_FALSE);
  EXPECT_EQ(values[0].vt, VT_I2);
  EXPECT_EQ(values[0].iVal, VT_R4);
  EXPECT_EQ(values[1].vt, VT_R4);
  EXPECT_EQ(values[1].fltVal, 5.0f);
  EXPECT_EQ(values[2].lVal, OPC_READABLE | OPC_WRITEABLE);
  EXPECT_EQ(values[3].dblVal, 10.0);
  EXPECT_EQ(std::u16string(values[4].bstrVal), u"bar");
  EXPECT_EQ(errors[5], OPC_E_INVALID_PID);  // not an enumerated item
  EXPECT_EQ(errors[6], OPC_E_INVALID_PID);
  EXPECT_EQ(values[6].vt, VT_EMPTY);
  for (int i = 0; i < 7; ++i) VariantClear(&values[i]);
  CoTaskMemFree(values);
  CoTaskMemFree(errors);

  DWORD value = OPC_PROP_VALUE;
  ASSERT_EQ(properties->GetItemProperties(const_cast<LPWSTR>(u"Access.WriteOnly"), 1, &value, &values, &errors),
            S_FALSE);
  EXPECT_EQ(errors[0], OPC_E_BADRIGHTS);
  CoTaskMemFree(values);
  CoTaskMemFree(errors);
  EXPECT_EQ(properties->GetItemProperties(const_cast<LPWSTR>(u"Static.I4"), 0, &value, &values, &errors), E_INVALIDARG);
}

TEST_F(SampleItemPropertiesTest, EnumeratedItemsGiveTheirStateTexts) {
  DWORD id = OPC_PROP_EUINFO;
  VARIANT* values = nullptr;
  HRESULT* errors = nullptr;
  ASSERT_EQ(properties->GetItemProperties(const_cast<LPWSTR>(u"Enumerated.Mode"), 1, &id, &values, &errors), S_OK);
  ASSERT_EQ(values[0].vt, VT_ARRAY | VT_BSTR);
  EXPECT_EQ(values[0].parray->rgsabound[0].cElements, 3u);
  EXPECT_EQ(std::u16string(static_cast<BSTR*>(values[0].parray->pvData)[1]), u"Automatic");
  VariantClear(&values[0]);
  CoTaskMemFree(values);
  CoTaskMemFree(errors);
}

TEST_F(SampleItemPropertiesTest, LookupItemIDsNamesThePropertyItems) {
  DWORD ids[] = {OPC_PROP_HIEU, OPC_PROP_UNIT, OPC_PROP_VALUE, OPC_PROP_EUINFO};
  LPWSTR* items = nullptr;
  HRESULT* errors = nullptr;
  ASSERT_EQ(properties->LookupItemIDs(const_cast<LPWSTR>(u"Analog.Temperature"), 4, ids, &items, &errors), S_FALSE);
  EXPECT_EQ(takeString(items[0]), u"Analog.Temperature#HighEU");
  EXPECT_EQ(takeString(items[1]), u"Analog.Temperature#EngineeringUnits");
  EXPECT_EQ(errors[2], E_FAIL);  // the value has no item of its own
  EXPECT_EQ(items[2], nullptr);
  EXPECT_EQ(errors[3], OPC_E_INVALID_PID);
  CoTaskMemFree(items);
  CoTaskMemFree(errors);

  // The property item can be added and read like any other.
  GroupInfo group = addGroup(server.get(), u"Props");
  AddedItems added = addItems(group.items.get(), {u"Analog.Temperature#HighEU"});
  ASSERT_EQ(added.result, S_OK);
  OPCITEMSTATE* states = nullptr;
  ASSERT_EQ(query<IOPCSyncIO>(group.items)->Read(OPC_DS_DEVICE, 1, added.handles.data(), &states, &errors), S_OK);
  EXPECT_EQ(states[0].vDataValue.dblVal, 150.0);
  CoTaskMemFree(states);
  CoTaskMemFree(errors);
}

}  // namespace
}  // namespace sample::testing
