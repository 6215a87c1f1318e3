#include "version/version_block.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "common/utf.h"

namespace win::version {
namespace {

constexpr std::size_t kHeaderBytes = 6;
constexpr std::size_t align4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

WORD readWord(const BYTE* block, std::size_t offset) {
  return static_cast<WORD>(block[offset] | (block[offset + 1] << 8));
}

// Writes nodes; each node's length is filled in once its children are done.
class Writer {
 public:
  std::size_t begin(std::u16string_view key, WORD valueLength, bool text) {
    pad();
    const std::size_t start = bytes_.size();
    word(0);
    word(valueLength);
    word(text ? 1 : 0);
    for (char16_t c : key) word(c);
    word(0);
    pad();
    return start;
  }
  void end(std::size_t start) {
    const std::size_t length = bytes_.size() - start;
    bytes_[start] = static_cast<BYTE>(length & 0xFF);
    bytes_[start + 1] = static_cast<BYTE>(length >> 8);
  }
  void word(WORD w) {
    bytes_.push_back(static_cast<BYTE>(w & 0xFF));
    bytes_.push_back(static_cast<BYTE>(w >> 8));
  }
  void dword(DWORD d) {
    word(static_cast<WORD>(d & 0xFFFF));
    word(static_cast<WORD>(d >> 16));
  }
  void pad() {
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
  }
  std::vector<BYTE> take() { return std::move(bytes_); }

 private:
  std::vector<BYTE> bytes_;
};

std::u16string hexKey(WORD language, WORD codePage) {
  char text[9];
  std::snprintf(text, sizeof text, "%04X%04X", language, codePage);
  return utf8ToUtf16(text);
}

bool sameName(std::u16string_view key, std::string_view name) {
  if (key.size() != name.size()) return false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    char16_t a = key[i];
    char16_t b = static_cast<unsigned char>(name[i]);
    if (a >= u'a' && a <= u'z') a = static_cast<char16_t>(a - 32);
    if (b >= u'a' && b <= u'z') b = static_cast<char16_t>(b - 32);
    if (a != b) return false;
  }
  return true;
}

bool checkTree(const BYTE* block, const Node& node, int depth) {
  // Real blocks are four levels deep; a deeper one is not a version resource
  // and would only cost stack.
  if (depth > 8) return false;
  const auto children = readChildren(block, node);
  if (!children) return false;
  for (const Node& child : *children) {
    if (!checkTree(block, child, depth + 1)) return false;
  }
  return true;
}

}  // namespace

std::vector<BYTE> buildBlock(const BlockContents& contents) {
  Writer w;
  const std::size_t root = w.begin(u"VS_VERSION_INFO", sizeof(DWORD) * 13, false);
  const auto ms = [](const WORD v[4]) { return static_cast<DWORD>(v[0]) << 16 | v[1]; };
  const auto ls = [](const WORD v[4]) { return static_cast<DWORD>(v[2]) << 16 | v[3]; };
  for (DWORD d : {0xFEEF04BDu, 0x00010000u, ms(contents.fileVersion), ls(contents.fileVersion),
                  ms(contents.productVersion), ls(contents.productVersion), 0x3Fu, 0u, 0x4u, 0x1u, 0u, 0u, 0u}) {
    w.dword(d);
  }
  if (!contents.stringTables.empty()) {
    const std::size_t info = w.begin(u"StringFileInfo", 0, true);
    for (const StringTable& table : contents.stringTables) {
      const std::size_t tableStart = w.begin(hexKey(table.language, table.codePage), 0, true);
      for (const auto& [name, value] : table.strings) {
        const std::u16string wide = utf8ToUtf16(value);
        const std::size_t entry = w.begin(utf8ToUtf16(name), static_cast<WORD>(wide.size() + 1), true);
        for (char16_t c : wide) w.word(c);
        w.word(0);
        w.end(entry);
      }
      w.end(tableStart);
    }
    w.end(info);
  }
  if (!contents.translations.empty()) {
    const std::size_t info = w.begin(u"VarFileInfo", 0, true);
    const std::size_t var =
        w.begin(u"Translation", static_cast<WORD>(contents.translations.size() * sizeof(DWORD)), false);
    for (const auto& [language, codePage] : contents.translations) {
      w.word(language);
      w.word(codePage);
    }
    w.end(var);
    w.end(info);
  }
  w.end(root);
  return w.take();
}

std::optional<Node> readNode(const BYTE* block, std::size_t offset, std::size_t limit) {
  if (offset > limit || limit - offset < kHeaderBytes) return std::nullopt;
  Node node;
  node.offset = offset;
  node.length = readWord(block, offset);
  const WORD valueLength = readWord(block, offset + 2);
  const WORD type = readWord(block, offset + 4);
  if (node.length < kHeaderBytes || node.length > limit - offset || type > 1) return std::nullopt;
  node.text = type == 1;
  const std::size_t end = offset + node.length;
  std::size_t at = offset + kHeaderBytes;
  for (;;) {
    if (end - at < 2) return std::nullopt;  // no terminator within the node
    const WORD c = readWord(block, at);
    at += 2;
    if (c == 0) break;
    node.key.push_back(static_cast<char16_t>(c));
  }
  node.valueOffset = std::min(align4(at), end);
  const std::size_t valueBytes = node.text ? std::size_t{valueLength} * 2 : valueLength;
  if (valueBytes > end - node.valueOffset) return std::nullopt;
  node.valueBytes = valueBytes;
  node.childrenOffset = std::min(align4(node.valueOffset + valueBytes), end);
  return node;
}

std::optional<std::vector<Node>> readChildren(const BYTE* block, const Node& parent) {
  std::vector<Node> children;
  const std::size_t end = parent.offset + parent.length;
  std::size_t at = parent.childrenOffset;
  while (at < end) {
    // Padding after the last child may be counted in the parent's length.
    if (end - at < kHeaderBytes) {
      for (; at < end; ++at) {
        if (block[at] != 0) return std::nullopt;
      }
      break;
    }
    auto child = readNode(block, at, end);
    if (!child) return std::nullopt;
    at = align4(child->offset + child->length);
    children.push_back(std::move(*child));
  }
  return children;
}

std::optional<Node> readRoot(const BYTE* block, std::size_t size) {
  auto root = readNode(block, 0, size);
  if (!root || !sameName(root->key, "VS_VERSION_INFO") || !checkTree(block, *root, 0)) return std::nullopt;
  return root;
}

std::optional<Node> findNode(const BYTE* block, const Node& root, std::string_view path) {
  Node node = root;
  std::size_t at = 0;
  while (at < path.size()) {
    if (path[at] == '\\') {
      ++at;
      continue;
    }
    std::size_t next = path.find('\\', at);
    if (next == std::string_view::npos) next = path.size();
    const std::string_view name = path.substr(at, next - at);
    at = next;
    const auto children = readChildren(block, node);
    if (!children) return std::nullopt;
    bool found = false;
    for (const Node& child : *children) {
      if (sameName(child.key, name)) {
        node = child;
        found = true;
        break;
      }
    }
    if (!found) return std::nullopt;
  }
  return node;
}

std::vector<Node> textNodes(const BYTE* block, const Node& root) {
  std::vector<Node> found;
  std::function<void(const Node&)> walk = [&](const Node& node) {
    const bool leaf = node.childrenOffset >= node.offset + node.length;
    if (node.text && leaf && node.offset != root.offset) found.push_back(node);
    if (leaf) return;
    if (auto children = readChildren(block, node)) {
      for (const Node& child : *children) walk(child);
    }
  };
  walk(root);
  return found;
}

}  // namespace win::version
