// The watched item between callbacks and display, and the temporary client
// handle that identifies it.

#include "advise/watched_item.h"

#include <gtest/gtest.h>

#include "advise/temporary_client_handle.h"
#include "opc/quality.h"

namespace {

using advise::WatchedItem;

struct Callback {
  OPCGROUPHEADER header{};
  OPCITEMHEADER1 items[2]{};
  VARIANT values[2]{};

  Callback(HRESULT status, OPCHANDLE first, OPCHANDLE second) {
    header.dwItemCount = 2;
    header.hrStatus = status;
    items[0] = {first, 0, OPC_QUALITY_GOOD, 0, {1, 2}};
    items[1] = {second, 0, OPC_QUALITY_BAD, 0, {3, 4}};
    values[0].vt = VT_I4;
    values[0].lVal = 10;
    values[1].vt = VT_R8;
    values[1].dblVal = 2.5;
  }
  bool sendTo(WatchedItem& item) const { return item.Take(header, items, values); }
};

WatchedItem::Latest latestOf(const WatchedItem& item) {
  WatchedItem::Latest copy;
  item.Read([&](const WatchedItem::Latest& latest) {
    copy = latest;
    copy.value.vt = latest.value.vt;
  });
  return copy;
}

TEST(WatchedItemTest, TakesOnlyCallbacksThatCarryTheItem) {
  WatchedItem item;
  item.SetClientHandle(0x80000001);

  EXPECT_FALSE(Callback(S_OK, 1, 2).sendTo(item));
  EXPECT_EQ(item.callbackCount(), 0u);
  EXPECT_EQ(latestOf(item).value.vt, VT_EMPTY);

  EXPECT_TRUE(Callback(S_OK, 1, 0x80000001).sendTo(item));
  EXPECT_EQ(item.callbackCount(), 1u);
  item.Read([](const WatchedItem::Latest& latest) {
    EXPECT_EQ(latest.status, S_OK);
    EXPECT_EQ(latest.quality, OPC_QUALITY_BAD);
    EXPECT_EQ(latest.timeStamp.dwLowDateTime, 3u);
    EXPECT_EQ(latest.value.vt, VT_R8);
    EXPECT_EQ(latest.value.dblVal, 2.5);
    EXPECT_EQ(latest.copyResult, S_OK);
  });

  // A failing callback still counts; it keeps no value.
  EXPECT_TRUE(Callback(E_FAIL, 0x80000001, 2).sendTo(item));
  EXPECT_EQ(item.callbackCount(), 2u);
  item.Read([](const WatchedItem::Latest& latest) {
    EXPECT_EQ(latest.status, E_FAIL);
    EXPECT_EQ(latest.value.vt, VT_EMPTY);
  });
}

TEST(TemporaryClientHandleTest, DrawsValuesNoItemUsesAndNeverTheSameTwice) {
  advise::SetNextTemporaryClientHandleForTesting(500);
  EXPECT_EQ(advise::DrawTemporaryClientHandle({1, 2}), 500u);
  EXPECT_EQ(advise::DrawTemporaryClientHandle({501, 502, 7}), 503u);
  EXPECT_EQ(advise::DrawTemporaryClientHandle({}), 504u);
  advise::SetNextTemporaryClientHandleForTesting(0xFFFFFFFF);
  EXPECT_EQ(advise::DrawTemporaryClientHandle({0xFFFFFFFF, 0}), 1u) << "the counter wraps past values in use";
}

}  // namespace
