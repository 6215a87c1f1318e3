#pragma once

// IClassFactory: what a server hands out for each of its classes; the
// activation calls ask it for new objects.

#include "com/unknown.h"

DEFINE_GUID(IID_IClassFactory, 0x00000001, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IClassFactory : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};
using LPCLASSFACTORY = IClassFactory*;
COM_DECLARE_INTERFACE(IClassFactory, IID_IClassFactory, IUnknown);
