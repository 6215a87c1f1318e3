#include "gui/modal_stack.h"

#include <algorithm>

#include "gui/window.h"

namespace gui {

ModalStack& ModalStack::instance() {
  static ModalStack stack;
  return stack;
}

void ModalStack::push(Window* window) { windows_.push_back(window); }

void ModalStack::remove(Window* window) {
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
}

Window* ModalStack::innermost() const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if (!(*it)->modalEnded()) return *it;
  }
  return nullptr;
}

bool ModalStack::contains(const Window* window) const {
  return std::find(windows_.begin(), windows_.end(), window) != windows_.end();
}

}  // namespace gui
