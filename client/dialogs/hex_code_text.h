#pragma once

// Reading an error code that the user typed as a hexadecimal number.

#include <string>

#include "win/types.h"

// Reads `text` as a hexadecimal number: blanks before it and a "0x" (or
// "0X") in front are allowed, reading stops at the first character that is
// no hexadecimal digit. Returns false, and leaves `code` at 0, when the text
// does not start with a hexadecimal digit or the number does not fit into
// 32 bits (a code that was cut to its low digits would name another error).
bool ReadHexCode(const std::string& text, DWORD& code);
