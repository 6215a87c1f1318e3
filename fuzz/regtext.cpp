// fuzz_regtext: the registry's text format must read any input without
// crashing, and what it writes must read back without problems and settle:
// writing what was read from its own output gives that output again.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "registry/reg_text.h"

using win::registry::applyRegText;
using win::registry::RegistryKey;
using win::registry::writeRegText;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RegistryKey first;
  applyRegText(std::string_view(reinterpret_cast<const char*>(data), size), first);
  const std::string written = writeRegText(first, {});

  RegistryKey second;
  if (!applyRegText(written, second).empty()) __builtin_trap();
  const std::string rewritten = writeRegText(second, {});

  // A string that is not UTF-8 but holds a line break can change once, when
  // it goes through its UTF-16 form; after that the text is stable.
  RegistryKey third;
  if (!applyRegText(rewritten, third).empty()) __builtin_trap();
  if (writeRegText(third, {}) != rewritten) __builtin_trap();
  return 0;
}
