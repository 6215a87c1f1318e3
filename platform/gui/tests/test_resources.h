#pragma once

// Resources shared by the layer's tests: a frame (menu, tool bar, strings,
// accelerators) and a few dialog templates that use every control kind.

#include "gui/ids.h"
#include "gui/types.h"

namespace gui::test {

constexpr UINT kFrameId = 900;
constexpr UINT kToolBarBitmap = 901;
constexpr UINT kLampBitmap = 902;
constexpr UINT kDetailsBitmap = 903;
constexpr UINT kAppIcon = 904;

constexpr UINT ID_TEST_CONNECT = 33001;
constexpr UINT ID_TEST_DISCONNECT = 33002;
constexpr UINT ID_TEST_REFRESH = 33003;
constexpr UINT ID_TEST_A1 = 33010;
constexpr UINT ID_TEST_A2 = 33011;
constexpr UINT ID_TEST_B1 = 33020;
constexpr UINT ID_TEST_UNHANDLED = 33030;
constexpr UINT ID_INDICATOR_STATE = 33100;

// Dialog templates.
constexpr UINT kConnectDialog = 950;   // two edits, OK, Cancel, Browse (2035)
constexpr UINT kFieldsDialog = 951;    // numbers, check box, radio groups, lists
constexpr UINT kNestingDialog = 952;   // button 3001 opens kConnectDialog
constexpr UINT kFormTemplate = 953;    // a form view's template
constexpr UINT kControlsDialog = 954;  // tree, list view, IP address, pictures

// Controls of kFieldsDialog.
enum FieldId : int {
  kIntField = 1001,
  kUnsignedField,
  kDoubleField,
  kFloatField,
  kByteField,
  kShortField,
  kTextField,
  kCheckBox,
  kRadioA1,
  kRadioA2,
  kRadioA3,
  kRadioB1,
  kRadioB2,
  kChoiceList,     // drop-down list
  kSortedCombo,    // editable, sorted
  kListBox,
};

void registerTestResources();

}  // namespace gui::test
