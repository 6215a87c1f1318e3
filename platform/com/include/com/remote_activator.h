#pragma once

// The seam for activating objects on another machine. Activation calls that
// name a machine other than this computer hand the request to the process's
// RemoteActivator. Until a network transport is installed, the default one
// fails every request with HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE),
// which is what a client sees when the machine cannot be reached.

#include <memory>

#include "com/activation.h"

namespace com {

class COM_API RemoteActivator {
 public:
  virtual ~RemoteActivator() = default;

  // As CoCreateInstanceEx: fills every request's result and returns the
  // call's result. server names the machine (never this computer).
  virtual HRESULT createInstance(REFCLSID clsid, IUnknown* outer, DWORD context, COSERVERINFO* server,
                                 DWORD count, MULTI_QI* results) = 0;
  // As CoGetClassObject.
  virtual HRESULT getClassObject(REFCLSID clsid, DWORD context, COSERVERINFO* server, REFIID riid,
                                 void** object) = 0;
};

// Installs the activator for the whole process and returns the one it
// replaces; null restores the default. Requests already under way finish
// with the activator they started with.
COM_API std::shared_ptr<RemoteActivator> setRemoteActivator(std::shared_ptr<RemoteActivator> activator);

// True when name (as in COSERVERINFO::pwszName) names this computer; null
// counts as this computer.
COM_API bool isThisComputer(LPCWSTR name);

}  // namespace com
