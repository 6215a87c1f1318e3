#pragma once

// Conversion between 8-bit text in a code page and UTF-16. The process code
// page (CP_ACP) is UTF-8.

#include "win/export.h"
#include "win/lasterror.h"
#include "win/types.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_ERR_INVALID_CHARS 0x00000080

extern "C" {
// Both return the number of units written (or needed when the output size is
// 0), counting the terminator when the input length is -1. They return 0 and
// set ERROR_NO_UNICODE_TRANSLATION on invalid input when the flag asks for it
// (invalid sequences become U+FFFD otherwise), ERROR_INSUFFICIENT_BUFFER when
// the output is too small, ERROR_INVALID_PARAMETER for a bad code page.
WIN_API int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide,
                                int wideSize);
WIN_API int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int length, LPSTR text,
                                int textSize, LPCSTR defaultChar, BOOL* usedDefaultChar);
}
