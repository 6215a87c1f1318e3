#pragma once

// The system message table: the text of each Win32 error and HRESULT the
// stand-ins' callers meet.

#include "win/types.h"

namespace win {

// The message for code, without the line break that ends every message;
// null when the table has none. An HRESULT of FACILITY_WIN32 finds the text
// of its Win32 code.
const char* systemMessageText(DWORD code);

}  // namespace win
