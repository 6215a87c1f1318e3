#pragma once

// The open modal windows, innermost last. The innermost one that has not yet
// been ended is the program's "last active pop-up": a handler that must close
// every open dialog (a server shutting down, say) cancels that one and asks
// again until only the main window is left. User-interface thread only.

#include <vector>

namespace gui {

class Window;

class ModalStack {
 public:
  static ModalStack& instance();

  void push(Window* window);
  void remove(Window* window);

  // The innermost open modal window that is still running, or nullptr.
  Window* innermost() const;
  bool contains(const Window* window) const;
  int size() const { return static_cast<int>(windows_.size()); }
  // Outermost first.
  const std::vector<Window*>& windows() const { return windows_; }

 private:
  std::vector<Window*> windows_;
};

}  // namespace gui
