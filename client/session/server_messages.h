#pragma once

// The window messages by which a server's shutdown request reaches the main
// window. Both carry in lParam a copy of the reason in 8-bit text on the C
// runtime heap (malloc), or null when the server gave none; the receiver of
// the last message frees it.

#include "gui/types.h"

// The server asks its clients to disconnect: close the open dialogs, then
// disconnect and show the notice. wParam is 0.
constexpr UINT WM_SERVER_SHUTDOWN = gui::WM_USER + 0x1F5;
// Shows the notice once the client has disconnected; wParam and lParam as
// WM_SERVER_SHUTDOWN passed them on.
constexpr UINT WM_SERVER_SHUTDOWN_NOTICE = gui::WM_USER + 0x1F6;

static_assert(WM_SERVER_SHUTDOWN == 0x5F5 && WM_SERVER_SHUTDOWN_NOTICE == 0x5F6);
