#pragma once

// The one table that turns the C library's errno values into Win32 error
// codes for this layer.

#include "win/types.h"

namespace win {

// fallback is the code for an errno the table does not name, usually the
// operation's own failure code (ERROR_CANTREAD, ERROR_CANTWRITE, ...).
DWORD win32ErrorFromErrno(int error, DWORD fallback);

}  // namespace win
