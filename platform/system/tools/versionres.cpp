// versionres: writes a C++ source file that puts a version block into the
// version section of the program it is linked into.
//
//   versionres OUTPUT --file-version A.B.C.D [--product-version A.B.C.D]
//              [--translation LANG:CODEPAGE] [--string NAME=VALUE]...
//
// LANG and CODEPAGE are hexadecimal (0409:04B0). The strings form one table
// under the first translation. Exit status: 0 success, 1 failure, 2 wrong
// usage.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "version/version_block.h"
#include "win/version.h"

namespace {

bool parseVersion(const std::string& text, WORD (&parts)[4]) {
  unsigned values[4] = {};
  char rest = 0;
  const int read = std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &values[0], &values[1], &values[2], &values[3], &rest);
  if (read != 4) return false;
  for (int i = 0; i < 4; ++i) {
    if (values[i] > 0xFFFF) return false;
    parts[i] = static_cast<WORD>(values[i]);
  }
  return true;
}

int usage() {
  std::cerr << "usage: versionres OUTPUT --file-version A.B.C.D [--product-version A.B.C.D]\n"
               "                  [--translation LANG:CODEPAGE] [--string NAME=VALUE]...\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string output = argv[1];
  win::version::BlockContents contents;
  win::version::StringTable table{0x0409, 0x04B0, {}};
  bool haveFileVersion = false;
  bool haveProductVersion = false;
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return usage();
    const std::string value = argv[++i];
    if (option == "--file-version") {
      if (!parseVersion(value, contents.fileVersion)) return usage();
      haveFileVersion = true;
    } else if (option == "--product-version") {
      if (!parseVersion(value, contents.productVersion)) return usage();
      haveProductVersion = true;
    } else if (option == "--translation") {
      unsigned language = 0;
      unsigned codePage = 0;
      if (std::sscanf(value.c_str(), "%x:%x", &language, &codePage) != 2 || language > 0xFFFF ||
          codePage > 0xFFFF) {
        return usage();
      }
      contents.translations.emplace_back(static_cast<WORD>(language), static_cast<WORD>(codePage));
    } else if (option == "--string") {
      const std::size_t equals = value.find('=');
      if (equals == std::string::npos || equals == 0) return usage();
      table.strings.emplace_back(value.substr(0, equals), value.substr(equals + 1));
    } else {
      return usage();
    }
  }
  if (!haveFileVersion) return usage();
  if (!haveProductVersion) std::copy(contents.fileVersion, contents.fileVersion + 4, contents.productVersion);
  if (!contents.translations.empty()) {
    table.language = contents.translations.front().first;
    table.codePage = contents.translations.front().second;
  }
  if (!table.strings.empty()) contents.stringTables.push_back(table);

  const std::vector<BYTE> block = win::version::buildBlock(contents);
  std::ofstream out(output, std::ios::trunc);
  out << "// Written by versionres at build time from the project's version; do not edit.\n\n"
         "#include \"win/version.h\"\n\n"
         "// Nothing refers to the block: it is read from the file, so it must be\n"
         "// kept although unused.\n"
         "__attribute__((section(VERSION_RESOURCE_SECTION), used, aligned(4)))\n"
         "extern const unsigned char kVersionResource[] = {";
  for (std::size_t i = 0; i < block.size(); ++i) {
    out << (i % 16 == 0 ? "\n    " : " ") << static_cast<unsigned>(block[i]) << ',';
  }
  out << "\n};\n";
  out.close();
  if (!out) {
    std::cerr << "versionres: cannot write " << output << "\n";
    return 1;
  }
  return 0;
}
