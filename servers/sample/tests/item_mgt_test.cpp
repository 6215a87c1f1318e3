// IOPCItemMgt and IEnumOPCItemAttributes of a group.

#include <map>
#include <utility>

#include "test_support.h"

namespace sample::testing {
namespace {

class SampleItemMgtTest : public ServerTest {
 protected:
  com::Ptr<IOPCServer> server = makeServer();
  GroupInfo group = addGroup(server.get(), u"Items");

  std::vector<OPCITEMATTRIBUTES> attributes() {
    com::Ptr<IEnumOPCItemAttributes> enumerator;
    EXPECT_TRUE(SUCCEEDED(group.items->CreateEnumerator(IID_IEnumOPCItemAttributes,
                                                        reinterpret_cast<IUnknown**>(enumerator.put()))));
    std::vector<OPCITEMATTRIBUTES> all;
    OPCITEMATTRIBUTES* records = nullptr;
    ULONG fetched = 0;
    while (enumerator->Next(1, &records, &fetched) == S_OK) {
      all.push_back(records[0]);
      CoTaskMemFree(records);
    }
    EXPECT_EQ(records, nullptr);
    return all;
  }
  static void release(std::vector<OPCITEMATTRIBUTES>& records) {
    for (auto& record : records) {
      CoTaskMemFree(record.szAccessPath);
      CoTaskMemFree(record.szItemID);
      CoTaskMemFree(record.pBlob);
      VariantClear(&record.vEUInfo);
    }
  }
};

TEST_F(SampleItemMgtTest, AddItemsAnswersPerItem) {
  struct Case {
    std::u16string id;
    std::u16string path;
    VARTYPE requested;
    HRESULT error;
  };
  const Case cases[] = {
      {u"Simulation.Ramp", u"", VT_EMPTY, S_OK},
      {u"Static.BSTR", u"", VT_R8, S_OK},  // may fail per value, not per type
      {u"Paths.Level", u"Line2", VT_EMPTY, S_OK},
      {u"Paths.Level", u"Line9", VT_EMPTY, OPC_E_UNKNOWNPATH},
      {u"Static.I4", u"Line1", VT_EMPTY, OPC_E_UNKNOWNPATH},
      {u"No.Such", u"", VT_EMPTY, OPC_E_UNKNOWNITEMID},
      {u"Simulation", u"", VT_EMPTY, OPC_E_UNKNOWNITEMID},  // a branch
      {u"", u"", VT_EMPTY, OPC_E_INVALIDITEMID},
      {u"Static..I4", u"", VT_EMPTY, OPC_E_INVALIDITEMID},
      {u"Static.I4", u"", VT_ARRAY | VT_I4, OPC_E_BADTYPE},
      {u"Static.I4", u"", VT_UNKNOWN, OPC_E_BADTYPE},
      {u"Static.Arrays.Real4Array", u"", VT_ARRAY | VT_R8, S_OK},
  };
  std::vector<std::u16string> ids, paths;
  for (const auto& c : cases) {
    ids.push_back(c.id);
    paths.push_back(c.path);
  }
  std::vector<OPCITEMDEF> definitions(ids.size());
  for (size_t i = 0; i < ids.size(); ++i) {
    definitions[i].szItemID = const_cast<LPWSTR>(ids[i].c_str());
    definitions[i].szAccessPath = const_cast<LPWSTR>(paths[i].c_str());
    definitions[i].bActive = TRUE;
    definitions[i].hClient = static_cast<OPCHANDLE>(i);
    definitions[i].vtRequestedDataType = cases[i].requested;
  }
  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  ASSERT_EQ(group.items->AddItems(static_cast<DWORD>(ids.size()), definitions.data(), &results, &errors), S_FALSE);
  for (size_t i = 0; i < ids.size(); ++i) {
    EXPECT_EQ(errors[i], cases[i].error) << narrow(ids[i]);
    EXPECT_EQ(results[i].hServer != 0, SUCCEEDED(cases[i].error)) << narrow(ids[i]);
  }
  EXPECT_EQ(results[0].vtCanonicalDataType, VT_R8);
  EXPECT_EQ(results[0].dwAccessRights, static_cast<DWORD>(OPC_READABLE));
  EXPECT_EQ(results[1].vtCanonicalDataType, VT_BSTR);
  // Each handle answered names the item of its own definition, whatever
  // failed between them, in a first add and in one to a group with items.
  auto expectHandlesMatch = [&](const std::vector<std::pair<OPCHANDLE, OPCHANDLE>>& serverToClient) {
    auto records = attributes();
    std::map<OPCHANDLE, OPCHANDLE> clientOf;
    for (const auto& record : records) clientOf[record.hServer] = record.hClient;
    release(records);
    for (const auto& [serverHandle, clientHandle] : serverToClient) {
      ASSERT_TRUE(clientOf.count(serverHandle)) << serverHandle;
      EXPECT_EQ(clientOf[serverHandle], clientHandle) << serverHandle;
    }
  };
  std::vector<std::pair<OPCHANDLE, OPCHANDLE>> answered;
  for (size_t i = 0; i < ids.size(); ++i) {
    if (SUCCEEDED(errors[i])) answered.emplace_back(results[i].hServer, static_cast<OPCHANDLE>(i));
  }
  expectHandlesMatch(answered);
  CoTaskMemFree(results);
  CoTaskMemFree(errors);

  ASSERT_EQ(group.items->AddItems(static_cast<DWORD>(ids.size()), definitions.data(), &results, &errors), S_FALSE);
  for (size_t i = 0; i < ids.size(); ++i) {
    if (SUCCEEDED(errors[i])) answered.emplace_back(results[i].hServer, static_cast<OPCHANDLE>(i));
  }
  expectHandlesMatch(answered);
  CoTaskMemFree(results);
  CoTaskMemFree(errors);

  EXPECT_EQ(addItems(group.items.get(), {u"Static.I4", u"Static.R8"}).result, S_OK);
}

TEST_F(SampleItemMgtTest, BadCallsAreRefusedWhole) {
  OPCITEMDEF definition{};
  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  EXPECT_EQ(group.items->AddItems(0, &definition, &results, &errors), E_INVALIDARG);
  EXPECT_EQ(group.items->AddItems(1, nullptr, &results, &errors), E_INVALIDARG);
  EXPECT_EQ(group.items->AddItems(1, &definition, nullptr, &errors), E_INVALIDARG);
  EXPECT_EQ(results, nullptr);
  EXPECT_EQ(errors, nullptr);
  OPCHANDLE handle = 1;
  EXPECT_EQ(group.items->RemoveItems(0, &handle, &errors), E_INVALIDARG);
  EXPECT_EQ(group.items->SetClientHandles(1, &handle, nullptr, &errors), E_INVALIDARG);
}

TEST_F(SampleItemMgtTest, ValidateItemsChecksWithoutAddingAndGivesBlobs) {
  std::u16string id = u"Analog.Pressure";
  OPCITEMDEF definition{};
  definition.szItemID = id.data();
  definition.szAccessPath = const_cast<LPWSTR>(u"");
  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  ASSERT_EQ(group.items->ValidateItems(1, &definition, TRUE, &results, &errors), S_OK);
  EXPECT_EQ(results[0].vtCanonicalDataType, VT_R4);
  EXPECT_EQ(results[0].dwAccessRights, static_cast<DWORD>(OPC_READABLE | OPC_WRITEABLE));
  EXPECT_EQ(results[0].hServer, 0u);
  EXPECT_EQ(results[0].dwBlobSize, 4u);
  EXPECT_NE(results[0].pBlob, nullptr);
  CoTaskMemFree(results[0].pBlob);
  CoTaskMemFree(results);
  CoTaskMemFree(errors);

  ASSERT_EQ(group.items->ValidateItems(1, &definition, FALSE, &results, &errors), S_OK);
  EXPECT_EQ(results[0].pBlob, nullptr);
  CoTaskMemFree(results);
  CoTaskMemFree(errors);
  EXPECT_TRUE(attributes().empty());  // nothing was added

  id = u"Analog.Nothing";
  definition.szItemID = id.data();
  ASSERT_EQ(group.items->ValidateItems(1, &definition, TRUE, &results, &errors), S_FALSE);
  EXPECT_EQ(errors[0], OPC_E_UNKNOWNITEMID);
  EXPECT_EQ(results[0].pBlob, nullptr);
  CoTaskMemFree(results);
  CoTaskMemFree(errors);
}

TEST_F(SampleItemMgtTest, PerItemChangesReportUnknownHandles) {
  AddedItems added = addItems(group.items.get(), {u"Static.I4", u"Static.R8"});
  ASSERT_EQ(added.result, S_OK);
  OPCHANDLE handles[] = {added.handles[0], 9999, added.handles[1]};
  HRESULT* errors = nullptr;

  EXPECT_EQ(group.items->SetActiveState(3, handles, FALSE, &errors), S_FALSE);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], OPC_E_INVALIDHANDLE);
  CoTaskMemFree(errors);

