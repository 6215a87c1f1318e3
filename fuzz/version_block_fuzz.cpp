// fuzz_version_block: any bytes in a file's version section must be walked
// without reading outside them; a block that passes the check must answer
// every query from within itself.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "version/version_block.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size copy, so that AddressSanitizer sees a read past the end.
  const std::vector<BYTE> block(data, data + size);
  const auto root = win::version::readRoot(block.data(), block.size());
  if (!root) return 0;
  for (const char* path : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904b0\\FileDescription",
                           "\\StringFileInfo\\040904B0", "\\\\x\\"}) {
    if (const auto node = win::version::findNode(block.data(), *root, path)) {
      if (node->valueOffset + node->valueBytes > block.size()) __builtin_trap();
    }
  }
  for (const auto& node : win::version::textNodes(block.data(), *root)) {
    if (node.valueOffset + node.valueBytes > node.offset + node.length) __builtin_trap();
  }
  return 0;
}
