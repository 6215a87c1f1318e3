#pragma once

// The calling thread's last Win32 error, set by the functions that document
// it.

#include "win/export.h"
#include "win/types.h"

extern "C" {
WIN_API DWORD GetLastError();
WIN_API void SetLastError(DWORD error);
}
