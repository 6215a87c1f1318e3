#include "test_resources.h"

#include "gui/resources.h"

namespace gui::test {

void registerTestResources() {
  Resources& resources = Resources::instance();
  using Item = MenuItem;
  resources.addMenu(kFrameId, {{
      Item::command(ID_APP_EXIT, "E&xit"),
      Item::popup("&View", {Item::command(ID_VIEW_TOOLBAR, "&Toolbar"),
                            Item::command(ID_VIEW_STATUS_BAR, "&Status Bar")}),
      Item::popup("&Session", {Item::command(ID_TEST_CONNECT, "&Connect"),
                               Item::command(ID_TEST_DISCONNECT, "&Disconnect"),
                               Item::separator(),
                               Item::popup("Interface &A", {Item::command(ID_TEST_A1, "A &One"),
                                                            Item::command(ID_TEST_A2, "A &Two")}, true),
                               Item::popup("Interface &B", {Item::command(ID_TEST_B1, "B &One")}, true),
                               Item::separator(),
                               Item::command(ID_TEST_UNHANDLED, "&Unhandled")}),
      Item::popup("&Help", {Item::command(ID_APP_ABOUT, "&About...")}),
  }});
  resources.addBitmap(kToolBarBitmap, ":/gui/images/toolbar_session.png");
  resources.addBitmap(kLampBitmap, ":/gui/images/lamp_running.png");
  resources.addBitmap(kDetailsBitmap, ":/gui/images/details.png");
  resources.addIcon(kAppIcon, {":/gui/images/app_16.png", ":/gui/images/app_32.png"});
  resources.addToolBar(kFrameId, {kToolBarBitmap, {16, 15},
                                  {ID_TEST_CONNECT, ID_TEST_DISCONNECT, ID_SEPARATOR, ID_TEST_REFRESH, ID_SEPARATOR,
                                   ID_APP_ABOUT, ID_APP_EXIT}});
  resources.addAccelerators(kFrameId, {{Qt::Key_F6, Qt::NoModifier, ID_NEXT_PANE},
                                       {Qt::Key_F6, Qt::ShiftModifier, ID_PREV_PANE},
                                       {Qt::Key_K, Qt::ControlModifier, ID_TEST_CONNECT}});
  resources.addStrings({
      {kFrameId, "Test Frame"},
      {ID_TEST_CONNECT, "Connects to the test server\nConnect"},
      {ID_TEST_DISCONNECT, "Disconnects from the test server\nDisconnect"},
      {ID_TEST_REFRESH, "Reads everything again\nRefresh"},
      {ID_INDICATOR_STATE, "STATE_SUSPENDED"},
  });

  using namespace dlg;
  resources.addDialog({kConnectDialog, "Connect to Test Server", 220, 100, {},
                       {label("Name of the &server:", {7, 7, 145, 19}),
                        edit(2001, {7, 30, 145, 12}),
                        label("Name of the machine:", {7, 55, 145, 19}),
                        edit(1059, {7, 80, 145, 12}),
                        defaultButton(IDOK, "Connect", {163, 7, 50, 14}),
                        button(IDCANCEL, "Cancel", {163, 24, 50, 14}),
                        button(2035, "Browse...", {163, 45, 50, 14})}});
  resources.addDialog({kFieldsDialog, "Fields", 300, 200, {},
                       {edit(kIntField, {7, 7, 60, 12}),
                        edit(kUnsignedField, {7, 22, 60, 12}),
                        edit(kDoubleField, {7, 37, 60, 12}),
                        edit(kFloatField, {7, 52, 60, 12}),
                        edit(kByteField, {7, 67, 60, 12}),
                        edit(kShortField, {7, 82, 60, 12}),
                        edit(kTextField, {7, 97, 60, 12}),
                        checkBox(kCheckBox, "&Check", {80, 7, 60, 10}),
                        radio(kRadioA1, "A1", {80, 22, 40, 10}, kTabStop | kGroup),
                        radio(kRadioA2, "A2", {80, 34, 40, 10}),
                        radio(kRadioA3, "A3", {80, 46, 40, 10}),
                        radio(kRadioB1, "B1", {80, 60, 40, 10}, kTabStop | kGroup),
                        radio(kRadioB2, "B2", {80, 72, 40, 10}),
                        comboBox(kChoiceList, {150, 7, 80, 60}),
                        comboBox(kSortedCombo, {150, 25, 80, 60}, kTabStop | kDropDown | kSort),
                        listBox(kListBox, {150, 45, 80, 50}, kTabStop | kVScroll | kGroup),
                        defaultButton(IDOK, "OK", {243, 7, 50, 14}),
                        button(IDCANCEL, "Cancel", {243, 24, 50, 14})}});
  resources.addDialog({kNestingDialog, "Nesting", 120, 50, {},
                       {button(3001, "&Open...", {7, 7, 50, 14}),
                        defaultButton(IDOK, "OK", {63, 7, 50, 14}),
                        button(IDCANCEL, "Cancel", {63, 24, 50, 14})}});
  resources.addDialog({kFormTemplate, "", 356, 112, {},
                       {label("Function Name", {7, 7, 49, 8}),
                        edit(2004, {100, 7, 231, 12}, kReadOnly | kAutoHScroll),
                        bitmapButton(2026, kDetailsBitmap, {335, 26, 14, 14}),
                        listBox(2002, {100, 45, 231, 60}, kVScroll | kHScroll | kNoIntegralHeight)}});
  resources.addDialog({kControlsDialog, "Controls", 300, 160, {},
                       {groupBox("&Frame", {5, 5, 290, 150}),
                        treeView(1000, {10, 15, 100, 100}),
                        listView(1008, {115, 15, 175, 60}, {{"Description", 100}, {"ProgID", 70}}),
                        ipAddress(1061, {115, 80, 100, 12}),
                        picture(kLampBitmap, {220, 80, 10, 10}, 1100),
                        icon(kAppIcon, {240, 80, 20, 20}, 1101),
                        edit(1102, {115, 100, 100, 30}, kTabStop | kMultiLine | kVScroll),
                        edit(1103, {220, 100, 60, 12}, kTabStop | kUppercase),
                        label("Note &without buddy", {10, 125, 100, 8}),
                        label(1104, "<ROOT>", {10, 135, 100, 8})}});
}

}  // namespace gui::test
