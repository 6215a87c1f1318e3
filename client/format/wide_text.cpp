#include "format/wide_text.h"

#include "win/stringapi.h"

namespace format {

std::string WideToText(LPCWSTR wide) {
  if (wide == nullptr) return {};
  int length = 0;
  while (wide[length] != 0) ++length;
  return WideToText(wide, length);
}

std::string WideToText(LPCWSTR wide, int length) {
  if (wide == nullptr || length <= 0) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string text(static_cast<size_t>(size), '\0');
  // A string the server broke off inside a surrogate pair still converts:
  // the platform puts a replacement character in its place.
  const int written = WideCharToMultiByte(CP_ACP, 0, wide, length, text.data(), size, nullptr, nullptr);
  text.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return text;
}

}  // namespace format
