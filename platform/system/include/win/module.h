#pragma once

// The file a module was loaded from.

#include "win/export.h"
#include "win/types.h"

extern "C" {
// module null: the program's own executable. Copies the full path; a path
// longer than size - 1 characters is cut, terminated, and the call returns
// size with ERROR_INSUFFICIENT_BUFFER. Otherwise returns the path's length.
// Other modules are not known: 0 with ERROR_MOD_NOT_FOUND.
WIN_API DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
}
