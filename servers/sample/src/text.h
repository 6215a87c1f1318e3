#pragma once

// UTF-16 text as COM passes it and UTF-8 text as files and the registry
// keep it.

#include <string>
#include <string_view>

#include "win/types.h"

namespace sample {

std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view text);

// The text of a wide string from a client, which may be null.
inline std::u16string_view viewOf(LPCWSTR text) {
  return text == nullptr ? std::u16string_view() : std::u16string_view(text);
}

}  // namespace sample
