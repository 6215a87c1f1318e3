// Writing and removing the registry entries of an in-process server's
// classes (DllRegisterServer, DllUnregisterServer).

#include <dlfcn.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "com/server.h"
#include "registry_access.h"
#include "win/registry.h"

namespace {

// The absolute path of the shared library that contains address.
bool libraryPath(const void* address, std::string& path) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return false;
  char resolved[PATH_MAX];
  if (realpath(info.dli_fname, resolved) == nullptr) return false;
  path = resolved;
  return true;
}

LONG setDefaultValue(const std::string& key, const std::string& value) {
  return RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(),
                      static_cast<DWORD>(value.size() + 1));
}

LONG setNamedValue(const std::string& key, const std::string& name, const std::string& value) {
  HKEY handle = nullptr;
  LONG result = RegCreateKeyA(HKEY_CLASSES_ROOT, key.c_str(), &handle);
  if (result != ERROR_SUCCESS) return result;
  result = RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
  RegCloseKey(handle);
  return result;
}

LONG createKey(const std::string& key) {
  HKEY handle = nullptr;
  const LONG result = RegCreateKeyA(HKEY_CLASSES_ROOT, key.c_str(), &handle);
  if (result == ERROR_SUCCESS) RegCloseKey(handle);
  return result;
}

LONG deleteTree(const std::string& key) {
  const LONG result = RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
  return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

// Deletes a ProgID key unless it now names another class.
LONG deleteProgId(const std::string& progId, const std::string& classText) {
  std::string registered;
  const LONG read = com::detail::readDefaultValue(progId + "\\CLSID", registered);
  if (read == ERROR_FILE_NOT_FOUND) {
    // Without a CLSID subkey the key is ours only if it exists at all.
    return deleteTree(progId);
  }
  if (read != ERROR_SUCCESS) return read;
  if (!registered.empty() && registered != classText) return ERROR_SUCCESS;
  return deleteTree(progId);
}

LONG registerClass(const com::ServerClass& entry, const std::string& library) {
  const std::string classText = com::detail::guidText(entry.clsid);
  const std::string classKey = "CLSID\\" + classText;
  // Start from nothing, so that nothing of an earlier registration (an old
  // category, a changed ProgID) lingers.
  LONG result = deleteTree(classKey);
  auto step = [&result](LONG outcome) {
    if (result == ERROR_SUCCESS) result = outcome;
  };
  step(setDefaultValue(classKey, entry.description));
  step(setDefaultValue(classKey + "\\InprocServer32", library));
  step(setNamedValue(classKey + "\\InprocServer32", "ThreadingModel", entry.threadingModel));
  if (!entry.progId.empty()) {
    step(setDefaultValue(classKey + "\\ProgID", entry.progId));
    step(setDefaultValue(entry.progId, entry.description));
    step(setDefaultValue(entry.progId + "\\CLSID", classText));
  }
  if (!entry.versionIndependentProgId.empty()) {
    const std::string& independent = entry.versionIndependentProgId;
    step(setDefaultValue(classKey + "\\VersionIndependentProgID", independent));
    step(setDefaultValue(independent, entry.description));
    step(setDefaultValue(independent + "\\CLSID", classText));
    if (!entry.progId.empty()) step(setDefaultValue(independent + "\\CurVer", entry.progId));
  }
  for (const CATID& category : entry.implementedCategories) {
    step(createKey(classKey + "\\Implemented Categories\\" + com::detail::guidText(category)));
  }
  if (entry.surrogate) {
    step(setNamedValue(classKey, "AppID", classText));
    step(setNamedValue("AppID\\" + classText, "DllSurrogate", ""));
  }
  for (const auto& extra : entry.extraValues) {
    step(extra.name.empty() ? setDefaultValue(extra.key, extra.value)
                            : setNamedValue(extra.key, extra.name, extra.value));
  }
  return result;
}

LONG unregisterClass(const com::ServerClass& entry) {
  const std::string classText = com::detail::guidText(entry.clsid);
  LONG result = deleteTree("CLSID\\" + classText);
  auto step = [&result](LONG outcome) {
    if (result == ERROR_SUCCESS) result = outcome;
  };
  if (!entry.progId.empty()) step(deleteProgId(entry.progId, classText));
  if (!entry.versionIndependentProgId.empty()) step(deleteProgId(entry.versionIndependentProgId, classText));
  if (entry.surrogate) step(deleteTree("AppID\\" + classText));
  for (const auto& extra : entry.extraValues) step(deleteTree(extra.key));
  return result;
}

}  // namespace

namespace com {

HRESULT registerServerClasses(const std::vector<ServerClass>& classes, const void* addressInLibrary) {
  std::string library;
  if (!libraryPath(addressInLibrary, library)) return SELFREG_E_CLASS;
  for (const auto& entry : classes) {
    if (registerClass(entry, library) != ERROR_SUCCESS) return SELFREG_E_CLASS;
  }
  return S_OK;
}

HRESULT unregisterServerClasses(const std::vector<ServerClass>& classes) {
  HRESULT hr = S_OK;
  for (const auto& entry : classes) {
    if (unregisterClass(entry) != ERROR_SUCCESS) hr = SELFREG_E_CLASS;
  }
  return hr;
}

}  // namespace com
