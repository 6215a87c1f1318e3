#pragma once

// The OPC Common interfaces every OPC server shares: IOPCCommon (locale,
// error texts, client name) and IOPCShutdown, the sink through which a
// server asks its clients to disconnect (found through the server's
// IConnectionPointContainer).

#include "com/unknown.h"
#include "win/types.h"

DEFINE_GUID(IID_IOPCCommon, 0xF31DFDE2, 0x07B6, 0x11D2, 0xB2, 0xD8, 0x00, 0x60, 0x08, 0x3B, 0xA1, 0xFB);
DEFINE_GUID(IID_IOPCShutdown, 0xF31DFDE1, 0x07B6, 0x11D2, 0xB2, 0xD8, 0x00, 0x60, 0x08, 0x3B, 0xA1, 0xFB);

struct IOPCCommon : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetLocaleID(LCID dwLcid) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* pdwLcid) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT dwError, LPWSTR* ppString) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetClientName(LPCWSTR szName) = 0;

 protected:
  ~IOPCCommon() = default;
};
COM_DECLARE_INTERFACE(IOPCCommon, IID_IOPCCommon, IUnknown);

struct IOPCShutdown : IUnknown {
  // szReason may be null or empty when the server gives no reason.
  virtual HRESULT STDMETHODCALLTYPE ShutdownRequest(LPCWSTR szReason) = 0;

 protected:
  ~IOPCShutdown() = default;
};
COM_DECLARE_INTERFACE(IOPCShutdown, IID_IOPCShutdown, IUnknown);
