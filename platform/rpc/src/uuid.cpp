#include "rpc/uuid.h"

#include <algorithm>

namespace rpc {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Position of each text byte pair in the wire order: the first three fields
// are stored little-endian.
constexpr std::array<int, 16> kWireIndex = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};

Uuid fromText(const char* text) { return *Uuid::parse(text); }

}  // namespace

std::optional<Uuid> Uuid::parse(std::string_view text) {
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  if (text.size() != 36) return std::nullopt;
  Uuid uuid;
  int byte = 0;
  for (size_t i = 0; i < text.size();) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (text[i] != '-') return std::nullopt;
      ++i;
      continue;
    }
    int high = hexValue(text[i]);
    int low = hexValue(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    uuid.bytes[kWireIndex[byte++]] = static_cast<uint8_t>(high * 16 + low);
    i += 2;
  }
  return uuid;
}

std::string Uuid::toString() const {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(36);
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text.push_back('-');
    uint8_t value = bytes[kWireIndex[i]];
    text.push_back(kDigits[value >> 4]);
    text.push_back(kDigits[value & 15]);
  }
  return text;
}

bool Uuid::isNil() const {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

const SyntaxId& ndr20Syntax() {
  static const SyntaxId syntax{fromText("8a885d04-1ceb-11c9-9fe8-08002b104860"), 2, 0};
  return syntax;
}

const SyntaxId& ndr64Syntax() {
  static const SyntaxId syntax{fromText("71710533-beba-4937-8319-b5dbef9ccc36"), 1, 0};
  return syntax;
}

bool isBindTimeFeatureSyntax(const SyntaxId& syntax) {
  static const Uuid prefix = fromText("6cb71c2c-9812-4540-0000-000000000000");
  return std::equal(prefix.bytes.begin(), prefix.bytes.begin() + 8, syntax.uuid.bytes.begin());
}

}  // namespace rpc
