#pragma once

// Shows the wait cursor for as long as the object lives. Nested wait cursors
// are counted; modal windows opened meanwhile show the normal arrow.

namespace gui {

class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

  // Shows the wait cursor again (after something replaced it).
  void Restore();
  // How many wait cursors are alive.
  static int activeCount();
};

}  // namespace gui
