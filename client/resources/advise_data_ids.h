#pragma once

// Template and control ids of the data-advise dialog, which shows the latest
// data-change callback of one item.

#include "gui/ids.h"

namespace quillon {

constexpr UINT IDD_ADVISE_DATA = 146;

// The latest data: time stamp, quality and value lines.
constexpr int IDC_ADVISE_DATA_LIST = 1049;
// The group's percent deadband, with its label; both hidden for items that
// are not analog.
constexpr int IDC_ADVISE_PERCENT_DEADBAND = 1052;
constexpr int IDC_ADVISE_PERCENT_DEADBAND_LABEL = 1054;
// How many callbacks carried the item.
constexpr int IDC_ADVISE_CALLBACK_COUNT = 1053;

// The command the callbacks post to the dialog to have it redraw.
constexpr UINT ID_ADVISE_DISPLAY_REQUEST = 101;

}  // namespace quillon
