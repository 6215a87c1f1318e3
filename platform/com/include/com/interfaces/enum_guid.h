#pragma once

// IEnumGUID (also known as IEnumCLSID): an enumerator of class or category
// identifiers, as the component-category services hand them out.

#include "com/unknown.h"

DEFINE_GUID(IID_IEnumGUID, 0x0002E000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
#define IID_IEnumCLSID IID_IEnumGUID

struct IEnumGUID : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, GUID* elements, ULONG* fetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumGUID** copy) = 0;

 protected:
  ~IEnumGUID() = default;
};
using IEnumCLSID = IEnumGUID;
using LPENUMGUID = IEnumGUID*;
using LPENUMCLSID = IEnumGUID*;
COM_DECLARE_INTERFACE(IEnumGUID, IID_IEnumGUID, IUnknown);
