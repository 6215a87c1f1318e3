#pragma once

// The registry, HKEY_CLASSES_ROOT only. Keys hold a default value and named
// string values (REG_SZ). Key and value names compare case-insensitively
// (ASCII letters) and keep the case they were created with. The store is a
// text file in the registry export format; VELMORA_REGISTRY names it (see
// registry_store.h for where it lives and how it is kept safe).
//
// Results are Win32 error codes: ERROR_SUCCESS; ERROR_FILE_NOT_FOUND for a
// missing key or value; ERROR_MORE_DATA when a buffer is too small;
// ERROR_NO_MORE_ITEMS at the end of an enumeration; ERROR_INVALID_HANDLE for
// a key that is not open (closed, made up, or another predefined key);
// ERROR_KEY_DELETED when an open key has since been deleted;
// ERROR_ACCESS_DENIED when the key was opened without the right the call
// needs (below), or for deleting a key that has subkeys;
// ERROR_INVALID_PARAMETER for bad arguments; ERROR_BAD_PATHNAME for a
// subkey path with an empty name ("\a", "a\\b"); ERROR_REGISTRY_CORRUPT for
// a write to a store file that has unreadable lines; ERROR_CANTREAD,
// ERROR_CANTWRITE, ERROR_ACCESS_DENIED or ERROR_DISK_FULL when the store
// file cannot be read or written.
//
// Rights: reading values needs KEY_QUERY_VALUE, writing or deleting values
// KEY_SET_VALUE, enumerating subkeys KEY_ENUMERATE_SUB_KEYS, creating a
// subkey KEY_CREATE_SUB_KEY on the key it is created under. Calls that name
// a subkey open it themselves and need no right on the key they start from.
// RegOpenKeyA and RegCreateKeyA open with every right.

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
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F
#define DELETE 0x00010000
#define MAXIMUM_ALLOWED 0x02000000
#define GENERIC_ALL 0x10000000
#define GENERIC_WRITE 0x40000000
#define GENERIC_READ 0x80000000

#define REG_NONE 0
#define REG_SZ 1

extern "C" {
// Opens key\subKey (subKey null or "" opens a new handle to key itself).
// On failure *result is null.
WIN_API LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);
WIN_API LONG RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result);
// Opens key\subKey, creating it and every missing key on the way.
WIN_API LONG RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result);
// Closing HKEY_CLASSES_ROOT succeeds and does nothing.
WIN_API LONG RegCloseKey(HKEY key);

// Enumerates the direct subkeys of key in a stable order (by name,
// case-insensitive). nameSize counts bytes including the terminator.
WIN_API LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize);
// As RegEnumKeyA; *nameSize is the buffer size on entry and the length
// without terminator on success (left unchanged with ERROR_MORE_DATA). Keys
// have no class; a class buffer receives "" and lastWriteTime zero.
WIN_API LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                           LPSTR className, LPDWORD classSize, FILETIME* lastWriteTime);
// Enumerates the values of key in the order they were first set; the
// default value has the empty name. *valueNameSize counts characters like
// *nameSize of RegEnumKeyExA; *dataSize counts bytes with the terminator.
WIN_API LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize,
                           LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);

// Reads the default value of key\subKey (subKey null or "" for key itself).
// *valueSize is the buffer size in bytes on entry and the size needed,
// terminator included, on return. A key without a default value reads as
// the empty string, as on the original platform; a missing key is
// ERROR_FILE_NOT_FOUND. With value null only the size is returned.
WIN_API LONG RegQueryValueA(HKEY key, LPCSTR subKey, LPSTR value, PLONG valueSize);
// Reads a named value (null or "" names the default value) as REG_SZ; a
// value that is not set is ERROR_FILE_NOT_FOUND. With data null only the
// size is returned.
WIN_API LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                              LPBYTE data, LPDWORD dataSize);

// Writes the default value of key\subKey, creating the key when missing.
// type must be REG_SZ; the data is the terminated string (dataSize is
// ignored, as on the original platform).
WIN_API LONG RegSetValueA(HKEY key, LPCSTR subKey, DWORD type, LPCSTR data, DWORD dataSize);
// Writes a named value. Only REG_SZ is stored (ERROR_NOT_SUPPORTED for any
// other type); the string is data up to dataSize bytes or its first
// terminator. Value names cannot hold control characters.
WIN_API LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                            const BYTE* data, DWORD dataSize);
WIN_API LONG RegDeleteValueA(HKEY key, LPCSTR valueName);

// Deletes key\subKey (subKey "" deletes key itself), which must have no
// subkeys. RegDeleteTreeA deletes key\subKey with its whole subtree; with
// subKey null or "" it empties key (values and subkeys) and keeps it, which
// needs DELETE, KEY_ENUMERATE_SUB_KEYS and KEY_QUERY_VALUE and is refused
// for HKEY_CLASSES_ROOT itself.
WIN_API LONG RegDeleteKeyA(HKEY key, LPCSTR subKey);
WIN_API LONG RegDeleteTreeA(HKEY key, LPCSTR subKey);
}
