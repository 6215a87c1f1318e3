#pragma once

// IPersist and IPersistFile: an object that saves its state to a file and
// loads it again.

#include "com/unknown.h"

DEFINE_GUID(IID_IPersist, 0x0000010C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IPersistFile, 0x0000010B, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IPersist : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) = 0;

 protected:
  ~IPersist() = default;
};
using LPPERSIST = IPersist*;
COM_DECLARE_INTERFACE(IPersist, IID_IPersist, IUnknown);

struct IPersistFile : IPersist {
  // S_OK when the object changed since it was last saved, S_FALSE otherwise.
  virtual HRESULT STDMETHODCALLTYPE IsDirty() = 0;
  virtual HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, DWORD mode) = 0;
  virtual HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, BOOL remember) = 0;
  virtual HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR fileName) = 0;
  // The name is allocated with the task allocator; S_FALSE with a default
  // name when the object has no file yet.
  virtual HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* fileName) = 0;

 protected:
  ~IPersistFile() = default;
};
using LPPERSISTFILE = IPersistFile*;
COM_DECLARE_INTERFACE(IPersistFile, IID_IPersistFile, IPersist);
