// The entries of the server list library (libpelkor_serverlist.so).

#include "com/class_factory.h"
#include "com/server.h"
#include "server_list.h"

namespace {

std::vector<com::ServerClass> registrations() {
  com::ServerClass serverList;
  serverList.clsid = CLSID_OPCServerList;
  serverList.description = "Pelkor OPC Server List";
  serverList.progId = "Pelkor.OPCServerList.1";
  serverList.versionIndependentProgId = "Pelkor.OPCServerList";
  // Clients on other machines browse through the DCOM host.
  serverList.surrogate = true;
  return {serverList};
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
  if (IsEqualCLSID(clsid, CLSID_OPCServerList)) return com::ClassFactory<serverlist::ServerList>::create(riid, object);
  if (object != nullptr) *object = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return com::Module::canUnloadNow(); }

STDAPI DllRegisterServer() {
  try {
    return com::registerServer(registrations());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

STDAPI DllUnregisterServer() {
  try {
    return com::unregisterServer(registrations());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}
