#pragma once

// Creating objects: CoCreateInstance(Ex) and CoGetClassObject.
//
// A class is found under HKEY_CLASSES_ROOT\CLSID\{clsid}; its in-process
// server is the shared library named by the default value of the
// InprocServer32 subkey, loaded once and entered through its exported
// DllGetClassObject. The same library also serves requests for
// CLSCTX_LOCAL_SERVER (and CLSCTX_REMOTE_SERVER on this computer), as if it
// were hosted by a surrogate process: calls are direct either way, only
// aggregation is refused for such a request (CLASS_E_NOAGGREGATION), as it
// would be across processes.
//
// A COSERVERINFO that names this computer is the same as none: its host name
// or the host name's first label, the computer name (GetComputerName), each
// without regard to case and with or without a leading "\\", "localhost",
// any 127.x.x.x address, "::1" or an empty name. Names are compared as text
// only and never looked up in DNS. Any other machine goes to the process's
// com::RemoteActivator (com/remote_activator.h), which by default fails with
// HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE); it is asked only when the
// context includes CLSCTX_REMOTE_SERVER (E_INVALIDARG otherwise).
//
// Results: CO_E_NOTINITIALIZED when the calling thread has not joined COM
// and the process has no multithreaded apartment; REGDB_E_CLASSNOTREG for a
// class that is not registered or has no in-process server; CO_E_DLLNOTFOUND
// when the library cannot be loaded; CO_E_ERRORINDLL when it lacks
// DllGetClassObject; E_INVALIDARG for a context that names no server kind.

#include "com/export.h"
#include "com/unknown.h"
#include "com/wtypes.h"

struct COAUTHIDENTITY {
  USHORT* User;
  ULONG UserLength;
  USHORT* Domain;
  ULONG DomainLength;
  USHORT* Password;
  ULONG PasswordLength;
  ULONG Flags;
};

struct COAUTHINFO {
  DWORD dwAuthnSvc;
  DWORD dwAuthzSvc;
  LPWSTR pwszServerPrincName;
  DWORD dwAuthnLevel;
  DWORD dwImpersonationLevel;
  COAUTHIDENTITY* pAuthIdentityData;
  DWORD dwCapabilities;
};

// The machine to activate on (pwszName) and how to authenticate there.
struct COSERVERINFO {
  DWORD dwReserved1;
  LPWSTR pwszName;
  COAUTHINFO* pAuthInfo;
  DWORD dwReserved2;
};

// One interface request of CoCreateInstanceEx and its outcome.
struct MULTI_QI {
  const IID* pIID;
  IUnknown* pItf;
  HRESULT hr;
};

// The entries an in-process server library exports (com/server.h declares
// them for servers).
using LPFNGETCLASSOBJECT = HRESULT (*)(REFCLSID, REFIID, LPVOID*);
using LPFNCANUNLOADNOW = HRESULT (*)();

extern "C" {
COM_API HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, COSERVERINFO* server, REFIID riid,
                                 LPVOID* object);

COM_API HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid, LPVOID* object);

// Creates one object and asks it for every requested interface. Each
// request gets its own result; the call returns S_OK when all succeeded,
// CO_S_NOTALLINTERFACES when some did and E_NOINTERFACE when none did. When
// the object cannot be created at all, every request carries the failure and
// the call returns it. E_INVALIDARG for no requests or a request without an
// interface identifier.
COM_API HRESULT CoCreateInstanceEx(REFCLSID clsid, IUnknown* outer, DWORD context, COSERVERINFO* server,
                                   DWORD count, MULTI_QI* results);

// Closes every loaded in-process server whose DllCanUnloadNow returns S_OK,
// at once (the delay is not waited for). The last CoUninitialize of the
// process does the same. As everywhere in COM, a library must not be freed
// while another thread is still returning from the Release that destroyed
// its last object.
COM_API void CoFreeUnusedLibraries();
COM_API void CoFreeUnusedLibrariesEx(DWORD unloadDelay, DWORD reserved);
}
