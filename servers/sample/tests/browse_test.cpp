// IOPCBrowseServerAddressSpace of the sample server.

#include <algorithm>

#include "test_support.h"

namespace sample::testing {
namespace {

class SampleBrowseTest : public ServerTest {
 protected:
  com::Ptr<IOPCServer> server = makeServer();
  com::Ptr<IOPCBrowseServerAddressSpace> browse = query<IOPCBrowseServerAddressSpace>(server);

  HRESULT list(OPCBROWSETYPE type, const char16_t* filter, std::vector<std::u16string>& names,
               VARTYPE dataType = VT_EMPTY, DWORD rights = 0) {
    com::Ptr<IEnumString> enumerator;
    const HRESULT hr = browse->BrowseOPCItemIDs(type, filter, dataType, rights, enumerator.put());
    names = readAll(enumerator.get());
    return hr;
  }

  std::u16string position() {
    LPWSTR id = nullptr;
    EXPECT_EQ(browse->GetItemID(const_cast<LPWSTR>(u""), &id), S_OK);
    return takeString(id);
  }
};

TEST_F(SampleBrowseTest, TheAddressSpaceIsHierarchical) {
  OPCNAMESPACETYPE type{};
  EXPECT_EQ(browse->QueryOrganization(&type), S_OK);
  EXPECT_EQ(type, OPC_NS_HIERARCHIAL);
}

TEST_F(SampleBrowseTest, BranchesAndLeavesAreListedWhereTheBrowsePositionIs) {
  std::vector<std::u16string> names;
  EXPECT_EQ(list(OPC_BRANCH, u"", names), S_OK);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Simulation", u"Static", u"Access", u"Paths", u"Analog",
                                                u"Enumerated", u"ManyItems"}));
  EXPECT_EQ(list(OPC_LEAF, u"", names), S_FALSE);  // the root holds no items
  EXPECT_TRUE(names.empty());

  ASSERT_EQ(browse->ChangeBrowsePosition(OPC_BROWSE_DOWN, u"Access"), S_OK);
  EXPECT_EQ(position(), u"Access");
  EXPECT_EQ(list(OPC_LEAF, u"", names), S_OK);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"ReadOnly", u"WriteOnly"}));
  LPWSTR id = nullptr;
  EXPECT_EQ(browse->GetItemID(const_cast<LPWSTR>(u"ReadOnly"), &id), S_OK);
  EXPECT_EQ(takeString(id), u"Access.ReadOnly");
  EXPECT_EQ(browse->GetItemID(const_cast<LPWSTR>(u"Nothing"), &id), OPC_E_UNKNOWNITEMID);
  EXPECT_EQ(list(OPC_BRANCH, u"", names), S_FALSE);
}

TEST_F(SampleBrowseTest, ChangeBrowsePositionMovesUpDownAndTo) {
  struct Step {
    OPCBROWSEDIRECTION direction;
    const char16_t* name;
    HRESULT result;
    const char16_t* position;
  };
  const Step steps[] = {
      {OPC_BROWSE_UP, u"", E_FAIL, u""},  // already at the top
      {OPC_BROWSE_DOWN, u"Static", S_OK, u"Static"},
      {OPC_BROWSE_DOWN, u"Arrays", S_OK, u"Static.Arrays"},
      {OPC_BROWSE_DOWN, u"Real4Array", E_INVALIDARG, u"Static.Arrays"},  // a leaf, not a branch
      {OPC_BROWSE_UP, u"", S_OK, u"Static"},
      {OPC_BROWSE_DOWN, u"", E_INVALIDARG, u"Static"},
      {OPC_BROWSE_TO, u"Analog", S_OK, u"Analog"},
      {OPC_BROWSE_TO, u"Static.Arrays", S_OK, u"Static.Arrays"},
      {OPC_BROWSE_TO, u"No.Such", E_INVALIDARG, u"Static.Arrays"},
      {OPC_BROWSE_TO, u"", S_OK, u""},
      {static_cast<OPCBROWSEDIRECTION>(7), u"", E_INVALIDARG, u""},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(browse->ChangeBrowsePosition(step.direction, step.name), step.result) << narrow(step.name);
    EXPECT_EQ(position(), step.position);
  }
}

TEST_F(SampleBrowseTest, FlatBrowseListsFullIdsBelowThePosition) {
  std::vector<std::u16string> names;
  EXPECT_EQ(list(OPC_FLAT, u"", names), S_OK);
  EXPECT_EQ(names.front(), u"Simulation.Ramp");
  EXPECT_EQ(names.back(), u"ManyItems.Item99");
  EXPECT_NE(std::find(names.begin(), names.end(), u"Static.Arrays.VariantArray"), names.end());
  // Property items are reached through LookupItemIDs only.
  EXPECT_EQ(std::find(names.begin(), names.end(), u"Analog.Pressure#HighEU"), names.end());

  ASSERT_EQ(browse->ChangeBrowsePosition(OPC_BROWSE_DOWN, u"Static"), S_OK);
  EXPECT_EQ(list(OPC_FLAT, u"*Array", names), S_OK);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Static.Arrays.Real4Array", u"Static.Arrays.StringArray",
                                                u"Static.Arrays.VariantArray"}));
}

