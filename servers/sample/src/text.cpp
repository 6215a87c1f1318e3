#include "text.h"

#include <limits>
#include <new>

#include "win/stringapi.h"

namespace sample {

std::string toUtf8(std::u16string_view text) {
  if (text.empty()) return {};
  if (text.size() > static_cast<size_t>(std::numeric_limits<int>::max() / 3)) throw std::bad_alloc();
  const int length = static_cast<int>(text.size());
  std::string result(static_cast<size_t>(length) * 3, '\0');
  const int written =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.data(), static_cast<int>(result.size()),
                          nullptr, nullptr);
  result.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return result;
}

std::u16string fromUtf8(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > static_cast<size_t>(std::numeric_limits<int>::max())) throw std::bad_alloc();
  const int length = static_cast<int>(text.size());
  std::u16string result(text.size(), u'\0');
  const int written =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), length, result.data(), static_cast<int>(result.size()));
  result.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return result;
}

}  // namespace sample
