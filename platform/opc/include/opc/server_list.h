#pragma once

// The OPC server list object: lists the OPC servers registered on a machine
// by category and resolves their ProgIDs there, so that a client can find a
// server on a machine whose registry it cannot read.

#include "com/interfaces/enum_guid.h"
#include "com/unknown.h"

DEFINE_GUID(IID_IOPCServerList, 0x13486D50, 0x4821, 0x11D2, 0xA4, 0x94, 0x3C, 0xB3, 0x06, 0xC1, 0x00, 0x00);
DEFINE_GUID(CLSID_OPCServerList, 0x13486D51, 0x4821, 0x11D2, 0xA4, 0x94, 0x3C, 0xB3, 0x06, 0xC1, 0x00, 0x00);

struct IOPCServerList : IUnknown {
  // The classes that implement at least one of the rgcatidImpl categories
  // (any class when none is given) and every one of the rgcatidReq ones.
  virtual HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG cImplemented, CATID rgcatidImpl[],
                                                            ULONG cRequired, CATID rgcatidReq[],
                                                            IEnumGUID** ppenumClsid) = 0;
  // The ProgID and the description of a class, from the task allocator.
  virtual HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR* ppszProgID,
                                                    LPOLESTR* ppszUserType) = 0;
  virtual HRESULT STDMETHODCALLTYPE CLSIDFromProgID(LPCOLESTR szProgId, LPCLSID clsid) = 0;

 protected:
  ~IOPCServerList() = default;
};
COM_DECLARE_INTERFACE(IOPCServerList, IID_IOPCServerList, IUnknown);

DEFINE_GUID(IID_IOPCEnumGUID, 0x55C382C8, 0x21C7, 0x4E88, 0x96, 0xC1, 0xBE, 0xCF, 0xB1, 0xE3, 0xF4, 0x83);
DEFINE_GUID(IID_IOPCServerList2, 0x9DD0B56C, 0xAD9E, 0x43EE, 0x83, 0x05, 0x48, 0x7F, 0x31, 0x88, 0xBF, 0x7A);

// IEnumGUID under an identifier of its own, for IOPCServerList2.
struct IOPCEnumGUID : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, GUID* elements, ULONG* fetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IOPCEnumGUID** copy) = 0;

 protected:
  ~IOPCEnumGUID() = default;
};
COM_DECLARE_INTERFACE(IOPCEnumGUID, IID_IOPCEnumGUID, IUnknown);

// The same as IOPCServerList, with IOPCEnumGUID for the classes and the
// version-independent ProgID told apart from the ProgID.
struct IOPCServerList2 : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG cImplemented, CATID rgcatidImpl[],
                                                            ULONG cRequired, CATID rgcatidReq[],
                                                            IOPCEnumGUID** ppenumClsid) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR* ppszProgID, LPOLESTR* ppszUserType,
                                                    LPOLESTR* ppszVerIndProgID) = 0;
  virtual HRESULT STDMETHODCALLTYPE CLSIDFromProgID(LPCOLESTR szProgId, LPCLSID clsid) = 0;

 protected:
  ~IOPCServerList2() = default;
};
COM_DECLARE_INTERFACE(IOPCServerList2, IID_IOPCServerList2, IUnknown);
