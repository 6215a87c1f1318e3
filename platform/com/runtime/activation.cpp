// Activation. A request goes one of two ways: to another machine through the
// process's RemoteActivator, or to the class's in-process server on this
// computer. The in-process server also answers requests for a local server
// (and for a remote one on this computer), standing in for the surrogate
// process that would host it.

#include "com/activation.h"

#include <string>

#include "apartment_state.h"
#include "com/interfaces/class_factory.h"
#include "inproc_servers.h"
#include "registry_access.h"
#include "remote_activator_slot.h"

namespace {

constexpr DWORD kInprocServer = CLSCTX_INPROC_SERVER;
constexpr DWORD kSurrogate = CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr DWORD kAnyServer = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | kSurrogate;

bool isRemoteRequest(const COSERVERINFO* server) {
  return server != nullptr && !com::isThisComputer(server->pwszName);
}

// Finds the class's in-process server and fetches its class object. A
// context of only CLSCTX_INPROC_HANDLER finds nothing, as no class here has
// a handler.
HRESULT getLocalClassObject(REFCLSID clsid, DWORD context, REFIID riid, void** object) {
  if ((context & kAnyServer) == 0) return E_INVALIDARG;
  if ((context & (kInprocServer | kSurrogate)) == 0) return REGDB_E_CLASSNOTREG;
  std::string path;
  LONG read = com::detail::readDefaultValue(com::detail::classKeyPath(clsid), path);
  if (read == ERROR_SUCCESS)
    read = com::detail::readDefaultValue(com::detail::classKeyPath(clsid) + "\\InprocServer32", path);
  if (read == ERROR_FILE_NOT_FOUND || (read == ERROR_SUCCESS && path.empty())) return REGDB_E_CLASSNOTREG;
  if (read != ERROR_SUCCESS) return REGDB_E_READREGDB;
  return com::detail::getClassObjectFromLibrary(path, clsid, riid, object);
}

// Gives every request the same outcome and returns it.
HRESULT failAll(HRESULT hr, DWORD count, MULTI_QI* results) {
  for (DWORD k = 0; k < count; ++k) results[k].hr = hr;
  return hr;
}

HRESULT createLocalInstance(REFCLSID clsid, IUnknown* outer, DWORD context, DWORD count, MULTI_QI* results) {
  // Across a process boundary an object cannot be aggregated.
  if (outer != nullptr && (context & kInprocServer) == 0 && (context & kSurrogate) != 0) {
    return failAll(CLASS_E_NOAGGREGATION, count, results);
  }
  IClassFactory* factory = nullptr;
  HRESULT hr = getLocalClassObject(clsid, context, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return failAll(hr, count, results);
  IUnknown* object = nullptr;
  hr = factory->CreateInstance(outer, IID_IUnknown, reinterpret_cast<void**>(&object));
  factory->Release();
  if (FAILED(hr)) return failAll(hr, count, results);
  if (object == nullptr) return failAll(E_UNEXPECTED, count, results);

  DWORD answered = 0;
  for (DWORD k = 0; k < count; ++k) {
    results[k].hr = object->QueryInterface(*results[k].pIID, reinterpret_cast<void**>(&results[k].pItf));
    if (SUCCEEDED(results[k].hr)) {
      ++answered;
    } else {
      results[k].pItf = nullptr;
    }
  }
  object->Release();
  if (answered == count) return S_OK;
  return answered == 0 ? E_NOINTERFACE : CO_S_NOTALLINTERFACES;
}

}  // namespace

extern "C" {

COM_API HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, COSERVERINFO* server, REFIID riid,
                                 LPVOID* object) {
  if (object == nullptr) return E_INVALIDARG;
  *object = nullptr;
  if (!com::detail::callerHasJoinedCom()) return CO_E_NOTINITIALIZED;
  if (isRemoteRequest(server)) {
    if ((context & CLSCTX_REMOTE_SERVER) == 0) return E_INVALIDARG;
    return com::detail::remoteActivator()->getClassObject(clsid, context, server, riid, object);
  }
  return getLocalClassObject(clsid, context, riid, object);
}

COM_API HRESULT CoCreateInstanceEx(REFCLSID clsid, IUnknown* outer, DWORD context, COSERVERINFO* server,
                                   DWORD count, MULTI_QI* results) {
  if (count == 0 || results == nullptr) return E_INVALIDARG;
  for (DWORD k = 0; k < count; ++k) {
    if (results[k].pIID == nullptr) return E_INVALIDARG;
  }
  for (DWORD k = 0; k < count; ++k) {
    results[k].pItf = nullptr;
    results[k].hr = E_NOINTERFACE;
  }
  if (!com::detail::callerHasJoinedCom()) return failAll(CO_E_NOTINITIALIZED, count, results);
  if (isRemoteRequest(server)) {
    if ((context & CLSCTX_REMOTE_SERVER) == 0) return failAll(E_INVALIDARG, count, results);
    return com::detail::remoteActivator()->createInstance(clsid, outer, context, server, count, results);
  }
  return createLocalInstance(clsid, outer, context, count, results);
}

COM_API HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                                 LPVOID* object) {
  if (object == nullptr) return E_INVALIDARG;
  *object = nullptr;
  MULTI_QI request{&riid, nullptr, S_OK};
  const HRESULT hr = CoCreateInstanceEx(clsid, outer, context, nullptr, 1, &request);
  if (FAILED(hr)) return hr == E_NOINTERFACE ? request.hr : hr;
  *object = request.pItf;
  return request.hr;
}

}  // extern "C"
