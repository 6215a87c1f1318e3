#pragma once

// A tick counter that answers from a list, so that tests reach wraps of the
// counter and zero durations without waiting for them. Installed for the
// life of the object; the last value repeats once the list is used up.

#include <functional>
#include <vector>

#include "workspace/tick_clock.h"

namespace quillon::testing {

class ScriptedTicks {
 public:
  explicit ScriptedTicks(std::vector<DWORD> ticks) {
    values() = std::move(ticks);
    next() = 0;
    previous_ = workspace::SetTickCounter(&read);
  }
  ~ScriptedTicks() {
    workspace::SetTickCounter(previous_);
    readHook() = nullptr;
  }
  ScriptedTicks(const ScriptedTicks&) = delete;
  ScriptedTicks& operator=(const ScriptedTicks&) = delete;

  // How many times the counter was read.
  static size_t reads() { return next(); }
  // Runs at each reading, before the value is handed out.
  static void onRead(std::function<void()> hook) { readHook() = std::move(hook); }

 private:
  static std::vector<DWORD>& values() {
    static std::vector<DWORD> list;
    return list;
  }
  static size_t& next() {
    static size_t index = 0;
    return index;
  }
  static std::function<void()>& readHook() {
    static std::function<void()> hook;
    return hook;
  }
  static DWORD read() {
    if (readHook()) readHook()();
    const std::vector<DWORD>& list = values();
    const size_t index = next()++;
    return list.empty() ? 0 : list[index < list.size() ? index : list.size() - 1];
  }

  workspace::TickCounter previous_;
};

}  // namespace quillon::testing
