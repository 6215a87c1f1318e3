// The templates of the parameter dialogs. Positions and sizes are dialog
// units of the template's font; labels that a dialog rewrites for its mode
// carry an id, fixed texts do not.

#include "gui/resources.h"
#include "resources/parameter_dialog_ids.h"
#include "resources/quillon_resources.h"

namespace quillon {
namespace {

using namespace gui::dlg;

const unsigned kDropDownList = gui::kTabStop | gui::kDropDownList | gui::kVScroll;
const unsigned kEditableDropDown = gui::kTabStop | gui::kDropDown | gui::kVScroll;
const unsigned kField = gui::kTabStop | gui::kAutoHScroll;
const unsigned kBrowsePositionField = gui::kReadOnly | gui::kAutoHScroll;

// OK and Cancel in the top right-hand corner of a dialog `cx` units wide.
void addButtons(gui::DialogTemplate& dialog) {
  const int x = dialog.cx - 57;
  dialog.controls.push_back(defaultButton(gui::IDOK, "OK", {x, 7, 50, 14}));
  dialog.controls.push_back(button(gui::IDCANCEL, "Cancel", {x, 24, 50, 14}));
}

gui::DialogTemplate withButtons(gui::DialogTemplate dialog) {
  addButtons(dialog);
  return dialog;
}

// The read-only frame with the current browse position at the top of the
// browsing dialogs.
void addBrowsePosition(std::vector<gui::ControlTemplate>& controls, int width) {
  controls.push_back(groupBox("Current Browse Position", {7, 7, width, 28}));
  controls.push_back(edit(IDC_BROWSE_POSITION, {14, 18, width - 14, 12}, kBrowsePositionField));
}

gui::DialogTemplate textParam() {
  return withButtons({IDD_TEXT_PARAM,
                      "",
                      262,
                      48,
                      {},
                      {label(IDC_PARAM_LABEL, "String field description", {7, 9, 190, 8}),
                       edit(IDC_PARAM_FIELD, {7, 21, 190, 12}, kField)}});
}

gui::DialogTemplate numberParam(UINT id, unsigned checkStyle, const QString& checkText) {
  return withButtons({id,
                      "",
                      210,
                      60,
                      {},
                      {label(IDC_PARAM_LABEL, "", {7, 9, 138, 8}),
                       edit(IDC_PARAM_FIELD, {7, 21, 80, 12}, kField),
                       checkBox(IDC_PARAM_CHECK, checkText, {7, 40, 138, 10}, checkStyle)}});
}

gui::DialogTemplate choiceParam() {
  return withButtons({IDD_CHOICE_PARAM,
                      "",
                      210,
                      48,
                      {},
                      {label(IDC_PARAM_LABEL, "", {7, 9, 138, 8}),
                       comboBox(IDC_PARAM_FIELD, {7, 21, 138, 120}, kEditableDropDown | gui::kSort)}});
}

gui::DialogTemplate itemId() {
  return withButtons({IDD_ITEM_ID,
                      "",
                      262,
                      48,
                      {},
                      {label("Specify the Item ID", {7, 9, 190, 8}),
                       comboBox(IDC_ITEM_ID, {7, 21, 190, 140}, kEditableDropDown)}});
}

gui::DialogTemplate addGroup() {
  return withButtons({IDD_ADD_GROUP,
                      "IOPCServer::AddGroup",
                      280,
                      164,
                      {},
                      {label("Name of the Group", {7, 9, 85, 8}),
                       edit(IDC_GROUP_NAME, {95, 7, 120, 12}, kField),
                       label("Provided Handle", {7, 26, 85, 8}),
                       edit(IDC_PROVIDED_HANDLE, {95, 24, 60, 12}, kField),
                       label("Req. Update Rate", {7, 43, 85, 8}),
                       edit(IDC_UPDATE_RATE, {95, 41, 60, 12}, kField),
                       groupBox("Create Group", {7, 58, 148, 26}),
                       radio(IDC_ACTIVE, "Active", {15, 70, 55, 10}, gui::kTabStop | gui::kGroup),
                       radio(IDC_INACTIVE, "Inactive", {80, 70, 55, 10}),
                       label("Percent Deadband", {7, 94, 85, 8}),
                       edit(IDC_PERCENT_DEADBAND, {95, 92, 60, 12}, kField | gui::kGroup),
                       groupBox("Other Parameters", {7, 110, 208, 47}),
                       label("TimeBias", {15, 122, 75, 8}),
                       label(":  Default System TimeBias", {95, 122, 115, 8}),
                       label("Language to be used", {15, 133, 75, 8}),
                       label(":  System Default", {95, 133, 115, 8}),
                       label("Requested Interface", {15, 144, 75, 8}),
                       label(":  IUnknown", {95, 144, 115, 8})}});
}

gui::DialogTemplate groupByName() {
  return withButtons({IDD_GROUP_BY_NAME,
                      "",
                      240,
                      70,
                      {},
                      {label("Name of the Group", {7, 9, 100, 8}),
                       edit(IDC_GROUP_NAME, {7, 21, 170, 12}, kField),
                       label("Type of desired interface", {7, 40, 100, 8}),
                       comboBox(IDC_INTERFACE_TYPE, {7, 52, 170, 120}, kDropDownList)}});
}

gui::DialogTemplate serverErrorString() {
  return withButtons({IDD_SERVER_ERROR_STRING,
                      "IOPCServer::GetErrorString",
                      240,
                      70,
                      {},
                      {label("Specify the error code as hex value", {7, 9, 170, 8}),
                       edit(IDC_ERROR_CODE, {7, 21, 100, 12}, kField | gui::kUppercase),
                       label("Hex", {112, 23, 20, 8}),
                       label("The locale of the returned string", {7, 40, 170, 8}),
                       comboBox(IDC_LOCALE, {7, 52, 170, 90}, kDropDownList)}});
}

gui::DialogTemplate groupEnumScope() {
  return withButtons({IDD_GROUP_ENUM_SCOPE,
                      "IOPCServer::CreateGroupEnumerator",
                      240,
                      48,
                      {},
                      {label("Class of groups to be enumerated", {7, 9, 170, 8}),
                       comboBox(IDC_ENUM_SCOPE, {7, 21, 170, 90}, kDropDownList)}});
}

gui::DialogTemplate removeGroup() {
  return withButtons({IDD_REMOVE_GROUP,
                      "",
                      300,
                      60,
                      {},
                      {label("Handle of the group to be removed", {7, 9, 150, 8}),
                       edit(IDC_GROUP_HANDLE, {7, 21, 80, 12}, kField),
                       checkBox(IDC_FORCE, "Forces deletion of the group even if references are outstanding",
                                {7, 41, 230, 10})}});
}

gui::DialogTemplate browseItemIds() {
  gui::DialogTemplate dialog{IDD_BROWSE_ITEM_IDS, "IOPCBrowseServerSpaceAddress::BrowseOPCItemIDs", 280, 112, {}, {}};
  addBrowsePosition(dialog.controls, 208);
  dialog.controls.insert(dialog.controls.end(),
                         {label("Browse Filter Type", {7, 44, 85, 8}),
                          comboBox(IDC_BROWSE_FILTER_TYPE, {95, 42, 120, 60}, kDropDownList),
                          label("Filter Criteria", {7, 61, 85, 8}),
                          edit(IDC_FILTER_CRITERIA, {95, 59, 120, 12}, kField),
                          label("Access Rights Filter", {7, 78, 85, 8}),
                          comboBox(IDC_ACCESS_RIGHTS_FILTER, {95, 76, 120, 60}, kDropDownList),
                          label("Data Type Filter", {7, 95, 85, 8}),
                          comboBox(IDC_DATA_TYPE_FILTER, {95, 93, 120, 140}, kDropDownList)});
  return withButtons(std::move(dialog));
}

gui::DialogTemplate changeBrowsePosition() {
  gui::DialogTemplate dialog{IDD_CHANGE_BROWSE_POSITION,
                             "IOPCBrowseServerSpaceAddress::ChangeBrowsePosition", 280, 98, {}, {}};
  addBrowsePosition(dialog.controls, 208);
  dialog.controls.insert(dialog.controls.end(),
                         {groupBox("Browse Direction", {7, 42, 70, 50}),
                          radio(IDC_BROWSE_UP, "UP", {15, 53, 50, 10}, gui::kTabStop | gui::kGroup),
                          radio(IDC_BROWSE_DOWN, "DOWN", {15, 65, 50, 10}),
                          radio(IDC_BROWSE_TO, "TO", {15, 77, 50, 10}),
                          label("Branch to move into", {87, 50, 120, 8}),
                          edit(IDC_BRANCH, {87, 62, 128, 12}, kField | gui::kGroup)});
  return withButtons(std::move(dialog));
}

gui::DialogTemplate persistFile() {
  return withButtons(
      {IDD_PERSIST_FILE,
       "IPersistFile::",
       300,
       62,
       {},
       {label("File Name", {7, 9, 100, 8}),
        edit(IDC_FILE_NAME, {7, 21, 230, 12}, kField),
        checkBox(IDC_REMEMBER, "Change the logically asscociated filename for this configuration.",
                 {7, 41, 230, 10}, gui::kTabStop | gui::kHidden),
        label(IDC_ACCESS_MODE_NOTE, "The default storage access mode is used (Zero Value).", {7, 42, 230, 8},
              gui::kHidden)}});
}

gui::DialogTemplate localeParam() {
  return withButtons({IDD_LOCALE_PARAM,
                      "IOPCCommon::SetLocaleID",
                      240,
                      48,
                      {},
                      {label("Specify the new defaul Locale ID", {7, 9, 170, 8}),
                       comboBox(IDC_LOCALE, {7, 21, 170, 90}, kDropDownList)}});
}

gui::DialogTemplate addItems() {
  gui::DialogTemplate dialog{IDD_ADD_ITEMS, "IOPCItemMgt::AddItems", 300, 162, {}, {}};
  addBrowsePosition(dialog.controls, 228);
  dialog.controls.insert(dialog.controls.end(),
                         {label("Item ID", {7, 44, 70, 8}),
                          comboBox(IDC_ITEM_ID, {80, 42, 155, 140}, kEditableDropDown | gui::kSort),
                          label("Access Path", {7, 61, 70, 8}),
                          edit(IDC_ACCESS_PATH, {80, 59, 155, 12}, kField),
                          groupBox("Create Item", {7, 75, 148, 26}),
                          radio(IDC_ACTIVE, "Active", {15, 87, 55, 10}, gui::kTabStop | gui::kGroup),
                          radio(IDC_INACTIVE, "Inactive", {80, 87, 55, 10}),
                          label("Provided Handle", {7, 111, 70, 8}),
                          edit(IDC_PROVIDED_HANDLE, {80, 109, 60, 12}, kField | gui::kGroup),
                          groupBox("Other Parameters", {7, 126, 228, 30}),
                          label("Blob Size", {15, 137, 75, 8}),
                          label(":  0", {95, 137, 100, 8}),
                          label("Requested Data Type", {15, 146, 75, 8}),
                          label(":  VT_EMPTY", {95, 146, 100, 8})});
  return withButtons(std::move(dialog));
}

gui::DialogTemplate validateItem() {
  return withButtons({IDD_VALIDATE_ITEM,
                      "IOPCItemMgt::ValidateItems",
                      300,
                      122,
                      {},
                      {label("Item ID", {7, 9, 80, 8}),
                       edit(IDC_ITEM_ID, {90, 7, 145, 12}, kField),
                       label("Access Path", {7, 26, 80, 8}),
                       edit(IDC_ACCESS_PATH, {90, 24, 145, 12}, kField),
                       label("Requested Data Type", {7, 43, 80, 8}),
                       comboBox(IDC_REQUESTED_DATA_TYPE, {90, 41, 145, 140}, kEditableDropDown),
                       checkBox(IDC_RETURN_BLOB, "Server should return Blob", {7, 60, 150, 10}),
                       groupBox("Other Parameters", {7, 78, 228, 34}),
                       label("Blob Size", {15, 89, 75, 8}),
                       label(": 0", {95, 89, 100, 8}),
                       label("Blob", {15, 99, 75, 8}),
                       label(": NULL", {95, 99, 100, 8})}});
}

gui::DialogTemplate groupState() {
  return withButtons({IDD_GROUP_STATE,
                      "IOPCGroupStateMgt::SetState",
                      280,
                      142,
                      {},
                      {label("Requested Update Rate", {7, 9, 90, 8}),
                       edit(IDC_UPDATE_RATE, {100, 7, 70, 12}, kField),
                       label("Provided Client Handle", {7, 26, 90, 8}),
                       edit(IDC_PROVIDED_HANDLE, {100, 24, 70, 12}, kField),
                       label("TimeZone Bias", {7, 43, 90, 8}),
                       edit(IDC_TIME_BIAS, {100, 41, 70, 12}, kField),
                       label("Percent Deadband", {7, 60, 90, 8}),
                       edit(IDC_PERCENT_DEADBAND, {100, 58, 70, 12}, kField),
                       groupBox("Group State", {7, 75, 163, 26}),
                       radio(IDC_ACTIVE, "Active", {15, 87, 60, 10}, gui::kTabStop | gui::kGroup),
                       radio(IDC_INACTIVE, "Inactive", {85, 87, 60, 10}),
                       label("The locale to be used", {7, 111, 90, 8}),
                       comboBox(IDC_LOCALE, {100, 109, 115, 90}, kDropDownList | gui::kGroup)}});
}

gui::DialogTemplate writeValue() {
  return withButtons({IDD_WRITE_VALUE,
                      "IOPCSyncIO::Write",
                      240,
                      70,
                      {},
                      {label("Value to write", {7, 9, 100, 8}),
                       edit(IDC_VALUE, {7, 21, 170, 12}, kField),
                       label("VARIANT Format", {7, 40, 100, 8}),
                       comboBox(IDC_VARIANT_FORMAT, {7, 52, 170, 140}, kDropDownList)}});
}

}  // namespace

void RegisterParameterDialogTemplates() {
  gui::Resources& resources = gui::Resources::instance();
  for (gui::DialogTemplate dialog :
       {textParam(), numberParam(IDD_NUMBER_PARAM, gui::kTabStop | gui::kHidden, "Must be here as Dummy"),
        numberParam(IDD_NUMBER_PARAM_WITH_CHECK, gui::kTabStop, ""), choiceParam(), itemId(), addGroup(),
        groupByName(), serverErrorString(), groupEnumScope(), removeGroup(), browseItemIds(),
        changeBrowsePosition(), persistFile(), localeParam(), addItems(), validateItem(), groupState(),
        writeValue()}) {
    resources.addDialog(std::move(dialog));
  }
}

}  // namespace quillon
