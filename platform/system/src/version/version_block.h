#pragma once

// The binary layout of a version resource, built and walked with bounds
// checks. A block is a tree of nodes; each node is
//
//   WORD length (of the node with its children), WORD value length (bytes
//   for binary values, 16-bit units for text), WORD type (0 binary, 1 text),
//   the key in UTF-16 with its terminator, padding to 32 bits, the value,
//   padding to 32 bits, the children.
//
// The root's key is "VS_VERSION_INFO" and its value a VS_FIXEDFILEINFO; its
// children are "StringFileInfo" (string tables named by language and code
// page in eight hex digits, holding the strings) and "VarFileInfo" (holding
// "Translation"). Every offset below is from the start of the block.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "win/types.h"

namespace win::version {

struct StringTable {
  WORD language = 0;
  WORD codePage = 0;
  std::vector<std::pair<std::string, std::string>> strings;  // name, value (UTF-8)
};

struct BlockContents {
  WORD fileVersion[4] = {};     // most significant part first: 2.1.5.7
  WORD productVersion[4] = {};
  std::vector<StringTable> stringTables;
  // (language, code page) pairs; no VarFileInfo at all when empty.
  std::vector<std::pair<WORD, WORD>> translations;
};

std::vector<BYTE> buildBlock(const BlockContents& contents);

struct Node {
  std::size_t offset = 0;
  std::size_t length = 0;       // as the node says, within its parent
  bool text = false;
  std::u16string key;
  std::size_t valueOffset = 0;
  std::size_t valueBytes = 0;   // within the node
  std::size_t childrenOffset = 0;
};

// The node at offset, which must lie within [offset, limit); nullopt when
// the bytes break the layout.
std::optional<Node> readNode(const BYTE* block, std::size_t offset, std::size_t limit);
// The children of a node; nullopt when one of them breaks the layout.
std::optional<std::vector<Node>> readChildren(const BYTE* block, const Node& parent);
// The root of a block of `size` bytes; nullopt for a block that breaks the
// layout anywhere (every node is checked, so later queries cannot fail on a
// bad node).
std::optional<Node> readRoot(const BYTE* block, std::size_t size);

// Finds the node a path names: "\\" (or "") is the root, "\\A\\B" the
// child B of the root's child A, names compared without regard to ASCII
// case. nullopt when there is none.
std::optional<Node> findNode(const BYTE* block, const Node& root, std::string_view path);

// Every text node without children (the strings; valueBytes may be 0).
std::vector<Node> textNodes(const BYTE* block, const Node& root);

}  // namespace win::version
