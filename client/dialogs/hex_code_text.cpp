#include "dialogs/hex_code_text.h"

#include <cctype>

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ReadHexCode(const std::string& text, DWORD& code) {
  code = 0;
  std::size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  // "0x" counts as a prefix only when a digit follows; otherwise the "0" is the number.
  if (at + 2 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
      hexDigit(text[at + 2]) >= 0) {
    at += 2;
  }
  if (at >= text.size() || hexDigit(text[at]) < 0) return false;
  unsigned long long value = 0;
  for (; at < text.size() && hexDigit(text[at]) >= 0; ++at) {
    value = value * 16 + static_cast<unsigned>(hexDigit(text[at]));
    if (value > 0xFFFFFFFFull) return false;
  }
  code = static_cast<DWORD>(value);
  return true;
}