  OPCHANDLE clients[] = {7, 8, 9};
  EXPECT_EQ(group.items->SetClientHandles(3, handles, clients, &errors), S_FALSE);
  EXPECT_EQ(errors[1], OPC_E_INVALIDHANDLE);
  CoTaskMemFree(errors);

  VARTYPE types[] = {VT_BSTR, VT_I4, VT_ARRAY | VT_R8};
  EXPECT_EQ(group.items->SetDatatypes(3, handles, types, &errors), S_FALSE);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], OPC_E_INVALIDHANDLE);
  EXPECT_EQ(errors[2], OPC_E_BADTYPE);
  CoTaskMemFree(errors);

  auto records = attributes();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].bActive, FALSE);
  EXPECT_EQ(records[0].hClient, 7u);
  EXPECT_EQ(records[0].vtRequestedDataType, VT_BSTR);
  EXPECT_EQ(records[1].hClient, 9u);
  EXPECT_EQ(records[1].vtRequestedDataType, VT_EMPTY);
  release(records);

  EXPECT_EQ(group.items->RemoveItems(3, handles, &errors), S_FALSE);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], OPC_E_INVALIDHANDLE);
  EXPECT_EQ(errors[2], S_OK);
  CoTaskMemFree(errors);
  EXPECT_TRUE(attributes().empty());
}

