#include "format/choice_fillers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "fake_enum_string.h"
#include "format/code_text.h"
#include "memory_choice_list.h"
#include "session_double.h"

namespace {

using format::testing::FakeEnumString;
using format::testing::MemoryChoiceList;
using format::testing::numberedItems;
using testing_support::SessionDouble;

TEST(FillVarTypeListTest, OffersTheRequestableTypesWithTheirCodes) {
  MemoryChoiceList list;
  FillVarTypeList(list, VT_EMPTY);
  struct Entry {
    const char* text;
    DWORD_PTR data;
  };
  const Entry expected[] = {
      {"VT_EMPTY", 0}, {"VT_NULL", 1},      {"VT_I1", 16},    {"VT_I2", 2},       {"VT_I4", 3},
      {"VT_R4", 4},    {"VT_R8", 5},        {"VT_UI1", 17},   {"VT_UI2", 18},     {"VT_UI4", 19},
      {"VT_BOOL", 11}, {"VT_CY", 6},        {"VT_DATE", 7},   {"VT_BSTR", 8},     {"VT_DISPATCH", 9},
      {"VT_ERROR", 10}, {"VT_UNKNOWN", 13}, {"VT_INT", 22},   {"VT_UINT", 23},    {"VT_DECIMAL", 14},
  };
  ASSERT_EQ(list.entries.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(list.entries[i].text, expected[i].text);
    EXPECT_EQ(list.entries[i].data, expected[i].data) << expected[i].text;
  }
}

TEST(FillVarTypeListTest, SelectsThePreselectedTypeOrVtEmpty) {
  struct Case {
    VARTYPE preselected;
    bool sorted;
    const char* selected;
  };
  const Case cases[] = {
      {VT_R8, false, "VT_R8"},
      {VT_DECIMAL, false, "VT_DECIMAL"},
      {VT_R8, true, "VT_R8"},
      // Flags take part in the comparison: an array type is not offered.
      {VT_ARRAY | VT_I4, false, "VT_EMPTY"},
      {VT_VARIANT, false, "VT_EMPTY"},
      // In a sorted list "VT_EMPTY" is not the first entry, but still the one chosen.
      {VT_ARRAY | VT_R4, true, "VT_EMPTY"},
  };
  for (const Case& c : cases) {
    MemoryChoiceList list(c.sorted);
    FillVarTypeList(list, c.preselected);
    EXPECT_EQ(list.selectedText(), c.selected) << c.preselected;
  }
}

TEST(FillVarTypeListTest, SortedListKeepsEachCodeWithItsName) {
  MemoryChoiceList list(true);
  FillVarTypeList(list, VT_EMPTY);
  EXPECT_EQ(list.entries[0].text, "VT_BOOL");
  EXPECT_EQ(list.entries[1].text, "VT_BSTR");
  for (const auto& entry : list.entries) EXPECT_EQ(VarTypeName(static_cast<VARTYPE>(entry.data)), entry.text);
}

TEST(FillVarTypeListTest, DropsEntriesThatCannotCarryTheirCode) {
  MemoryChoiceList list;
  list.refusedData = {"VT_I4"};
  list.refusedTexts = {"VT_BSTR"};
  FillVarTypeList(list, VT_I4);
  const auto texts = list.texts();
  EXPECT_EQ(texts.size(), 18u);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "VT_I4"), 0);
  EXPECT_EQ(list.selectedText(), "VT_EMPTY");
  EXPECT_EQ(list.entries[4].text, "VT_R4");
  EXPECT_EQ(list.entries[4].data, DWORD_PTR{VT_R4});
}

TEST(FillLocaleListTest, AddsLocalesInOrderAndSelectsTheEqualOne) {
  const LCID locales[] = {0, 0x800, 0x400, 0x409, 0x407};
  struct Case {
    LCID preselected;
    const char* selected;
  };
  const Case cases[] = {
      {0, "Language-Neutral"},
      {0x407, "German (Germany)"},
      {0x1234, "(none)"},
  };
  for (const Case& c : cases) {
    MemoryChoiceList list;
    list.selected = 2;
    FillLocaleList(list, 5, locales, c.preselected);
    EXPECT_EQ(list.texts(), (std::vector<std::string>{"Language-Neutral", "System Default Locale",
                                                      "Current User Locale", "English (United States)",
                                                      "German (Germany)"}));
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(list.entries[i].data, locales[i]);
    EXPECT_EQ(list.selectedText(), c.selected) << c.preselected;
  }

  MemoryChoiceList empty;
  FillLocaleList(empty, 0, locales, 0);
  EXPECT_EQ(empty.count(), 0);
  EXPECT_EQ(empty.selected, -1);
}

TEST(FillListFromEnumTest, AddsTheStringsSelectsTheFirstAndReleasesTheEnumerator) {
  SessionDouble session;
  for (int items : {0, 12}) {
    auto enumerator = com::makeObject<FakeEnumString>(numberedItems(items));
    enumerator->AddRef();  // the reference the call takes over
    MemoryChoiceList list;
    FillListFromEnum(list, enumerator.get(), session);
    EXPECT_EQ(list.count(), items);
    EXPECT_EQ(list.selected, items == 0 ? -1 : 0);
    if (items != 0) {
      EXPECT_EQ(list.entries[11].text, "item 11");
    }
    // Only the test's own reference is left.
    EXPECT_EQ(enumerator->AddRef(), 2u);
    enumerator->Release();
  }
}

}  // namespace
