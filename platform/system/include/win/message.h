#pragma once

// FormatMessage over the system message table: the texts of the Win32
// errors and HRESULTs that callers of the COM and Windows-services
// stand-ins meet, each ending in "\r\n" as the platform gives them. An
// HRESULT of FACILITY_WIN32 (0x8007xxxx) has the text of its Win32 code.
// Interface-specific codes (FACILITY_ITF) other than the system's own OLE
// and COM ones have no text: only the server that returns them knows it.
//
// The texts are English. Language 0 (any), LANG_NEUTRAL with
// SUBLANG_DEFAULT (0x400, user default) or SUBLANG_SYS_DEFAULT (0x800,
// system default), and every English language identifier find them; any
// other language fails with ERROR_RESOURCE_LANG_NOT_FOUND.
//
// Without FORMAT_MESSAGE_IGNORE_INSERTS the escapes %0 %n %r %t %% %. %!
// and %space are processed, and inserts %1 to %99 (optionally with a
// printf conversion in "!...!": s, S, c, d, i, u, x, X, o with flags,
// width, precision and the lengths h, l, ll, I64) are taken from arguments:
// an array of DWORD_PTR with FORMAT_MESSAGE_ARGUMENT_ARRAY, otherwise a
// va_list. An insert without arguments fails with ERROR_INVALID_PARAMETER.
// FORMAT_MESSAGE_MAX_WIDTH_MASK drops the text's own line breaks; other
// line widths are not applied.
//
// Result: the number of characters stored, terminator excluded; 0 on
// failure with GetLastError: ERROR_MR_MID_NOT_FOUND for a code without
// text, ERROR_INSUFFICIENT_BUFFER when size is too small,
// ERROR_INVALID_PARAMETER for bad arguments. With
// FORMAT_MESSAGE_ALLOCATE_BUFFER, buffer is the address of a pointer that
// receives a block of at least size characters from LocalAlloc, which the
// caller frees with LocalFree.

#include <cstdarg>

#include "win/export.h"
#include "win/localmem.h"
#include "win/locale.h"
#include "win/types.h"

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FF

#define LANG_ENGLISH 0x09
#define SUBLANG_ENGLISH_US 0x01

extern "C" {
WIN_API DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                             DWORD size, va_list* arguments);
WIN_API DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                             DWORD size, va_list* arguments);
}
