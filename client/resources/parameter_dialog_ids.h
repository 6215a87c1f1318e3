#pragma once

// Template and control ids of the parameter dialogs, the small modal
// dialogs in which the commands ask for the arguments of one interface
// method. Controls that several dialogs share (the group name, the locale
// list, the browse position) keep one id everywhere, so tests and dialogs
// address them alike.

#include "gui/ids.h"

namespace quillon {

// ---- templates ------------------------------------------------------------------------------
constexpr UINT IDD_BROWSE_ITEM_IDS = 135;
constexpr UINT IDD_WRITE_VALUE = 136;
constexpr UINT IDD_PERSIST_FILE = 138;
constexpr UINT IDD_CHANGE_BROWSE_POSITION = 139;
constexpr UINT IDD_TEXT_PARAM = 140;
constexpr UINT IDD_NUMBER_PARAM = 141;
constexpr UINT IDD_GROUP_STATE = 144;
constexpr UINT IDD_CHOICE_PARAM = 145;
constexpr UINT IDD_NUMBER_PARAM_WITH_CHECK = 148;
constexpr UINT IDD_LOCALE_PARAM = 149;
constexpr UINT IDD_ITEM_ID = 150;
constexpr UINT IDD_VALIDATE_ITEM = 157;
constexpr UINT IDD_GROUP_BY_NAME = 2003;
constexpr UINT IDD_ADD_GROUP = 2004;
constexpr UINT IDD_ADD_ITEMS = 2005;
constexpr UINT IDD_SERVER_ERROR_STRING = 2006;
constexpr UINT IDD_GROUP_ENUM_SCOPE = 2007;
constexpr UINT IDD_REMOVE_GROUP = 2008;

// ---- controls -------------------------------------------------------------------------------
// The label and field of the generic dialogs (text, number, choice).
constexpr int IDC_PARAM_LABEL = 1000;
constexpr int IDC_PARAM_FIELD = 1001;
constexpr int IDC_PARAM_CHECK = 1002;

// Group fields (add group, group by name, remove group, group state).
constexpr int IDC_GROUP_NAME = 1010;
constexpr int IDC_PROVIDED_HANDLE = 1011;
constexpr int IDC_UPDATE_RATE = 1012;
constexpr int IDC_ACTIVE = 1013;  // the "Active" / "Inactive" radio pair
constexpr int IDC_INACTIVE = 1014;
constexpr int IDC_PERCENT_DEADBAND = 1015;
constexpr int IDC_INTERFACE_TYPE = 1016;
constexpr int IDC_GROUP_HANDLE = 1017;
constexpr int IDC_FORCE = 1018;
constexpr int IDC_TIME_BIAS = 1019;
constexpr int IDC_ENUM_SCOPE = 1020;

// Error codes and locales.
constexpr int IDC_ERROR_CODE = 1030;
constexpr int IDC_LOCALE = 1031;

// Address-space browsing.
constexpr int IDC_BROWSE_POSITION = 1040;
constexpr int IDC_BROWSE_FILTER_TYPE = 1041;
constexpr int IDC_FILTER_CRITERIA = 1042;
constexpr int IDC_ACCESS_RIGHTS_FILTER = 1043;
constexpr int IDC_DATA_TYPE_FILTER = 1044;
constexpr int IDC_BROWSE_UP = 1045;  // the "UP" / "DOWN" / "TO" radio group
constexpr int IDC_BROWSE_DOWN = 1046;
constexpr int IDC_BROWSE_TO = 1047;
constexpr int IDC_BRANCH = 1048;

// Persistence.
constexpr int IDC_FILE_NAME = 1050;
constexpr int IDC_REMEMBER = 1051;
constexpr int IDC_ACCESS_MODE_NOTE = 1052;

// Items.
constexpr int IDC_ITEM_ID = 1060;
constexpr int IDC_ACCESS_PATH = 1061;
constexpr int IDC_REQUESTED_DATA_TYPE = 1062;
constexpr int IDC_RETURN_BLOB = 1063;
constexpr int IDC_VALUE = 1064;
constexpr int IDC_VARIANT_FORMAT = 1065;

}  // namespace quillon
