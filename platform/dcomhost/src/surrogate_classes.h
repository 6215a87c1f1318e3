#pragma once
// Which registered classes this host exports, and creating them. A class is
// remotely activatable only when its registration names an AppID (the
// "AppID" value of its CLSID key) whose key carries a "DllSurrogate" value:
// the registration by which a class agrees to run in a surrogate process.

#include <string>

#include "com/objbase.h"

namespace dcomhost {

class SurrogateClasses {
public:
  // Reads the registry on every call, so that registrations made while the
  // host runs take effect.
  bool remotelyActivatable(REFCLSID clsid) const;

  // The in-process server's object or class factory; REGDB_E_CLASSNOTREG
  // for a class that is not remotely activatable. `user` is the caller, for
  // the log.
  HRESULT createInstance(REFCLSID clsid, const std::string& user, IUnknown** object) const;
  HRESULT getClassObject(REFCLSID clsid, const std::string& user, IUnknown** factory) const;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" as the registry writes it.
std::string guidText(REFGUID guid);

}  // namespace dcomhost
