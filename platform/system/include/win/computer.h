#pragma once

// The computer's name as the original platform gives it: the host name's
// first label in upper case, cut to MAX_COMPUTERNAME_LENGTH characters, so
// a buffer of MAX_COMPUTERNAME_LENGTH + 1 always holds it (for a name with
// non-ASCII letters the cut counts UTF-8 bytes, never splitting a letter,
// so the 8-bit buffer still fits). "LOCALHOST" when the host has no name.
// The name comes from the kernel's host name; no name service is asked.

#include "win/export.h"
#include "win/types.h"

#define MAX_COMPUTERNAME_LENGTH 15

extern "C" {
// *size is the buffer's size in characters on entry. On success it is the
// name's length without the terminator. When the buffer is smaller than
// the name and its terminator, the call fails with ERROR_BUFFER_OVERFLOW
// and *size is the size needed, terminator included. A null size, or a
// null buffer that would be large enough, is ERROR_INVALID_PARAMETER.
WIN_API BOOL GetComputerNameA(LPSTR buffer, LPDWORD size);
WIN_API BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size);
}
