// The measuring read series alone, against a group whose reads the test
// scripts: the item-state list of the first pass, a pass that fails, and
// the durations through a scripted tick counter.

#include <gtest/gtest.h>

#include <vector>

#include "com/allocator.h"
#include "scripted_ticks.h"
#include "session_double.h"
#include "workspace/read_all_items.h"
#include "workspace/read_item_n.h"

namespace quillon::testing {
namespace {

// Answers each pass with the result scripted for it (S_OK after the list),
// the value of each item its handle, and an error for handles listed as bad.
class ScriptedSyncIO : public IOPCSyncIO {
 public:
  std::vector<HRESULT> passResults;
  std::vector<OPCHANDLE> badHandles;
  std::vector<OPCDATASOURCE> sources;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Read(OPCDATASOURCE source, DWORD count, OPCHANDLE* handles, OPCITEMSTATE** states,
                                 HRESULT** errors) override {
    const size_t pass = sources.size();
    sources.push_back(source);
    const HRESULT result = pass < passResults.size() ? passResults[pass] : S_OK;
    if (FAILED(result)) return result;
    *states = static_cast<OPCITEMSTATE*>(CoTaskMemAlloc(count * sizeof(OPCITEMSTATE)));
    *errors = static_cast<HRESULT*>(CoTaskMemAlloc(count * sizeof(HRESULT)));
    for (DWORD i = 0; i < count; ++i) {
      OPCITEMSTATE& state = (*states)[i];
      state = OPCITEMSTATE{};
      state.wQuality = 0xC0;
      state.ftTimeStamp = FILETIME{0, 0};
      bool bad = false;
      for (OPCHANDLE h : badHandles) bad = bad || h == handles[i];
      (*errors)[i] = bad ? E_FAIL : S_OK;
      if (!bad) {
        state.vDataValue.vt = VT_I4;
        state.vDataValue.lVal = static_cast<LONG>(handles[i]);
      }
    }
    return result;
  }
  HRESULT STDMETHODCALLTYPE Write(DWORD, OPCHANDLE*, VARIANT*, HRESULT**) override { return E_NOTIMPL; }
};

struct Group {
  std::vector<OPCHANDLE> handles;
  std::vector<std::string> ids;
};

Group makeGroup(DWORD count) {
  Group group;
  for (DWORD i = 0; i < count; ++i) {
    group.handles.push_back(i + 1);
    if (i < workspace::kListedItemStates) group.ids.push_back("Item" + std::to_string(i));
  }
  return group;
}

// The lines of one good item state (the time stamp is the zero FILETIME,
// which local time may or may not convert).
int countLines(const std::vector<std::string>& lines, const std::string& prefix) {
  int count = 0;
  for (const std::string& line : lines) count += line.rfind(prefix, 0) == 0 ? 1 : 0;
  return count;
}

class ReadSeriesTest : public ::testing::Test {
 protected:
  testing_support::SessionDouble session;
  ScriptedSyncIO syncIO;
  FunctionResult result;
};

TEST_F(ReadSeriesTest, ListsTheFirstHundredStatesOfTheFirstPassUnderTheTimeTheSeriesTook) {
  struct Case {
    DWORD items;
    std::vector<std::string> heading;
    int listed;
  };
  const Case cases[] = {
      {99, {"List with Item States from the", "first read access :"}, 99},
      {100, {"List with Item States of the first 100 Items", "from the first read access :"}, 100},
      {150, {"List with Item States of the first 100 Items", "from the first read access :"}, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.items);
    ScriptedSyncIO reads;
    FunctionResult shown;
    Group group = makeGroup(c.items);
    // The counter wraps during the series: 0xFFFFFFF6 to 30 is 40 ms.
    ScriptedTicks ticks({0xFFFFFFF6u, 30u});
    workspace::ReadAllItems(&reads, group.handles.data(), c.items, group.ids, 4, true, session, shown);
    EXPECT_STREQ(shown.functionName, "IOPCSyncIO::Read");
    EXPECT_EQ(shown.returnCode.substr(0, 4), "S_OK");
    ASSERT_GE(shown.lines.size(), 6u);
    const std::vector<std::string> top(shown.lines.begin(), shown.lines.begin() + 6);
    EXPECT_EQ(top, (std::vector<std::string>{"4 read access for " + std::to_string(c.items) + " items takes 40 ms.",
                                             "Average access time per read (" + std::to_string(c.items) + " items)",
                                             "is 10.000000 milliseconds.", "", c.heading[0], c.heading[1]}));
    EXPECT_EQ(countLines(shown.lines, "Item '"), c.listed);
    EXPECT_EQ(countLines(shown.lines, "   vDataValue[0] : "), c.listed);
    EXPECT_EQ(reads.sources, std::vector<OPCDATASOURCE>(4, OPC_DS_CACHE));
  }
}

TEST_F(ReadSeriesTest, TheFirstPassPairsStatesWithItemsAndShowsItemErrors) {
  Group group = makeGroup(3);
  group.ids.resize(2);  // the third item has no ID to show
  syncIO.badHandles = {2};
  syncIO.passResults = {S_FALSE};
  ScriptedTicks ticks({5u, 5u});
  workspace::ReadAllItems(&syncIO, group.handles.data(), 3, group.ids, 1, false, session, result);
  std::vector<std::string> lines = result.lines;
  // The time stamps depend on the time zone; their lines are checked by prefix.
  for (std::string& line : lines) {
    if (line.rfind("   ftTimeStamp   : ", 0) == 0) line = "<time>";
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"",
                                             "List with Item States from the",
                                             "first read access :",
                                             "Item 'Item0'",
                                             "<time>",
                                             "   wQuality      : Good: Non-specific, Limit: Not Limited, (00C0h)",
                                             "   vDataValue[0] : 1",
                                             "Item 'Item1'",
                                             "   Error : E_FAIL\nUnspecified error",
                                             "Cannot access Item ID",
                                             "<time>",
                                             "   wQuality      : Good: Non-specific, Limit: Not Limited, (00C0h)",
                                             "   vDataValue[0] : 3",
                                             "Error during read access 0"}));
  EXPECT_EQ(result.returnCode.substr(0, 7), "S_FALSE");
  EXPECT_EQ(syncIO.sources, std::vector<OPCDATASOURCE>{OPC_DS_DEVICE});
}

