// Dialog data exchange: members to controls and back, the standard prompts
// for text that is not a number of the field's kind or out of range, and
// what a failed check leaves behind.

#include <gtest/gtest.h>

#include <QComboBox>

#include "gui/dialog.h"
#include "gui/testing/testing.h"
#include "test_resources.h"

namespace gui {
namespace {

using namespace test;
using testing::DialogDriver;
using testing::modalScript;

class DataExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override { registerTestResources(); }
};

class FieldsDialog : public Dialog {
 public:
  FieldsDialog() : Dialog(kFieldsDialog) {}

  int integer = -5;
  unsigned positive = 4000000000u;
  double real = 12.5;
  float single = 0.25f;
  BYTE byte = 7;
  short small = -300;
  QString text = "abc";
  bool checked = true;
  int groupA = 1;
  int groupB = -1;
  int choice = 2;
  QString sortedText = "VT_BSTR";
  DWORD_PTR choiceData = 2;  // the data of entry 2, as `choice` says
  int listIndex = -1;
  // Range checks, as parameter dialogs use them.
  unsigned minimum = 0;
  double maxReal = 1e300;
  int maxChars = 1000;

 protected:
  bool OnInitDialog() override {
    ComboBox choices = comboBox(kChoiceList);
    const char* names[] = {"OPC_FLAT", "OPC_BRANCH", "OPC_LEAF"};
    const DWORD_PTR values[] = {3, 1, 2};
    for (int i = 0; i < 3; ++i) choices.SetItemData(choices.AddString(names[i]), values[i]);
    for (const char* type : {"VT_EMPTY", "VT_BSTR", "VT_BOOL", "VT_I4"}) comboBox(kSortedCombo).AddString(type);
    for (const char* entry : {"one", "two"}) listBox(kListBox).AddString(entry);
    return Dialog::OnInitDialog();
  }

  void DoDataExchange(DataExchange& dx) override {
    dx.text(kIntField, integer);
    dx.text(kUnsignedField, positive);
    dx.minMax(kUnsignedField, positive, minimum, 4294967295u);
    dx.text(kDoubleField, real);
    dx.minMax(kDoubleField, real, 0.0, maxReal);
    dx.text(kFloatField, single);
    dx.text(kByteField, byte);
    dx.text(kShortField, small);
    dx.text(kTextField, text);
    dx.maxChars(kTextField, text, maxChars);
    dx.check(kCheckBox, checked);
    dx.radio(kRadioA1, groupA);
    dx.radio(kRadioB1, groupB);
    dx.comboIndex(kChoiceList, choice);
    dx.comboItemData(kChoiceList, choiceData);
    dx.comboText(kSortedCombo, sortedText);
    dx.listIndex(kListBox, listIndex);
  }
};

TEST_F(DataExchangeTest, LoadsEveryKindOfMemberIntoItsControl) {
  FieldsDialog dialog;
  modalScript().expectDialog(kFieldsDialog, [](DialogDriver& d) {
    EXPECT_EQ(d.text(kIntField), "-5");
    EXPECT_EQ(d.text(kUnsignedField), "4000000000");
    EXPECT_EQ(d.text(kDoubleField), "12.5");
    EXPECT_EQ(d.text(kFloatField), "0.25");
    EXPECT_EQ(d.text(kByteField), "7");
    EXPECT_EQ(d.text(kShortField), "-300");
    EXPECT_EQ(d.text(kTextField), "abc");
    EXPECT_TRUE(d.isChecked(kCheckBox));
    EXPECT_TRUE(d.isChecked(kRadioA2));
    EXPECT_FALSE(d.isChecked(kRadioB1) || d.isChecked(kRadioB2));
    EXPECT_EQ(d.selectedIndex(kChoiceList), 2);
    // A sorted box keeps its entries in order, ignoring case.
    EXPECT_EQ(d.entries(kSortedCombo), QStringList({"VT_BOOL", "VT_BSTR", "VT_EMPTY", "VT_I4"}));
    EXPECT_EQ(d.text(kSortedCombo), "VT_BSTR");
    EXPECT_EQ(d.selectedIndex(kListBox), -1);
    d.press(IDCANCEL);
  });
  dialog.DoModal();
}

TEST_F(DataExchangeTest, SavesEveryKindOfMemberOnOk) {
  FieldsDialog dialog;
  modalScript().expectDialog(kFieldsDialog, [](DialogDriver& d) {
    d.setText(kIntField, " 17 ");
    d.setText(kUnsignedField, "4294967295");
    d.setText(kDoubleField, "1e3");
    d.setText(kFloatField, "-0.5");
    d.setText(kByteField, "255");
    d.setText(kShortField, "32767");
    d.setText(kTextField, "Pelkor.DataSample");
    d.check(kCheckBox, false);
    d.check(kRadioA3);
    d.check(kRadioB2);
    d.select(kChoiceList, 1);
    d.setText(kSortedCombo, "VT_R8");
    d.select(kListBox, 1);
    d.press(IDOK);
  });
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.integer, 17);
  EXPECT_EQ(dialog.positive, 4294967295u);
  EXPECT_EQ(dialog.real, 1000.0);
  EXPECT_EQ(dialog.single, -0.5f);
  EXPECT_EQ(dialog.byte, 255);
  EXPECT_EQ(dialog.small, 32767);
  EXPECT_EQ(dialog.text, "Pelkor.DataSample");
  EXPECT_FALSE(dialog.checked);
  EXPECT_EQ(dialog.groupA, 2);
  EXPECT_EQ(dialog.groupB, 1);
  EXPECT_EQ(dialog.choice, 1);
  EXPECT_EQ(dialog.choiceData, 1u);  // "OPC_BRANCH"
  EXPECT_EQ(dialog.sortedText, "VT_R8");
  EXPECT_EQ(dialog.listIndex, 1);
}