// A client may keep a browse enumerator after it released the server; the
// names must stay readable, also through a clone.
TEST_F(SampleBrowseTest, EnumeratorsOutliveTheServer) {
  ServerOptions options = fastOptions();
  options.manyItemCount = 3;  // an address space no other server of this test shares
  com::Ptr<IOPCServer> own = makeServer(options);
  com::Ptr<IEnumString> flat;
  com::Ptr<IEnumString> branches;
  {
    auto ownBrowse = query<IOPCBrowseServerAddressSpace>(own);
    ASSERT_EQ(ownBrowse->BrowseOPCItemIDs(OPC_FLAT, u"ManyItems.*", VT_EMPTY, 0, flat.put()), S_OK);
    ASSERT_EQ(ownBrowse->BrowseOPCItemIDs(OPC_BRANCH, u"M*", VT_EMPTY, 0, branches.put()), S_OK);
  }
  own = nullptr;
  com::Ptr<IEnumString> clone;
  ASSERT_EQ(flat->Clone(clone.put()), S_OK);
  flat = nullptr;
  EXPECT_EQ(readAll(clone.get()),
            (std::vector<std::u16string>{u"ManyItems.Item0", u"ManyItems.Item1", u"ManyItems.Item2"}));
  EXPECT_EQ(readAll(branches.get()), std::vector<std::u16string>{u"ManyItems"});
}

TEST_F(SampleBrowseTest, FiltersNarrowTheList) {
  struct Case {
    OPCBROWSETYPE type;
    const char16_t* filter;
    VARTYPE dataType;
    DWORD rights;
    HRESULT result;
    std::vector<std::u16string> names;
  };
  const Case cases[] = {
      {OPC_FLAT, u"Access.*", VT_EMPTY, 0, S_OK, {u"Access.ReadOnly", u"Access.WriteOnly"}},
      {OPC_FLAT, u"Access.*", VT_EMPTY, OPC_WRITEABLE, S_OK, {u"Access.WriteOnly"}},
      {OPC_FLAT, u"*", VT_BSTR, 0, S_OK, {u"Simulation.Text", u"Static.BSTR"}},
      {OPC_FLAT, u"ManyItems.Item#", VT_EMPTY, 0, S_OK,
       {u"ManyItems.Item0", u"ManyItems.Item1", u"ManyItems.Item2", u"ManyItems.Item3", u"ManyItems.Item4",
        u"ManyItems.Item5", u"ManyItems.Item6", u"ManyItems.Item7", u"ManyItems.Item8", u"ManyItems.Item9"}},
      {OPC_FLAT, u"Static.?[0-9]", VT_EMPTY, 0, S_OK, {u"Static.I1", u"Static.I2", u"Static.I4", u"Static.R4",
                                                       u"Static.R8"}},
      {OPC_FLAT, u"Static.[!IRU]*", VT_EMPTY, 0, S_OK,
       {u"Static.BOOL", u"Static.CY", u"Static.DATE", u"Static.BSTR", u"Static.ERROR", u"Static.DECIMAL",
        u"Static.Arrays.Real4Array", u"Static.Arrays.StringArray", u"Static.Arrays.VariantArray"}},
      {OPC_BRANCH, u"S*", VT_EMPTY, 0, S_OK, {u"Simulation", u"Static"}},
      {OPC_BRANCH, u"s*", VT_EMPTY, 0, S_FALSE, {}},  // names compare with case
      {OPC_FLAT, u"*", VT_ARRAY | VT_BSTR, OPC_READABLE | OPC_WRITEABLE, S_OK, {u"Static.Arrays.StringArray"}},
      {OPC_FLAT, u"Nothing*", VT_EMPTY, 0, S_FALSE, {}},
  };
  for (const auto& c : cases) {
    std::vector<std::u16string> names;
    EXPECT_EQ(list(c.type, c.filter, names, c.dataType, c.rights), c.result) << narrow(c.filter);
    EXPECT_EQ(names, c.names) << narrow(c.filter);
  }
}

TEST_F(SampleBrowseTest, BadArgumentsAreRefused) {
  com::Ptr<IEnumString> names;
  EXPECT_EQ(browse->BrowseOPCItemIDs(OPC_FLAT, u"[abc", VT_EMPTY, 0, names.put()), OPC_E_INVALIDFILTER);
  EXPECT_EQ(browse->BrowseOPCItemIDs(static_cast<OPCBROWSETYPE>(0), u"", VT_EMPTY, 0, names.put()), E_INVALIDARG);
  EXPECT_EQ(browse->BrowseOPCItemIDs(OPC_FLAT, u"", VT_EMPTY, 0, nullptr), E_INVALIDARG);
  EXPECT_EQ(browse->GetItemID(const_cast<LPWSTR>(u""), nullptr), E_INVALIDARG);
}

TEST_F(SampleBrowseTest, AccessPathsAreListedPerItem) {
  struct Case {
    const char16_t* item;
    HRESULT result;
    std::vector<std::u16string> paths;
  };
  const Case cases[] = {
      {u"Paths.Level", S_OK, {u"Line1", u"Line2"}},
      {u"Paths.Flow", S_OK, {u"Line1", u"Line2", u"Line3"}},
      {u"Static.I4", S_FALSE, {}},
      {u"No.Such.Item", OPC_E_UNKNOWNITEMID, {}},
  };
  for (const auto& c : cases) {
    com::Ptr<IEnumString> paths;
    EXPECT_EQ(browse->BrowseAccessPaths(c.item, paths.put()), c.result) << narrow(c.item);
    EXPECT_EQ(readAll(paths.get()), c.paths);
  }
}

}  // namespace
}  // namespace sample::testing