TEST_F(SampleItemMgtTest, ItemsStayReachableThroughManyAddsAndRemovals) {
  // The same item may be added again and again; 25 adds of 100 items and
  // the removal of most of them make the table drop its removed entries.
  std::vector<std::u16string> ids;
  for (int i = 0; i < 100; ++i) ids.push_back(u"ManyItems.Item" + std::u16string(1, u'0' + i % 10));
  std::vector<OPCHANDLE> kept;
  for (int round = 0; round < 25; ++round) {
    AddedItems added = addItems(group.items.get(), ids, VT_EMPTY, static_cast<OPCHANDLE>(round * 100));
    ASSERT_EQ(added.result, S_OK);
    std::vector<OPCHANDLE> removed(added.handles.begin() + 20, added.handles.end());
    kept.insert(kept.end(), added.handles.begin(), added.handles.begin() + 20);
    HRESULT* errors = nullptr;
    ASSERT_EQ(group.items->RemoveItems(static_cast<DWORD>(removed.size()), removed.data(), &errors), S_OK);
    CoTaskMemFree(errors);
  }
  auto records = attributes();
  ASSERT_EQ(records.size(), kept.size());
  for (size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(records[i].hServer, kept[i]);  // in the order added
  release(records);
  HRESULT* errors = nullptr;
  EXPECT_EQ(group.items->SetActiveState(static_cast<DWORD>(kept.size()), kept.data(), FALSE, &errors), S_OK);
  CoTaskMemFree(errors);
  OPCHANDLE gone = kept.back() + 1;
  EXPECT_EQ(group.items->SetActiveState(1, &gone, FALSE, &errors), S_FALSE);
  EXPECT_EQ(errors[0], OPC_E_INVALIDHANDLE);
  CoTaskMemFree(errors);
}

TEST_F(SampleItemMgtTest, TheEnumeratorDescribesEachItem) {
  std::u16string path = u"Line1";
  AddedItems added = addItems(group.items.get(), {u"Analog.Pressure", u"Enumerated.Valve", u"Paths.Flow"}, VT_EMPTY,
                              100, {u"", u"", path});
  ASSERT_EQ(added.result, S_OK);
  auto records = attributes();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(takeString(records[0].szItemID), u"Analog.Pressure");
  records[0].szItemID = nullptr;
  EXPECT_EQ(records[0].hServer, added.handles[0]);
  EXPECT_EQ(records[0].hClient, 100u);
  EXPECT_EQ(records[0].dwEUType, OPC_ANALOG);
  ASSERT_EQ(records[0].vEUInfo.vt, VT_ARRAY | VT_R8);
  const auto* limits = static_cast<const double*>(records[0].vEUInfo.parray->pvData);
  EXPECT_EQ(limits[0], 0.0);
  EXPECT_EQ(limits[1], 10.0);
  EXPECT_EQ(records[1].dwEUType, OPC_ENUMERATED);
  ASSERT_EQ(records[1].vEUInfo.vt, VT_ARRAY | VT_BSTR);
  EXPECT_EQ(records[1].vEUInfo.parray->rgsabound[0].cElements, 4u);
  EXPECT_EQ(std::u16string(records[2].szAccessPath), u"Line1");
  EXPECT_EQ(records[2].dwEUType, OPC_NOENUM);
  EXPECT_EQ(records[2].vEUInfo.vt, VT_EMPTY);
  release(records);
}

TEST_F(SampleItemMgtTest, TheEnumeratorOfAnEmptyGroupSaysSo) {
  com::Ptr<IEnumOPCItemAttributes> enumerator;
  EXPECT_EQ(group.items->CreateEnumerator(IID_IEnumOPCItemAttributes, reinterpret_cast<IUnknown**>(enumerator.put())),
            S_FALSE);
  ASSERT_TRUE(enumerator);
  OPCITEMATTRIBUTES* records = nullptr;
  ULONG fetched = 1;
  EXPECT_EQ(enumerator->Next(1, &records, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  com::Ptr<IUnknown> other;
  EXPECT_EQ(group.items->CreateEnumerator(IID_IEnumString, other.put()), E_NOINTERFACE);
}

TEST_F(SampleItemMgtTest, EnumeratorsSkipResetAndClone) {
  ASSERT_EQ(addItems(group.items.get(), {u"Static.I1", u"Static.I2", u"Static.I4"}).result, S_OK);
  com::Ptr<IEnumOPCItemAttributes> enumerator;
  ASSERT_EQ(group.items->CreateEnumerator(IID_IEnumOPCItemAttributes, reinterpret_cast<IUnknown**>(enumerator.put())),
            S_OK);
  EXPECT_EQ(enumerator->Skip(1), S_OK);
  com::Ptr<IEnumOPCItemAttributes> clone;
  ASSERT_EQ(enumerator->Clone(clone.put()), S_OK);
  OPCITEMATTRIBUTES* records = nullptr;
  ULONG fetched = 0;
  EXPECT_EQ(clone->Next(5, &records, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  std::vector<OPCITEMATTRIBUTES> taken(records, records + fetched);
  EXPECT_EQ(std::u16string(taken[0].szItemID), u"Static.I2");
  release(taken);
  CoTaskMemFree(records);
  EXPECT_EQ(enumerator->Skip(5), S_FALSE);
  EXPECT_EQ(enumerator->Reset(), S_OK);
  EXPECT_EQ(enumerator->Next(2, &records, nullptr), E_INVALIDARG);
}

}  // namespace
}  // namespace sample::testing
