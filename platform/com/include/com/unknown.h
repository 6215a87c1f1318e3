#pragma once

// IUnknown, the root of every interface. Interfaces are abstract classes whose
// pure virtual methods are declared in COM's method order, so the table of
// operations has COM's layout. They have no virtual destructor: an object goes
// away through its last Release.

#include "com/export.h"
#include "com/guid.h"
#include "com/interface_id.h"

DEFINE_GUID(IID_IUnknown, 0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

template <>
struct com::InterfaceTraits<IUnknown> {
  static constexpr const IID& iid = IID_IUnknown;
  using Base = IUnknown;
};

// Only the IUnknown part of IDispatch is used here (values of type
// VT_DISPATCH are copied and released, never invoked).
DEFINE_GUID(IID_IDispatch, 0x00020400, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
struct IDispatch : IUnknown {
 protected:
  ~IDispatch() = default;
};
COM_DECLARE_INTERFACE(IDispatch, IID_IDispatch, IUnknown);