TEST_F(ReadSeriesTest, AFailedPassEndsTheSeriesWithoutTimes) {
  Group group = makeGroup(2);
  syncIO.passResults = {S_OK, E_FAIL};
  ScriptedTicks ticks({0u, 1000u});
  workspace::ReadAllItems(&syncIO, group.handles.data(), 2, group.ids, 3, true, session, result);
  EXPECT_EQ(syncIO.sources.size(), 2u);
  ASSERT_FALSE(result.lines.empty());
  EXPECT_EQ(result.lines.front(), "");
  EXPECT_EQ(result.lines.back(), "Error during read access 1");
  EXPECT_EQ(countLines(result.lines, "Item '"), 2);
  EXPECT_EQ(countLines(result.lines, "4 read"), 0);
  EXPECT_EQ(result.returnCode.substr(0, 6), "E_FAIL");
}

TEST_F(ReadSeriesTest, ASeriesShorterThanATickSaysSo) {
  Group group = makeGroup(2);
  ScriptedTicks ticks({77u, 77u});
  workspace::ReadAllItems(&syncIO, group.handles.data(), 2, group.ids, 5, true, session, result);
  ASSERT_GE(result.lines.size(), 2u);
  EXPECT_EQ(result.lines[0], "5 read access for 2 items takes less time");
  EXPECT_EQ(result.lines[1], "than the Resolution of the System Timer.");
}

TEST_F(ReadSeriesTest, ReadingOneItemNTimesReportsTimeOrTheFailedPass) {
  struct Case {
    std::vector<HRESULT> passResults;
    std::vector<DWORD> ticks;
    DWORD passes;
    bool fromCache;
    std::vector<std::string> lines;
    size_t reads;
  };
  const Case cases[] = {
      {{}, {0xFFFFFFFEu, 8u}, 5, true, {"5 read access takes 10 milliseconds.", "Average access time per read is 2.000000 ms."}, 5},
      // Less than a tick is printed as a plain 0.
      {{}, {9u, 9u}, 1, false, {"1 read access takes 0 milliseconds.", "Average access time per read is 0.000000 ms."}, 1},
      {{S_OK, S_OK, S_FALSE}, {0u, 3u}, 10, true, {"Error during read access 2"}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines.front());
    ScriptedSyncIO reads;
    reads.passResults = c.passResults;
    FunctionResult shown;
    ScriptedTicks ticks(c.ticks);
    workspace::ReadItemNTimes(&reads, 1, c.passes, c.fromCache, session, shown);
    EXPECT_STREQ(shown.functionName, "IOPCSyncIO::Read");
    EXPECT_EQ(shown.lines, c.lines);
    EXPECT_EQ(reads.sources,
              std::vector<OPCDATASOURCE>(c.reads, c.fromCache ? OPC_DS_CACHE : OPC_DS_DEVICE));
  }
}

}  // namespace
}  // namespace quillon::testing
