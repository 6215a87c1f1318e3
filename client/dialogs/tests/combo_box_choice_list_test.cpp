// The drop-down lists of the dialogs as the choice-list fillers see them:
// entries keep their item data where a sorted list puts them, and the
// filler's selection shows in the list.

#include <gtest/gtest.h>

#include <QComboBox>

#include "dialogs/combo_box_choice_list.h"
#include "format/choice_fillers.h"
#include "format/code_text.h"
#include "gui/testing/testing.h"

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
