#include "surrogate_classes.h"

#include <cstdio>

#include "win/registry.h"

namespace dcomhost {
namespace {

// A named value of HKEY_CLASSES_ROOT\<key>, or nothing when the key or the
// value is missing.
bool readValue(const std::string& key, const char* name, std::string* value) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  DWORD type = 0;
  bool found = RegQueryValueExA(handle, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
  if (found && value) {
    std::string text(size, '\0');
    found = RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) ==
            ERROR_SUCCESS;
    if (found) text.resize(size > 0 ? size - 1 : 0);
    *value = text;
  }
  RegCloseKey(handle);
  return found;
}

}  // namespace

std::string guidText(REFGUID guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

bool SurrogateClasses::remotelyActivatable(REFCLSID clsid) const {
  std::string appId;
  if (!readValue("CLSID\\" + guidText(clsid), "AppID", &appId) || appId.empty()) return false;
  return readValue("AppID\\" + appId, "DllSurrogate", nullptr);
}

HRESULT SurrogateClasses::createInstance(REFCLSID clsid, const std::string&, IUnknown** object) const {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!remotelyActivatable(clsid)) return REGDB_E_CLASSNOTREG;
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(object));
}

HRESULT SurrogateClasses::getClassObject(REFCLSID clsid, const std::string&, IUnknown** factory) const {
  if (factory == nullptr) return E_POINTER;
  *factory = nullptr;
  if (!remotelyActivatable(clsid)) return REGDB_E_CLASSNOTREG;
  return CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IUnknown, reinterpret_cast<void**>(factory));
}

}  // namespace dcomhost
