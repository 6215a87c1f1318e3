#pragma once

// A window's identity that any thread may hold and post to. Handles are never
// reused, so a message posted to a window that has gone is simply dropped.

#include <cstdint>
#include <functional>

namespace gui {

struct WindowHandle {
  std::uint64_t value = 0;

  explicit operator bool() const { return value != 0; }
  friend bool operator==(WindowHandle a, WindowHandle b) { return a.value == b.value; }
};

}  // namespace gui

template <>
struct std::hash<gui::WindowHandle> {
  std::size_t operator()(gui::WindowHandle handle) const noexcept {
    return std::hash<std::uint64_t>()(handle.value);
  }
};
