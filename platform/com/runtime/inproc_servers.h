#pragma once

// The in-process servers loaded into the process.

#include <string>

#include "com/guid.h"

namespace com::detail {

// Asks the server library at path (loaded now if it is not yet) for the
// class object of clsid. CO_E_DLLNOTFOUND when the library cannot be loaded,
// CO_E_ERRORINDLL when it has no DllGetClassObject; otherwise what
// DllGetClassObject returns.
HRESULT getClassObjectFromLibrary(const std::string& path, REFCLSID clsid, REFIID riid, void** object);

}  // namespace com::detail
