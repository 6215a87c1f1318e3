#pragma once

// The process's view of the registry files. There are two stores: the
// per-user store and the machine-wide one (see win/registry_store.h for
// where each lives). Readers see them merged, the user's keys and values
// laid over the machine's; writers change one store, the user's unless the
// process chose the machine-wide one. Every call finds each file by the path
// rules and checks with one stat whether the version it parsed last is still
// current; only a new version is read and parsed again. Writers serialise on
// a lock file beside their store, re-read the current version under the
// lock, and replace the file atomically.

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

enum class StoreKind { User, System };

// The path of one store file; empty when the user store has no home folder
// or when there is no machine-wide store (a build tree without
// VELMORA_SYSTEM_REGISTRY).
std::string storePath(StoreKind kind);

// The store that writes go to; the user's unless a process chose otherwise.
StoreKind writeStore();
void setWriteStore(StoreKind kind);

// The current version of one store; a missing file is an empty registry.
// Returns ERROR_SUCCESS or the Win32 error of the failed read.
DWORD readOneStore(StoreKind kind, std::shared_ptr<const StoreSnapshot>& snapshot);

// The merged view of both stores: the user's keys and values win over the
// machine's. Its problems are those of the store that takes the writes.
DWORD readStore(std::shared_ptr<const StoreSnapshot>& snapshot);

// Applies change to a copy of the current version of the write store under
// its writers' lock and writes the result when change returns ERROR_SUCCESS
// with changed set. A store with problems is refused with
// ERROR_REGISTRY_CORRUPT; a damaged other store does not stop the write.
using StoreChange = std::function<DWORD(RegistryKey& root, bool& changed)>;
DWORD modifyStore(const StoreChange& change);

}  // namespace win::registry
