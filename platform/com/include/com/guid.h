#pragma once

// GUIDs and their "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" text form.

#include <cstring>

#include "com/export.h"
#include "win/types.h"
#include "win/winerror.h"

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using CATID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFCATID = const CATID&;
using LPGUID = GUID*;
using LPIID = IID*;
using LPCLSID = CLSID*;

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool IsEqualIID(REFIID a, REFIID b) { return IsEqualGUID(a, b); }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return IsEqualGUID(a, b); }
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }
inline bool operator!=(REFGUID a, REFGUID b) { return !IsEqualGUID(a, b); }

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
#define IID_NULL GUID_NULL
#define CLSID_NULL GUID_NULL

// Identifiers are defined in headers as inline constants, so every module
// shares one definition without a separate GUID library.
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
  inline constexpr GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}

extern "C" {
// Writes the 38-character braced form plus terminator; returns the number of
// characters written including the terminator, or 0 when size is below 39.
COM_API int StringFromGUID2(REFGUID guid, LPOLESTR text, int size);
// Parses the braced form (hex digits of either case). Text that does not
// start with "{" is taken as a ProgID and looked up in the registry
// (CLSIDFromProgID). CO_E_CLASSSTRING for anything else.
COM_API HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
COM_API HRESULT IIDFromString(LPCOLESTR text, LPIID iid);

// The braced form in a string from the task allocator (the caller frees it
// with CoTaskMemFree). E_INVALIDARG for a null out-parameter, E_OUTOFMEMORY.
COM_API HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text);
COM_API HRESULT StringFromIID(REFIID iid, LPOLESTR* text);

// A new random identifier (version 4, from the system's random source).
COM_API HRESULT CoCreateGuid(GUID* guid);
}
