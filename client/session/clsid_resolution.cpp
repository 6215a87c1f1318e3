// Finding a server's class identifier from its ProgID: in this computer's
// registry, or through the OPC server list object on another machine.

#include "com/objbase.h"
#include "opc/server_list.h"
#include "session/server_session.h"
#include "session/to_wide_text.h"
#include "win/registry.h"

namespace {

// The size of the buffer the current versioned ProgID is read into.
constexpr LONG kCurrentVersionSize = 256;

}  // namespace

HRESULT CServerConnection::ResolveClsid(LPCSTR progId, bool showErrors, CLSID* clsid) {
  // A version-independent ProgID names its current version in "CurVer";
  // the class is looked up by the versioned one.
  char currentVersion[kCurrentVersionSize] = {};
  LPCSTR name = progId;
  HKEY key = nullptr;
  if (progId != nullptr && RegOpenKeyA(HKEY_CLASSES_ROOT, progId, &key) == ERROR_SUCCESS) {
    LONG size = kCurrentVersionSize;
    if (RegQueryValueA(key, "CurVer", currentVersion, &size) == ERROR_SUCCESS) name = currentVersion;
    RegCloseKey(key);
  }

  std::u16string wideName;
  HRESULT hr = ToWideText(name, wideName);
  if (FAILED(hr)) {
    if (showErrors) ShowComError("Cannot read full Server Name from the Registry !", hr);
    return hr;
  }
  hr = CLSIDFromProgID(wideName.c_str(), clsid);
  if (FAILED(hr) && showErrors) ShowComError("Function 'CLSIDFromProgID' failed !", hr);
  return hr;
}

HRESULT CServerConnection::ResolveClsidRemote(LPCSTR machine, LPCSTR progId, bool showErrors, CLSID* clsid) {
  std::u16string machineName;
  HRESULT hr = ToWideText(machine, machineName);
  if (FAILED(hr)) {
    if (showErrors) ShowComError("Cannot convert Machine Name to wide-character string !", hr);
    return hr;
  }
  std::u16string wideProgId;
  hr = ToWideText(progId, wideProgId);
  if (FAILED(hr)) {
    if (showErrors) ShowComError("Cannot convert Server Name to wide-character string !", hr);
    return hr;
  }

  COSERVERINFO serverInfo{};
  serverInfo.pwszName = machineName.data();
  MULTI_QI request{&IID_IOPCServerList, nullptr, S_OK};
  hr = CoCreateInstanceEx(CLSID_OPCServerList, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER, &serverInfo,
                          1, &request);
  if (FAILED(hr) || FAILED(request.hr) || request.pItf == nullptr) {
    if (request.pItf != nullptr) request.pItf->Release();
    const HRESULT failure = FAILED(hr) ? hr : FAILED(request.hr) ? request.hr : E_NOINTERFACE;
    if (showErrors) ShowComError("Cannot connect to OPCBrowser on remote machine !", failure);
    return failure;
  }
  auto* serverList = static_cast<IOPCServerList*>(request.pItf);
  hr = serverList->CLSIDFromProgID(wideProgId.c_str(), clsid);
  serverList->Release();
  if (FAILED(hr) && showErrors) {
    ShowComError("Function 'IOPCServerList::CLSIDFromProgID' on remote machine failed !", hr);
  }
  return hr;
}
