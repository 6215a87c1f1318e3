// The drop-down lists of the dialogs as the choice-list fillers see them:
// entries keep their item data where a sorted list puts them, and the
// filler's selection shows in the list.

#include <gtest/gtest.h>

#include <QComboBox>

#include "dialogs/combo_box_choice_list.h"
#include "format/choice_fillers.h"
#include "format/code_text.h"
#include "format/tests/fake_enum_string.h"
#include "gui/testing/testing.h"
#include "session_double.h"

namespace {

TEST(ComboBoxChoiceList, TakesTheValueTypesWithTheirCodesAndShowsTheSelection) {
  for (bool sorted : {false, true}) {
    SCOPED_TRACE(sorted ? "sorted" : "unsorted");
    QComboBox box;
    box.setProperty("gui.sorted", sorted);  // what the template's sort style sets
    gui::ComboBox combo(&box);
    ComboBoxChoiceList list(combo);
    FillVarTypeList(list, VT_R8);

    ASSERT_EQ(list.count(), 20);
    EXPECT_EQ(box.currentText(), "VT_R8");
    EXPECT_EQ(list.itemData(combo.GetCurSel()), static_cast<DWORD_PTR>(VT_R8));
    EXPECT_EQ(box.itemText(0), sorted ? "VT_BOOL" : "VT_EMPTY");
    for (int i = 0; i < list.count(); ++i) {
      EXPECT_EQ(box.itemText(i).toStdString(), VarTypeName(static_cast<VARTYPE>(list.itemData(i))));
    }
  }
}

TEST(ComboBoxChoiceList, TakesLocalesWithTheirIdsAndSelectsThePreselectedOneOrNone) {
  const LCID locales[] = {0x409, 0x407, 0x40C};
  struct Case {
    bool sorted;
    LCID preselected;
    bool found;
  };
  const Case cases[] = {{false, 0x407, true}, {true, 0x407, true}, {true, 0x40C, true}, {false, 0x411, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.sorted ? "sorted " : "unsorted ") << std::hex << c.preselected);
    QComboBox box;
    box.setProperty("gui.sorted", c.sorted);
    ComboBoxChoiceList list{gui::ComboBox(&box)};
    FillLocaleList(list, 3, locales, c.preselected);
    ASSERT_EQ(list.count(), 3);
    for (int i = 0; i < list.count(); ++i) {
      EXPECT_EQ(box.itemText(i).toStdString(), LocaleText(static_cast<LCID>(list.itemData(i))));
    }
    if (c.found) {
      EXPECT_EQ(list.itemData(box.currentIndex()), c.preselected);
      EXPECT_EQ(box.currentText().toStdString(), LocaleText(c.preselected));
    } else {
      EXPECT_EQ(box.currentIndex(), -1);
    }
  }
}

TEST(ComboBoxChoiceList, TakesAServersStringsAndSelectsTheFirstEntryShown) {
  testing_support::SessionDouble session;
  for (bool sorted : {false, true}) {
    SCOPED_TRACE(sorted ? "sorted" : "unsorted");
    QComboBox box;
    box.setProperty("gui.sorted", sorted);
    ComboBoxChoiceList list{gui::ComboBox(&box)};
    auto* paths = new format::testing::FakeEnumString({u"Line2", u"Line1", u"Gr\u00FCn"});
    paths->AddRef();  // the filler takes this reference over
    FillListFromEnum(list, paths, session);
    const QStringList expected =
        sorted ? QStringList{"Gr\u00FCn", "Line1", "Line2"} : QStringList{"Line2", "Line1", "Gr\u00FCn"};
    ASSERT_EQ(list.count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(box.itemText(i), expected[i]);
    EXPECT_EQ(box.currentIndex(), 0);
  }
}

TEST(ComboBoxChoiceList, RemovesAndSelectsByIndex) {
  QComboBox box;
  ComboBoxChoiceList list{gui::ComboBox(&box)};
  EXPECT_EQ(list.addString("first"), 0);
  EXPECT_EQ(list.addString("second"), 1);
  EXPECT_TRUE(list.setItemData(1, 42));
  EXPECT_FALSE(list.setItemData(5, 1));
  list.removeAt(0);
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(list.itemData(0), 42u);
  list.select(0);
  EXPECT_EQ(box.currentText(), "second");
  list.select(-1);
  EXPECT_EQ(box.currentIndex(), -1);

  EXPECT_EQ(ComboBoxChoiceList(gui::ComboBox()).count(), 0);  // no list at all
}

}  // namespace