TEST_F(DataExchangeTest, RejectsTextThatIsNotANumberOfTheFieldsKind) {
  struct Case {
    int field;
    QString text;
    QString prompt;
  };
  const Case cases[] = {
      {kIntField, "", "Please enter an integer."},
      {kIntField, "12abc", "Please enter an integer."},
      {kIntField, "2147483648", "Please enter an integer."},
      {kIntField, "1.5", "Please enter an integer."},
      {kUnsignedField, "-1", "Please enter a positive integer."},
      {kUnsignedField, "4294967296", "Please enter a positive integer."},
      {kUnsignedField, "seven", "Please enter a positive integer."},
      {kDoubleField, "1,5", "Please enter a number."},
      {kDoubleField, "inf", "Please enter a number."},
      {kFloatField, "1e39", "Please enter a number."},
      {kByteField, "256", "Please enter an integer between 0 and 255."},
      {kShortField, "40000", "Please enter an integer."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    FieldsDialog dialog;
    modalScript().expectDialog(kFieldsDialog, [&](DialogDriver& d) {
      d.setText(kTextField, "changed");
      d.setText(c.field, c.text);
      modalScript().expectMessageBox(IDOK, c.prompt);
      d.press(IDOK);
      // The dialog stays open with the field focused; the user corrects it.
      EXPECT_FALSE(d.ended());
      EXPECT_EQ(d.dialog().widget()->focusWidget(), d.control(c.field));
      d.press(IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ASSERT_FALSE(modalScript().messageBoxes().empty());
    EXPECT_EQ(modalScript().messageBoxes().back().icon(), MB_ICONEXCLAMATION);
    modalScript().reset();
  }
}

TEST_F(DataExchangeTest, RangeAndLengthChecksUseTheStandardPrompts) {
  struct Case {
    std::function<void(FieldsDialog&)> limit;
    int field;
    QString text;
    QString prompt;
  };
  const Case cases[] = {
      {[](FieldsDialog& d) { d.minimum = 1; }, kUnsignedField, "0", "Please enter an integer between 1 and 4294967295."},
      {[](FieldsDialog& d) { d.maxReal = 100; }, kDoubleField, "100.5", "Please enter a number between 0 and 100."},
      {[](FieldsDialog& d) { d.maxReal = 100; }, kDoubleField, "-0.001", "Please enter a number between 0 and 100."},
      {[](FieldsDialog& d) { d.maxChars = 3; }, kTextField, "abcd", "Please enter no more than 3 characters."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prompt.toStdString());
    FieldsDialog dialog;
    c.limit(dialog);
    modalScript().expectDialog(kFieldsDialog, [&](DialogDriver& d) {
      if (c.field == kTextField) {
        // The limit also keeps the user from typing more; lifted here to
        // reach the check itself.
        d.setText(c.field, c.text);
        EXPECT_EQ(d.text(c.field), c.text.left(3));
        d.dialog().edit(kTextField).LimitText(0);
      }
      d.setText(c.field, c.text);
      modalScript().expectMessageBox(IDOK, c.prompt);
      d.press(IDOK);
      EXPECT_FALSE(d.ended());
      d.press(IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    modalScript().reset();
  }
}

TEST_F(DataExchangeTest, AFailedFieldStopsTheRestOfTheExchange) {
  FieldsDialog dialog;
  modalScript().expectDialog(kFieldsDialog, [](DialogDriver& d) {
    d.setText(kIntField, "99");
    d.setText(kDoubleField, "not a number");
    d.setText(kTextField, "later field");
    modalScript().expectMessageBox(IDOK, QString("Please enter a number."));
    d.press(IDOK);
    d.press(IDCANCEL);
  });
  dialog.DoModal();
  EXPECT_EQ(dialog.integer, 99);      // before the failure: taken
  EXPECT_EQ(dialog.real, 12.5);       // the failing field: unchanged
  EXPECT_EQ(dialog.text, "abc");      // after it: not read
}

TEST_F(DataExchangeTest, ComboItemDataKeepsTheDefaultWithoutASelection) {
  FieldsDialog dialog;
  dialog.choice = -1;
  dialog.choiceData = 6;
  modalScript().expectDialog(kFieldsDialog, [](DialogDriver& d) {
    // Loading selected the entry whose data matched, which is none.
    EXPECT_EQ(d.selectedIndex(kChoiceList), -1);
    d.press(IDOK);
  });
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.choiceData, 6u);
}

}  // namespace
}  // namespace gui
