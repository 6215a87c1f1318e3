#pragma once

// Reading and writing the configuration file so that a crash or a full disk
// in the middle of a save never costs the previous file: the new content
// goes to a temporary file beside it, is flushed to disk and only then
// renamed over the old one, which is atomic. A crash leaves the old file, or
// the new one, never a mixture (at worst a stray "<name>.XXXXXX" temporary).

#include <string>
#include <string_view>

#include "options.h"
#include "win/types.h"

namespace sample {

// The result code of a failed file operation (errno).
HRESULT storageError(int error);

HRESULT readWholeFile(const std::string& path, std::string& content);

// Replaces path with content as described above. hook, when set, is called
// at each stage (tests stop the process there).
HRESULT writeFileSafely(const std::string& path, std::string_view content, void (*hook)(SaveStage) = nullptr);

}  // namespace sample
