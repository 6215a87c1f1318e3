#pragma once

// Files with version resources for tests: a version block in the standard
// layout, and ELF files that carry a given section (or none).

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "win/types.h"
#include "win/version.h"

namespace win::testing {

struct VersionFile {
  WORD fileVersion[4] = {};  // most significant part first
  // (language, code page) pairs of the translation table; none when empty.
  std::vector<std::pair<WORD, WORD>> translations;
  // One string table, named by this language and code page.
  WORD tableLanguage = 0x0409;
  WORD tableCodePage = 0x04B0;
  std::vector<std::pair<std::string, std::string>> strings;
};

std::vector<BYTE> versionBlock(const VersionFile& file);

// Writes a relocatable ELF file with a section-name table and, when given,
// a section named `name` holding `bytes`. False (with a test failure) when
// libelf cannot write it.
bool writeElfFile(const std::string& path, const std::optional<std::vector<BYTE>>& bytes,
                  const char* name = VERSION_RESOURCE_SECTION);

}  // namespace win::testing
