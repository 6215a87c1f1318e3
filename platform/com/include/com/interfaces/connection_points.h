#pragma once

// Connection points: an object that calls out to client sinks publishes one
// IConnectionPoint per outgoing interface through IConnectionPointContainer.
// Advise hands back a cookie; Unadvise with that cookie ends the connection.

#include "com/unknown.h"

DEFINE_GUID(IID_IConnectionPointContainer, 0xB196B284, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34,
            0x1D, 0x07);
DEFINE_GUID(IID_IEnumConnectionPoints, 0xB196B285, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D,
            0x07);
DEFINE_GUID(IID_IConnectionPoint, 0xB196B286, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
DEFINE_GUID(IID_IEnumConnections, 0xB196B287, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);

struct IConnectionPoint;
struct IConnectionPointContainer;

// One connection: the sink (with a reference the receiver releases) and its
// cookie.
struct CONNECTDATA {
  IUnknown* pUnk;
  DWORD dwCookie;
};
using LPCONNECTDATA = CONNECTDATA*;

struct IEnumConnections : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, CONNECTDATA* elements, ULONG* fetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumConnections** copy) = 0;

 protected:
  ~IEnumConnections() = default;
};
using LPENUMCONNECTIONS = IEnumConnections*;
COM_DECLARE_INTERFACE(IEnumConnections, IID_IEnumConnections, IUnknown);

struct IConnectionPoint : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
  virtual HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) = 0;
  virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) = 0;

 protected:
  ~IConnectionPoint() = default;
};
using LPCONNECTIONPOINT = IConnectionPoint*;
COM_DECLARE_INTERFACE(IConnectionPoint, IID_IConnectionPoint, IUnknown);

struct IEnumConnectionPoints : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** elements, ULONG* fetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** copy) = 0;

 protected:
  ~IEnumConnectionPoints() = default;
};
using LPENUMCONNECTIONPOINTS = IEnumConnectionPoints*;
COM_DECLARE_INTERFACE(IEnumConnectionPoints, IID_IEnumConnectionPoints, IUnknown);

struct IConnectionPointContainer : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) = 0;

 protected:
  ~IConnectionPointContainer() = default;
};
using LPCONNECTIONPOINTCONTAINER = IConnectionPointContainer*;
COM_DECLARE_INTERFACE(IConnectionPointContainer, IID_IConnectionPointContainer, IUnknown);
