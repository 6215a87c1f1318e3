#pragma once

// Small helpers for reading typed text: blanks and case-insensitive words.

#include <string_view>

namespace com::automation {

// The blanks that may surround a number or a date.
bool isBlank(char16_t c);
std::u16string_view trimBlanks(std::u16string_view text);

// Compares ignoring the case of ASCII letters; other characters must match.
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace com::automation
