#pragma once

// The registry export format, the form in which the store lives on disk and
// in which keys are imported and exported:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CLASSES_ROOT\Pelkor.DataSample]
//   @="Pelkor Data Sample Server"
//   "Name"="C:\\path with \"quotes\""
//
//   [-HKEY_CLASSES_ROOT\Obsolete.Key]
//
// Strings escape "\" and the double quote with a backslash. A string that
// holds a line break cannot be written on one line; it is written as
// hex(1): (the string's UTF-16LE bytes), as the format does for any string.
// "name"=- and @=- delete a value, [-KEY] deletes a key with its subtree.
// Lines starting with ";" are comments. Input may be UTF-8 (with or without
// a byte-order mark) or UTF-16 with a byte-order mark, with LF or CRLF line
// ends; REGEDIT4 files are read as well.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "registry/key_tree.h"

namespace win::registry {

// A line that could not be read, and why. Lines are counted from 1.
struct TextProblem {
  std::size_t line;
  std::string message;
};

// Applies the sections of text to root in file order, as an import does:
// keys are created, values set or deleted, [-KEY] sections remove subtrees.
// Every line that cannot be read is reported and skipped; the rest applies.
std::vector<TextProblem> applyRegText(std::string_view text, RegistryKey& root);

// Writes key (found at path) and its whole subtree as a complete file,
// header included, subkeys in their sorted order. The root's own section is
// written only when it holds values.
std::string writeRegText(const RegistryKey& key, const KeyPath& path);

inline constexpr std::string_view kRegHeader = "Windows Registry Editor Version 5.00";
inline constexpr std::string_view kRootName = "HKEY_CLASSES_ROOT";

}  // namespace win::registry
