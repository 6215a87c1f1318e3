#pragma once

// The file behind the registry, and import and export of keys in the
// registry export format (see registry.h for the keys themselves).
//
// Where it lives: the file named by the environment variable
// VELMORA_REGISTRY when it is set and not empty; otherwise
// $XDG_CONFIG_HOME/Velmora/registry.reg, or ~/.config/Velmora/registry.reg
// when XDG_CONFIG_HOME is unset or not an absolute path. The path is looked
// up again at every call, so setenv points a process at another store.
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

// The store's path by the rules above; empty when there is no home folder.
WIN_API std::string registryStorePath();

// Merges registry text into the store as the platform's import does: keys
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

// Lists the lines of the store that could not be read; none for a sound or
// missing store.
WIN_API LONG checkRegistryStore(std::vector<RegistryProblem>& problems);

}  // namespace win
