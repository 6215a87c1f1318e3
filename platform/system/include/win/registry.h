#pragma once

// The registry, HKEY_CLASSES_ROOT only. Keys hold a default value and named
// string values. The store is a text file in the registry export format;
// VELMORA_REGISTRY names it (see registry_store.h for where it lives).
// Results are Win32 error codes: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for a
// missing key or value, ERROR_MORE_DATA when a buffer is too small,
// ERROR_NO_MORE_ITEMS at the end of an enumeration, ERROR_INVALID_HANDLE and
// ERROR_INVALID_PARAMETER for bad arguments.

#include "win/export.h"
#include "win/types.h"

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u)))

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_NONE 0
#define REG_SZ 1

extern "C" {
WIN_API LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);
WIN_API LONG RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result);
WIN_API LONG RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result);
WIN_API LONG RegCloseKey(HKEY key);

// Enumerates the direct subkeys of key in a stable order (by name,
// case-insensitive). nameSize counts bytes including the terminator.
WIN_API LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize);

// Reads the default value of key\subKey (subKey null or "" for key itself).
// *valueSize is the buffer size in bytes on entry and the size needed,
// terminator included, on return.
WIN_API LONG RegQueryValueA(HKEY key, LPCSTR subKey, LPSTR value, PLONG valueSize);
// Reads a named value (null or "" names the default value) as REG_SZ.
WIN_API LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                              LPBYTE data, LPDWORD dataSize);

// Writes the default value of key\subKey, creating the key when missing.
// Only REG_SZ is stored.
WIN_API LONG RegSetValueA(HKEY key, LPCSTR subKey, DWORD type, LPCSTR data, DWORD dataSize);
WIN_API LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                            const BYTE* data, DWORD dataSize);

// Deletes key\subKey, which must have no subkeys; RegDeleteTreeA deletes the
// whole subtree.
WIN_API LONG RegDeleteKeyA(HKEY key, LPCSTR subKey);
WIN_API LONG RegDeleteTreeA(HKEY key, LPCSTR subKey);
}
