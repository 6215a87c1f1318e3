// Dialogs built from templates: dialog units to pixels, and the real
// widgets each control kind becomes.

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "gui/dialog.h"
#include "gui/dialog_units.h"
#include "gui/testing/testing.h"
#include "test_resources.h"

namespace gui {
namespace {

using testing::DialogDriver;
using testing::modalScript;

TEST(DialogUnits, MeasuresTheFontAndScalesEachValueWithRounding) {
  struct Case {
    DialogFont font;
    int baseWidth;
    int baseHeight;
    DialogRect rect;
    QRect pixels;
  };
  // Liberation Sans 8 pt at 96 dpi: 333 px for the 52 letters, so 6 x 12;
  // halves (7 * 6 / 4 = 10.5) round up, as the platform's MulDiv does.
  const Case cases[] = {
      {{"Liberation Sans", 8}, 6, 12, {7, 30, 145, 12}, QRect(11, 45, 218, 18)},
      {{"Liberation Sans", 8}, 6, 12, {163, 7, 50, 14}, QRect(245, 11, 75, 21)},
      {{"Liberation Sans", 8}, 6, 12, {0, 0, 1, 1}, QRect(0, 0, 2, 2)},
      {{"Liberation Sans", 10}, 8, 15, {7, 30, 145, 12}, QRect(14, 56, 290, 23)},
      {{"Courier New", 9}, 7, 14, {4, 8, 4, 8}, QRect(7, 14, 7, 14)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.font.family.toStdString() + " " + std::to_string(c.font.pointSize));
    const DialogUnits units(DialogUnits::templateFont(c.font));
    EXPECT_EQ(units.baseWidth(), c.baseWidth);
    EXPECT_EQ(units.baseHeight(), c.baseHeight);
    EXPECT_EQ(units.toPixels(c.rect), c.pixels);
  }
}

class TemplateBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override { test::registerTestResources(); }
};

TEST_F(TemplateBuilderTest, DialogTakesTemplateSizeCaptionAndPositions) {
  Dialog dialog(test::kConnectDialog);
  modalScript().expectDialog(test::kConnectDialog, [](DialogDriver& d) {
    const DialogUnits units(d.dialog().widget()->font());
    EXPECT_EQ(d.dialog().widget()->font().family(), "Liberation Sans");
    EXPECT_EQ(d.caption(), "Connect to Test Server");
    EXPECT_EQ(d.dialog().widget()->size(), units.toPixels(220, 100));
    EXPECT_EQ(d.control(2001)->geometry(), units.toPixels(DialogRect{7, 30, 145, 12}));
    EXPECT_EQ(d.control(IDOK)->geometry(), units.toPixels(DialogRect{163, 7, 50, 14}));
    EXPECT_TRUE(static_cast<QPushButton*>(d.control(IDOK))->isDefault());
    EXPECT_FALSE(static_cast<QPushButton*>(d.control(IDCANCEL))->isDefault());
    d.press(IDCANCEL);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(TemplateBuilderTest, LabelsGetMnemonicsOnlyWithABuddy) {
  Dialog dialog(test::kConnectDialog);
  modalScript().expectDialog(test::kConnectDialog, [](DialogDriver& d) {
    auto labels = d.dialog().widget()->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2);
    // "Name of the &server:" moves the focus to the edit after it.
    EXPECT_EQ(labels[0]->buddy(), d.control(2001));
    EXPECT_EQ(labels[0]->text(), "Name of the &server:");
    d.press(IDCANCEL);
  });
  dialog.DoModal();

  Dialog controls(test::kControlsDialog);
  modalScript().expectDialog(test::kControlsDialog, [](DialogDriver& d) {
    for (QLabel* label : d.dialog().widget()->findChildren<QLabel*>()) {
      if (label->text().startsWith("Note")) {
        // Nothing after it takes the focus: the "&" is dropped, not shown.
        EXPECT_EQ(label->text(), "Note without buddy");
        EXPECT_EQ(label->buddy(), nullptr);
      }
    }
    // Labels are plain text: "<ROOT>" is not taken for markup.
    EXPECT_EQ(d.text(1104), "<ROOT>");
    EXPECT_EQ(static_cast<QLabel*>(d.control(1104))->textFormat(), Qt::PlainText);
    d.pressEscape();
  });
  controls.DoModal();
}

TEST_F(TemplateBuilderTest, EachControlKindBecomesItsWidget) {
  Dialog dialog(test::kControlsDialog);
  modalScript().expectDialog(test::kControlsDialog, [](DialogDriver& d) {
    const DialogUnits units(d.dialog().widget()->font());
    auto* tree = qobject_cast<QTreeWidget*>(d.control(1000));
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(tree->isHeaderHidden());

    auto* list = qobject_cast<QTreeWidget*>(d.control(1008));
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->isHeaderHidden());
    EXPECT_EQ(list->headerItem()->text(0), "Description");
    EXPECT_EQ(list->headerItem()->text(1), "ProgID");
    EXPECT_EQ(list->columnWidth(0), units.toPixelsX(100));

    EXPECT_NE(d.control(1102)->inherits("QPlainTextEdit"), false);
    EXPECT_EQ(d.control(1061)->geometry(), units.toPixels(DialogRect{115, 80, 100, 12}));

    // Pictures take their image's size, not the template's.
    EXPECT_EQ(d.control(1100)->size(), QSize(14, 14));
    EXPECT_EQ(d.control(1101)->size(), QSize(32, 32));

    // The frame lies behind the controls it frames.
    auto* frame = d.dialog().widget()->findChild<QGroupBox*>();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(d.dialog().widget()->children().indexOf(frame), 0);

    // Typed letters become capitals in an upper-case field.
    d.setText(1103, "c0040007x");
    EXPECT_EQ(d.text(1103), "C0040007X");
    d.pressEscape();
  });
  dialog.DoModal();
}

TEST_F(TemplateBuilderTest, ComboBoxesShowTheirClosedHeightAndRadioGroupsFollowTheTemplate) {
  Dialog dialog(test::kFieldsDialog);
  modalScript().expectDialog(test::kFieldsDialog, [](DialogDriver& d) {
    const DialogUnits units(d.dialog().widget()->font());
    auto* combo = qobject_cast<QComboBox*>(d.control(test::kChoiceList));
    ASSERT_NE(combo, nullptr);
    // The template's 60 units include the dropped-down list.
    EXPECT_LT(combo->height(), units.toPixelsY(60));
    EXPECT_EQ(combo->y(), units.toPixelsY(7));
    EXPECT_FALSE(combo->isEditable());
    EXPECT_TRUE(qobject_cast<QComboBox*>(d.control(test::kSortedCombo))->isEditable());

    auto* a1 = qobject_cast<QRadioButton*>(d.control(test::kRadioA1));
    auto* a3 = qobject_cast<QRadioButton*>(d.control(test::kRadioA3));
    auto* b1 = qobject_cast<QRadioButton*>(d.control(test::kRadioB1));
    ASSERT_NE(a1->group(), nullptr);
    EXPECT_EQ(a1->group(), a3->group());
    EXPECT_NE(a1->group(), b1->group());

    // Checking one of a group clears the others of that group only.
    d.check(test::kRadioA1);
    d.check(test::kRadioB1);
    d.check(test::kRadioA3);
    EXPECT_FALSE(d.isChecked(test::kRadioA1));
    EXPECT_TRUE(d.isChecked(test::kRadioA3));
    EXPECT_TRUE(d.isChecked(test::kRadioB1));
    d.press(IDCANCEL);
  });
  dialog.DoModal();
}

TEST_F(TemplateBuilderTest, MissingTemplateFailsDoModal) {
  Dialog dialog(12345);
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_TRUE(modalScript().dialogsShown().empty());
}

}  // namespace
}  // namespace gui
