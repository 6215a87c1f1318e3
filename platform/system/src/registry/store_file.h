#pragma once

// The process's view of the registry file. Every call finds the file by the
// path rules (see win/registry_store.h) and checks with one stat whether the
// version it parsed last is still current; only a new version is read and
// parsed again. Writers serialise on a lock file beside the store, re-read
// the current version under the lock, and replace the file atomically.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "registry/key_tree.h"
#include "registry/reg_text.h"
#include "win/types.h"

namespace win::registry {

// One parsed version of the store file. Problems lists the lines that could
// not be read; a store with problems is read but never written, so nothing
// the reader could not understand is lost by a rewrite.
struct StoreSnapshot {
  RegistryKey root;
  std::vector<TextProblem> problems;
};

// The path of the store file, empty when no home folder can be found.
std::string storePath();

// The current version of the store; a missing file is an empty registry.
// Returns ERROR_SUCCESS or the Win32 error of the failed read.
DWORD readStore(std::shared_ptr<const StoreSnapshot>& snapshot);

// Applies change to a copy of the current version under the writers' lock
// and writes the result when change returns ERROR_SUCCESS with changed set.
// A store with problems is refused with ERROR_REGISTRY_CORRUPT.
using StoreChange = std::function<DWORD(RegistryKey& root, bool& changed)>;
DWORD modifyStore(const StoreChange& change);

}  // namespace win::registry
