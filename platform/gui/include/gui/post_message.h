#pragma once

// Posting to a window known only by its handle. A thread other than the
// user-interface thread keeps a window's handle rather than the window
// object, which the user-interface thread may destroy at any moment; a
// message posted to a window that has gone is refused and the caller can
// free what the message would have carried.

#include "gui/types.h"
#include "gui/window_handle.h"

namespace gui {

// Queues a message for the window; callable from any thread. Messages are
// delivered in the order posted, on the user-interface thread. False when
// the window does not exist (any more).
bool PostMessage(WindowHandle target, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

}  // namespace gui
