#include "format/enum_strings.h"

#include <gtest/gtest.h>

#include "fake_enum_string.h"
#include "session_double.h"

namespace {

using format::testing::FakeEnumString;
using format::testing::numberedItems;
using testing_support::SessionDouble;

std::vector<std::string> numberedTexts(int count) {
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i) texts.push_back("item " + std::to_string(i));
  return texts;
}

TEST(EnumStringsToListTest, ReadsTenAtATimeInTheServersOrder) {
  struct Case {
    int items;
    std::vector<ULONG> requests;
  };
  const Case cases[] = {
      {0, {10}},
      {7, {10}},
      // A full last batch needs one more call to learn that nothing follows.
      {20, {10, 10, 10}},
      {25, {10, 10, 10}},
  };
  SessionDouble session;
  for (const Case& c : cases) {
    auto enumerator = com::makeObject<FakeEnumString>(numberedItems(c.items));
    // Every string handed out is freed, or the leak check reports it.
    EXPECT_EQ(EnumStringsToList(enumerator.get(), session), numberedTexts(c.items)) << c.items;
    EXPECT_EQ(enumerator->requestedCounts, c.requests) << c.items;
  }
}

TEST(EnumStringsToListTest, ConvertsWideStringsToText) {
  SessionDouble session;
  auto enumerator = com::makeObject<FakeEnumString>(std::vector<std::u16string>{u"Kanal1.Gerät", u"", u"€"});
  EXPECT_EQ(EnumStringsToList(enumerator.get(), session), (std::vector<std::string>{"Kanal1.Gerät", "", "€"}));
}

TEST(EnumStringsToListTest, AnEnumeratorThatCannotBeResetGivesNothing) {
  SessionDouble session;
  for (HRESULT result : {S_FALSE, E_FAIL}) {
    auto enumerator = com::makeObject<FakeEnumString>(numberedItems(3));
    enumerator->resetResult = result;
    EXPECT_TRUE(EnumStringsToList(enumerator.get(), session).empty());
    EXPECT_TRUE(enumerator->requestedCounts.empty());
  }
}

TEST(EnumStringsToListTest, StopsAtAnEnumeratorThatSucceedsWithNothing) {
  SessionDouble session;
  auto enumerator = com::makeObject<FakeEnumString>(numberedItems(3));
  enumerator->stuck = true;
  EXPECT_TRUE(EnumStringsToList(enumerator.get(), session).empty());
  EXPECT_EQ(enumerator->requestedCounts.size(), 1u);
}

}  // namespace
