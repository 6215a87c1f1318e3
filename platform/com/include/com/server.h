#pragma once

// What an in-process server library is made of: its four exported entries
// and the registry entries that make its classes known.
//
//   const std::vector<com::ServerClass>& classes() {
//     static const std::vector<com::ServerClass> list = {{
//         .clsid = CLSID_Sample,
//         .description = "Sample Server",
//         .progId = "Pelkor.Sample.1",
//         .versionIndependentProgId = "Pelkor.Sample",
//         .implementedCategories = {CATID_Sample},
//     }};
//     return list;
//   }
//   STDAPI DllRegisterServer() { return com::registerServer(classes()); }
//   STDAPI DllUnregisterServer() { return com::unregisterServer(classes()); }
//   STDAPI DllCanUnloadNow() { return com::Module::canUnloadNow(); }
//   STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) { ... }
//
// The build registers a server with velmora_register_com_server(<target>),
// which runs the regsvr tool on it; regsvr -u unregisters.

#include <string>
#include <vector>

#include "com/activation.h"
#include "com/object.h"

// The entries every server exports, whatever its symbol visibility.
#define COM_SERVER_EXPORT extern "C" __attribute__((visibility("default")))

COM_SERVER_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object);
COM_SERVER_EXPORT HRESULT DllCanUnloadNow();
COM_SERVER_EXPORT HRESULT DllRegisterServer();
COM_SERVER_EXPORT HRESULT DllUnregisterServer();

namespace com {

// A value written with a class: key is a path below HKEY_CLASSES_ROOT, name
// the value's name ("" for the key's default value).
struct RegistryValue {
  std::string key;
  std::string name;
  std::string value;
};

// How one class of a server is registered. Under CLSID\{clsid}: the
// description as default value, InprocServer32 (the library's absolute path,
// with ThreadingModel), ProgID, VersionIndependentProgID and one key per
// implemented category under "Implemented Categories". Each ProgID key gets
// the description and a CLSID subkey; the version-independent one also CurVer
// naming the versioned ProgID. Empty ProgIDs are left out.
struct ServerClass {
  CLSID clsid = GUID_NULL;
  std::string description;
  std::string progId;
  std::string versionIndependentProgId;
  std::vector<CATID> implementedCategories;
  std::string threadingModel = "Both";
  // Remotely activatable: the class names an AppID (its own CLSID) whose key
  // lets the class run in a surrogate process, which is what the DCOM host
  // exports.
  bool surrogate = false;
  // Further values that belong to this class and go with it when it is
  // unregistered (their keys are deleted with their subtrees, so a key that
  // other classes share does not belong here).
  std::vector<RegistryValue> extraValues;
};

// Writes the entries of every class, replacing what an earlier registration
// of the same class left; the library's path is found from an address inside
// it. SELFREG_E_CLASS when the registry cannot be written or the library's
// file cannot be found.
COM_API HRESULT registerServerClasses(const std::vector<ServerClass>& classes, const void* addressInLibrary);

// Removes the entries again. A ProgID is left alone when it has since been
// registered for another class. Entries that are already gone are no error.
COM_API HRESULT unregisterServerClasses(const std::vector<ServerClass>& classes);

// Registers the calling library's classes; call from DllRegisterServer.
COM_MODULE_LOCAL inline HRESULT registerServer(const std::vector<ServerClass>& classes) {
  return registerServerClasses(classes, Module::address());
}

// Call from DllUnregisterServer.
inline HRESULT unregisterServer(const std::vector<ServerClass>& classes) {
  return unregisterServerClasses(classes);
}

}  // namespace com
