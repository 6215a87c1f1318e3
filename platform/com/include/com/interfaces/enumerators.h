#pragma once

// IEnumUnknown and IEnumString. Next returns S_OK when it fetched all that
// was asked for and S_FALSE when it ran out; strings come from the task
// allocator and the caller frees them.

#include "com/unknown.h"

DEFINE_GUID(IID_IEnumUnknown, 0x00000100, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IEnumString, 0x00000101, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IEnumUnknown : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, IUnknown** elements, ULONG* fetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumUnknown** copy) = 0;

 protected:
  ~IEnumUnknown() = default;
};
using LPENUMUNKNOWN = IEnumUnknown*;
COM_DECLARE_INTERFACE(IEnumUnknown, IID_IEnumUnknown, IUnknown);

struct IEnumString : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, LPOLESTR* elements, ULONG* fetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumString** copy) = 0;

 protected:
  ~IEnumString() = default;
};
using LPENUMSTRING = IEnumString*;
COM_DECLARE_INTERFACE(IEnumString, IID_IEnumString, IUnknown);
