#pragma once

// ProgIDs: the readable names of classes, kept in the registry under
// HKEY_CLASSES_ROOT. A ProgID key holds the class identifier as the default
// value of its CLSID subkey; a class key (CLSID\{...}) names its ProgID in its
// ProgID subkey. A version-independent ProgID also has a CurVer subkey naming
// the current versioned ProgID.

#include "com/export.h"
#include "com/guid.h"

extern "C" {
// CO_E_CLASSSTRING when the ProgID is not registered or its CLSID value is
// not a class identifier; E_INVALIDARG for null arguments. A ProgID key
// without a CLSID subkey of its own is followed through its CurVer.
COM_API HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid);
// The ProgID in a string from the task allocator. REGDB_E_CLASSNOTREG when
// the class has no ProgID registered.
COM_API HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId);
}
