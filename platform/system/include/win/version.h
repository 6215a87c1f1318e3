#pragma once

// Version resources: a block in the standard binary layout of a version
// resource (VS_VERSIONINFO with its fixed file information, string tables
// and translation table), which a program carries in an ELF section of its
// own, VERSION_RESOURCE_SECTION.
//
// GetFileVersionInfoSizeA gives the size of the buffer that
// GetFileVersionInfoA fills for a file; VerQueryValueA then finds a value in
// that buffer by its path: "\\" for the VS_FIXEDFILEINFO,
// "\\VarFileInfo\\Translation" for the translation table (pairs of 16-bit
// language and code page), "\\StringFileInfo\\<lang><codepage>\\<Name>" for
// a string (8-bit, UTF-8; its length counts the terminator). Names compare
// case-insensitively, so "040904b0" finds a table stored as "040904B0".
//
// A readable ELF file without the section has no version resource: size 0
// and GetLastError() == ERROR_SUCCESS. A file that cannot be opened gives 0
// with ERROR_FILE_NOT_FOUND (or ERROR_ACCESS_DENIED), a file that is no ELF
// file ERROR_BAD_EXE_FORMAT, a block that breaks the layout
// ERROR_INVALID_DATA.

#include "win/export.h"
#include "win/types.h"

#define VERSION_RESOURCE_SECTION ".version_resource"

#define VS_FFI_SIGNATURE 0xFEEF04BDu
#define VS_FFI_STRUCVERSION 0x00010000u
#define VS_FFI_FILEFLAGSMASK 0x0000003Fu
#define VOS__WINDOWS32 0x00000004u
#define VFT_APP 0x00000001u

struct VS_FIXEDFILEINFO {
  DWORD dwSignature;
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};

using PUINT = UINT*;

extern "C" {
// handle receives 0 (kept for the call's signature); it may be null.
WIN_API DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle);
// Fails with ERROR_INSUFFICIENT_BUFFER when size is smaller than the size
// GetFileVersionInfoSizeA gave.
WIN_API BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD size, LPVOID data);
// value points into block; length is in bytes, or in characters for strings.
WIN_API BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, PUINT length);
}
