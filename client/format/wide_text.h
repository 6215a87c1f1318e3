#pragma once

// Wide (UTF-16) strings from a server or from OLE Automation as the client's
// 8-bit text in the process code page.

#include <string>

#include "win/types.h"

namespace format {

// The text of a terminated wide string; a null string reads as empty.
std::string WideToText(LPCWSTR wide);

// The text of `length` wide characters, which need no terminator.
std::string WideToText(LPCWSTR wide, int length);

}  // namespace format
