// Connecting to a server: joining COM and creating the server object for
// IOPCServer, locally or on a named machine. Finding the class identifier
// is in clsid_resolution.cpp, the warning box in com_error_box.cpp.

#include "com/objbase.h"
#include "session/server_session.h"
#include "session/to_wide_text.h"

namespace {

bool isGiven(LPCSTR machine) { return machine != nullptr && *machine != '\0'; }

}  // namespace

HRESULT CServerConnection::Connect(LPCSTR machine, LPCSTR progId, bool showErrors, DWORD comFlags) {
  CLSID clsid{};
  if (!isGiven(machine)) {
    const HRESULT hr = ResolveClsid(progId, showErrors, &clsid);
    if (FAILED(hr)) return hr;
    return CreateServerObject(nullptr, clsid, showErrors, comFlags);
  }

  // A ProgID registered on this computer names the same class on the other
  // machine, so it is resolved here, silently; only an unknown one is asked
  // of the server list object over there.
  if (FAILED(ResolveClsid(progId, false, &clsid))) {
    bool joinedForLookup = false;
    if (!comInitialized_) {
      const HRESULT hr = InitializeCom(showErrors, comFlags);
      if (FAILED(hr)) return hr;
      joinedForLookup = true;
    }
    const HRESULT hr = ResolveClsidRemote(machine, progId, showErrors, &clsid);
    // COM joined only for the lookup is left again; creating the object
    // joins it afresh.
    if (joinedForLookup) ReleaseServer();
    if (FAILED(hr)) return hr;
  }
  return CreateServerObject(machine, clsid, showErrors, comFlags);
}

HRESULT CServerConnection::InitializeCom(bool showErrors, DWORD comFlags) {
  if (comInitialized_) return S_OK;
  HRESULT hr = CoInitializeEx(nullptr, comFlags);
  if (FAILED(hr)) {
    if (showErrors) ShowComError("Function 'CoInitializeEx' failed !", hr);
    return hr;
  }
  comInitialized_ = true;
  hr = CoGetMalloc(MEMCTX_TASK, &taskAllocator_);
  if (FAILED(hr)) {
    CoUninitialize();
    comInitialized_ = false;
    if (showErrors) ShowComError("Function 'CoGetMalloc' failed !", hr);
    return hr;
  }
  hr = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_NONE, RPC_C_IMP_LEVEL_IMPERSONATE,
                            nullptr, EOAC_NONE, nullptr);
  // Process security is set once; an earlier connection (or the server
  // selection's machine tree) has done it already.
  if (hr == RPC_E_TOO_LATE) return S_OK;
  return hr;
}

HRESULT CServerConnection::CreateServerObject(LPCSTR machine, const CLSID& clsid, bool showErrors, DWORD comFlags) {
  if (server_ != nullptr) {
    if (showErrors) ShowComError("Already connected to an OPC Data Server!", E_FAIL);
    return E_FAIL;
  }
  HRESULT hr = InitializeCom(showErrors, comFlags);
  if (FAILED(hr)) return hr;

  std::u16string machineName;
  COSERVERINFO serverInfo{};
  COSERVERINFO* serverInfoUsed = nullptr;
  DWORD context = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
  if (isGiven(machine)) {
    hr = ToWideText(machine, machineName);
    if (FAILED(hr)) {
      // Not connected means not in COM (as after any other failed
      // creation), so the next attempt starts from scratch.
      ReleaseServer();
      if (showErrors) ShowComError("Cannot convert Machine Name to wide-character string !", hr);
      return hr;
    }
    serverInfo.pwszName = machineName.data();
    serverInfoUsed = &serverInfo;
    context = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
  }

  MULTI_QI request{&IID_IOPCServer, nullptr, S_OK};
  hr = CoCreateInstanceEx(clsid, nullptr, context, serverInfoUsed, 1, &request);
  if (SUCCEEDED(hr) && SUCCEEDED(request.hr) && request.pItf != nullptr) {
    server_ = static_cast<IOPCServer*>(request.pItf);
    return S_OK;
  }
  if (request.pItf != nullptr) request.pItf->Release();
  ReleaseServer();
  const HRESULT failure = FAILED(hr) ? hr : FAILED(request.hr) ? request.hr : E_NOINTERFACE;
  if (showErrors) ShowComError("Function 'CoCreateInstanceEx' failed !", failure);
  return failure;
}
