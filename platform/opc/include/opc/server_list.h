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
