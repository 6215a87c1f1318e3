#pragma once

// Resource ids of the demo program.

#include "gui/ids.h"

namespace demo {

constexpr UINT IDR_MAINFRAME = 128;
constexpr UINT IDB_TOOLBAR = 128;
constexpr UINT IDB_LAMP_FAILED = 131;
constexpr UINT IDB_LAMP_MASK = 133;
constexpr UINT IDB_LAMP_RUNNING = 134;
constexpr UINT IDB_LAMP_ATTENTION = 135;
constexpr UINT IDB_DETAILS = 146;
constexpr UINT IDB_LAMP_OFF = 151;
constexpr UINT IDB_TREE = 153;

constexpr UINT IDD_ABOUT = 102;
constexpr UINT IDD_CONNECT = 152;
constexpr UINT IDD_RESULT = 2002;

constexpr UINT ID_CONNECT = 32771;
constexpr UINT ID_DISCONNECT = 32772;
constexpr UINT ID_REFRESH = 32798;
constexpr UINT ID_STATUS_PANE = 57346;
constexpr UINT ID_GET_STATUS = 32775;

void registerDemoResources();

}  // namespace demo
