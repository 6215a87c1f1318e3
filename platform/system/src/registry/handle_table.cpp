#include "registry/handle_table.h"

#include <mutex>
#include <unordered_map>

namespace win::registry {

namespace {

// Handles are multiples of 4 from 0x1000 up, like the platform's, and far
// below the predefined keys at 0x80000000.
constexpr ULONG_PTR kFirstHandle = 0x1000;
constexpr ULONG_PTR kHandleStep = 4;

struct HandleTable {
  std::mutex mutex;
  ULONG_PTR next = kFirstHandle;                    // guarded by mutex
  std::unordered_map<ULONG_PTR, OpenKey> open;      // guarded by mutex
};

// Never destroyed, like the store cache: keys may be closed from static
// destructors at exit.
HandleTable& table() {
  static HandleTable* instance = new HandleTable;
  return *instance;
}

ULONG_PTR handleValue(HKEY handle) { return reinterpret_cast<ULONG_PTR>(handle); }

}  // namespace

HKEY addHandle(OpenKey key) {
  HandleTable& handles = table();
  std::lock_guard lock(handles.mutex);
  // Reaching the predefined range would take half a billion opens; start
  // again at the bottom then, skipping handles that are still open.
  ULONG_PTR value;
  do {
    value = handles.next;
    handles.next = value + kHandleStep >= 0x80000000u ? kFirstHandle : value + kHandleStep;
  } while (handles.open.count(value) != 0);
  handles.open.emplace(value, std::move(key));
  return reinterpret_cast<HKEY>(value);
}

std::optional<OpenKey> findHandle(HKEY handle) {
  if (handle == HKEY_CLASSES_ROOT) return OpenKey{{}, KEY_ALL_ACCESS};
  HandleTable& handles = table();
  std::lock_guard lock(handles.mutex);
  auto it = handles.open.find(handleValue(handle));
  if (it == handles.open.end()) return std::nullopt;
  return it->second;
}

bool closeHandle(HKEY handle) {
  HandleTable& handles = table();
  std::lock_guard lock(handles.mutex);
  return handles.open.erase(handleValue(handle)) == 1;
}

}  // namespace win::registry
