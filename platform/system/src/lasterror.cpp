#include "win/lasterror.h"

namespace {
thread_local DWORD lastError = 0;
}

extern "C" {
WIN_API DWORD GetLastError() { return lastError; }
WIN_API void SetLastError(DWORD error) { lastError = error; }
}
