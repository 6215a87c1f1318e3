#pragma once

// Open registry keys. A handle is a number handed out once and never
// reused, so a stale or made-up HKEY is recognised and rejected instead of
// being followed. A handle remembers the key's path, not the key: the store
// may be re-read or rewritten by another process between two calls.

#include <optional>

#include "registry/key_tree.h"
#include "win/registry.h"

namespace win::registry {

struct OpenKey {
  KeyPath path;
  REGSAM access;
};

// Adds an open key and returns its new handle.
HKEY addHandle(OpenKey key);
// The open key behind handle; HKEY_CLASSES_ROOT is always open with every
// right. Nothing for any other value.
std::optional<OpenKey> findHandle(HKEY handle);
// False when handle is not open.
bool closeHandle(HKEY handle);

}  // namespace win::registry
