#pragma once

// Command, string and indicator ids that the framework itself defines and
// handles. A program's resource tables use them beside its own ids.

#include "gui/types.h"

namespace gui {

// Commands with a built-in handler in the frame window or the application.
constexpr UINT ID_APP_ABOUT = 57664;  // the application decides what About shows
constexpr UINT ID_APP_EXIT = 57665;   // closes the main window
constexpr UINT ID_NEXT_PANE = 57680;  // activates the next pane of the frame
constexpr UINT ID_PREV_PANE = 57681;  // activates the previous pane of the frame
constexpr UINT ID_VIEW_TOOLBAR = 59392;
constexpr UINT ID_VIEW_STATUS_BAR = 59393;

// Status bar: the message pane, the idle prompt and the keyboard lock indicators.
constexpr UINT ID_SEPARATOR = 0;
constexpr UINT IDS_IDLE_MESSAGE = 57345;
constexpr UINT ID_INDICATOR_CAPS = 59137;
constexpr UINT ID_INDICATOR_NUM = 59138;
constexpr UINT ID_INDICATOR_SCRL = 59139;

// Prompts of the standard data-exchange checks (see gui/data_exchange.h).
constexpr UINT IDP_PARSE_INT = 0xF110;
constexpr UINT IDP_PARSE_REAL = 0xF111;
constexpr UINT IDP_PARSE_INT_RANGE = 0xF112;
constexpr UINT IDP_PARSE_REAL_RANGE = 0xF113;
constexpr UINT IDP_PARSE_STRING_SIZE = 0xF114;
constexpr UINT IDP_PARSE_RADIO_BUTTON = 0xF115;
constexpr UINT IDP_PARSE_BYTE = 0xF116;
constexpr UINT IDP_PARSE_UINT = 0xF117;
constexpr UINT IDP_FAILED_MEMORY_ALLOC = 0xF12D;

}  // namespace gui
