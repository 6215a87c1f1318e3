#pragma once
// The UTF-8 / UTF-16 conversions NTLM's Unicode fields need. Invalid input
// becomes U+FFFD rather than an error: names are compared, never trusted.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ntlm::detail {

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);
std::u16string fromUtf16le(std::span<const uint8_t> bytes);
std::vector<uint8_t> utf16le(std::u16string_view text);
// Upper case for the letters NTLM's key derivation meets in user names (ASCII
// and Latin-1); other characters are left as they are.
std::u16string upperCase(std::u16string_view text);
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace ntlm::detail
