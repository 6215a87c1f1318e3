#pragma once

// Clipboard formats: the predefined numbers and process-wide registered ones.
// RegisterClipboardFormat hands out one number per name from 0xC000 up; the
// same name (compared without regard to ASCII letter case) always gives the
// same number in the process, from any thread.

#include "com/export.h"
#include "com/wtypes.h"
#include "win/lasterror.h"
#include "win/winerror.h"

#define CF_TEXT 1
#define CF_BITMAP 2
#define CF_METAFILEPICT 3
#define CF_SYLK 4
#define CF_DIF 5
#define CF_TIFF 6
#define CF_OEMTEXT 7
#define CF_DIB 8
#define CF_PALETTE 9
#define CF_PENDATA 10
#define CF_RIFF 11
#define CF_WAVE 12
#define CF_UNICODETEXT 13
#define CF_ENHMETAFILE 14
#define CF_HDROP 15
#define CF_LOCALE 16
#define CF_DIBV5 17

extern "C" {
// The number of the named format; 0 with ERROR_INVALID_PARAMETER for a null
// or empty name, ERROR_NOT_ENOUGH_MEMORY when the 16,384 numbers from 0xC000
// to 0xFFFF are used up.
COM_API UINT RegisterClipboardFormatA(LPCSTR name);
COM_API UINT RegisterClipboardFormatW(LPCWSTR name);
// Copies the registered name of a format (as first registered) and returns
// its length in characters, cut to fit size including the terminator; 0 for
// predefined or unknown formats.
COM_API int GetClipboardFormatNameA(UINT format, LPSTR name, int size);
COM_API int GetClipboardFormatNameW(UINT format, LPWSTR name, int size);
}
