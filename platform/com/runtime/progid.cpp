// ProgIDs and class identifiers, both ways, from the registry.

#include "com/progid.h"

#include <string>

#include "registry_access.h"

namespace {

// Reads HKEY_CLASSES_ROOT\<progId>\CLSID as a class identifier.
bool readProgIdClass(const std::string& progId, CLSID& clsid) {
  std::string text;
  if (com::detail::readDefaultValue(progId + "\\CLSID", text) != ERROR_SUCCESS) return false;
  std::u16string wide(text.begin(), text.end());
  return text.starts_with('{') && SUCCEEDED(CLSIDFromString(wide.c_str(), &clsid));
}

}  // namespace

extern "C" {

COM_API HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid) {
  if (progId == nullptr || clsid == nullptr) return E_INVALIDARG;
  std::string name;
  // A ProgID is one key name: empty names and paths are not ProgIDs.
  if (!com::detail::toUtf8(progId, name) || name.empty() || name.find('\\') != std::string::npos) {
    return CO_E_CLASSSTRING;
  }
  CLSID found;
  if (readProgIdClass(name, found)) {
    *clsid = found;
    return S_OK;
  }
  std::string current;
  if (com::detail::readDefaultValue(name + "\\CurVer", current) == ERROR_SUCCESS && !current.empty() &&
      current != name && current.find('\\') == std::string::npos && readProgIdClass(current, found)) {
    *clsid = found;
    return S_OK;
  }
  return CO_E_CLASSSTRING;
}

COM_API HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId) {
  if (progId == nullptr) return E_INVALIDARG;
  *progId = nullptr;
  std::string name;
  if (com::detail::readDefaultValue(com::detail::classKeyPath(clsid) + "\\ProgID", name) != ERROR_SUCCESS ||
      name.empty()) {
    return REGDB_E_CLASSNOTREG;
  }
  return com::detail::toTaskMemString(name, progId);
}

}  // extern "C"
