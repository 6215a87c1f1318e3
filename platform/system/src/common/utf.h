#pragma once

// UTF-8 and UTF-16 conversion shared by the code-page functions, the
// registry text format and every W entry point.

#include <cstddef>
#include <string>
#include <string_view>

namespace win {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes one UTF-8 sequence at text[i..end); returns false for a malformed
// sequence (overlong forms, surrogates and values above U+10FFFF included).
// Always advances i by at least one byte.
bool decodeUtf8(const unsigned char* text, std::size_t end, std::size_t& i, char32_t& out);
void appendUtf16(std::u16string& wide, char32_t c);
void appendUtf8(std::string& text, char32_t c);

// Lossy conversions: malformed input becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view wide);

}  // namespace win
