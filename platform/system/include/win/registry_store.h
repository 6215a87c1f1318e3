#pragma once

// The files behind the registry, and import and export of keys in the
// registry export format (see registry.h for the keys themselves).
//
// Two stores make up HKEY_CLASSES_ROOT, as class registrations merge on the
// platform: a machine-wide store that an installation's package writes, and
// the per-user store beneath which it is read. Readers see both at once; on
// a conflict the user's value wins. Every write goes to the user store unless
// the process chose the machine-wide one (setRegistryWriteStore, the tools'
// --system). A key that only the other store has cannot be removed through
// the store taking the writes (ERROR_ACCESS_DENIED); a value set on it is kept
// in the store taking the writes.
//
// Where the user store lives: the file named by the environment variable
// VELMORA_REGISTRY when it is set and not empty; otherwise
// $XDG_CONFIG_HOME/Velmora/registry.reg, or ~/.config/Velmora/registry.reg
// when XDG_CONFIG_HOME is unset or not an absolute path.
//
// Where the machine-wide store lives: the file named by
// VELMORA_SYSTEM_REGISTRY when it is set and not empty; otherwise, for an
// installed copy, velmora/registry.reg in the installation's configuration
// folder (/etc/velmora/registry.reg for a package), found from the
// installed library's own folder so that a staged installation reads its
// own. A build tree has no machine-wide store.
//
// The paths are looked up again at every call, so setenv points a process at
// other stores.
//
// The file is plain text a user may read, edit and import:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CLASSES_ROOT\Pelkor.DataSample]
//   @="Pelkor Data Sample Server"
//
//   [HKEY_CLASSES_ROOT\Pelkor.DataSample\CLSID]
//   @="{...}"
//
// Safety: every write takes an exclusive lock on "<store>.lock" beside the
// store, re-reads the current file, applies its change, writes a new file
// in the same folder, flushes it to disk and renames it over the old one.
// Two processes writing at once therefore never lose each other's changes,
// and a reader, or a writer that dies half-way, leaves the old or the new
// file intact, never a mixture. A store that is a symbolic link is
// rewritten at its target, so the link stays.
//
// A store with lines that cannot be read (a hand edit gone wrong, a value
// type other than a string) is still read: every sound section is there.
// It is never written, though, so the unreadable lines are not lost by a
// rewrite: writes fail with ERROR_REGISTRY_CORRUPT until the file is fixed.
// checkRegistryStore (regtool check) lists the lines. Comments in the store
// are not kept when the registry rewrites it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "win/export.h"
#include "win/types.h"

namespace win {

// A line of a registry file that could not be read; lines count from 1.
struct RegistryProblem {
  std::size_t line;
  std::string message;
};

enum class RegistryStore { User, System };

// A store's path by the rules above; empty when the user store has no home
// folder or there is no machine-wide store.
WIN_API std::string registryStorePath(RegistryStore store = RegistryStore::User);

// The store that this process's writes and checks go to (the user's at start).
WIN_API void setRegistryWriteStore(RegistryStore store);
WIN_API RegistryStore registryWriteStore();

// Which stores hold the key keyPath (a path below HKEY_CLASSES_ROOT).
// ERROR_FILE_NOT_FOUND when neither does.
struct RegistryKeyOrigin {
  bool user = false;
  bool system = false;
};
WIN_API LONG registryKeyOrigin(const char* keyPath, RegistryKeyOrigin& origin);

// Merges registry text into the store taking the writes as the platform's import does: keys
// are created, values set, "name"=- deletes a value and a
// [-HKEY_CLASSES_ROOT\Key] section deletes the key with its subtree. Text
// with unreadable lines is not imported at all (ERROR_INVALID_DATA; the
// lines are listed in problems when it is given).
WIN_API LONG importRegistryText(std::string_view text, std::vector<RegistryProblem>* problems = nullptr);
WIN_API LONG importRegistryFile(const std::string& path,
                                std::vector<RegistryProblem>* problems = nullptr);

// Writes keyPath (a path below HKEY_CLASSES_ROOT; null or "" for all of it)
// with its subtree in the registry export format. ERROR_FILE_NOT_FOUND when
// the key does not exist. The file is replaced atomically.
WIN_API LONG exportRegistryText(const char* keyPath, std::string& text);
WIN_API LONG exportRegistryFile(const std::string& path, const char* keyPath = nullptr);

// Lists the lines of the store taking the writes that could not be read;
// none for a sound or missing store.
WIN_API LONG checkRegistryStore(std::vector<RegistryProblem>& problems);

}  // namespace win
