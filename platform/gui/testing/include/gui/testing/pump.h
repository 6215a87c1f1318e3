#pragma once

// Running the event loop in tests without blocking: delivers posted window
// messages, due timers and pending events.

#include <functional>

namespace gui::testing {

void pumpEvents();
// Pumps until `done` holds; false when `timeoutMs` passed first.
bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);

}  // namespace gui::testing
