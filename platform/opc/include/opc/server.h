#pragma once

// The interfaces of an OPC Data Access server object: IOPCServer and the
// optional IOPCServerPublicGroups, IOPCBrowseServerAddressSpace and
// IOPCItemProperties. Methods are declared in the published order.

#include "com/interfaces/enumerators.h"
#include "com/unknown.h"
#include "opc/records.h"
#include "opc/types.h"

DEFINE_GUID(IID_IOPCServer, 0x39C13A4D, 0x011E, 0x11D0, 0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3);
DEFINE_GUID(IID_IOPCServerPublicGroups, 0x39C13A4E, 0x011E, 0x11D0, 0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD,
            0xB3);
DEFINE_GUID(IID_IOPCBrowseServerAddressSpace, 0x39C13A4F, 0x011E, 0x11D0, 0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8,
            0xAD, 0xB3);
DEFINE_GUID(IID_IOPCItemProperties, 0x39C13A72, 0x011E, 0x11D0, 0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3);

struct IOPCServer : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate,
                                             OPCHANDLE hClientGroup, LONG* pTimeBias, FLOAT* pPercentDeadband,
                                             DWORD dwLCID, OPCHANDLE* phServerGroup, DWORD* pRevisedUpdateRate,
                                             REFIID riid, LPUNKNOWN* ppUnk) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetStatus(OPCSERVERSTATUS** ppServerStatus) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveGroup(OPCHANDLE hServerGroup, BOOL bForce) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateGroupEnumerator(OPCENUMSCOPE dwScope, REFIID riid, LPUNKNOWN* ppUnk) = 0;

 protected:
  ~IOPCServer() = default;
};
COM_DECLARE_INTERFACE(IOPCServer, IID_IOPCServer, IUnknown);

struct IOPCServerPublicGroups : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetPublicGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemovePublicGroup(OPCHANDLE hServerGroup, BOOL bForce) = 0;

 protected:
  ~IOPCServerPublicGroups() = default;
};
COM_DECLARE_INTERFACE(IOPCServerPublicGroups, IID_IOPCServerPublicGroups, IUnknown);

struct IOPCBrowseServerAddressSpace : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType) = 0;
  virtual HRESULT STDMETHODCALLTYPE ChangeBrowsePosition(OPCBROWSEDIRECTION dwBrowseDirection,
                                                         LPCWSTR szString) = 0;
  virtual HRESULT STDMETHODCALLTYPE BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                                     VARTYPE vtDataTypeFilter, DWORD dwAccessRightsFilter,
                                                     LPENUMSTRING* ppIEnumString) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID) = 0;
  virtual HRESULT STDMETHODCALLTYPE BrowseAccessPaths(LPCWSTR szItemID, LPENUMSTRING* ppIEnumString) = 0;

 protected:
  ~IOPCBrowseServerAddressSpace() = default;
};
COM_DECLARE_INTERFACE(IOPCBrowseServerAddressSpace, IID_IOPCBrowseServerAddressSpace, IUnknown);

struct IOPCItemProperties : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount,
                                                             DWORD** ppPropertyIDs, LPWSTR** ppDescriptions,
                                                             VARTYPE** ppvtDataTypes) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                                      VARIANT** ppvData, HRESULT** ppErrors) = 0;
  virtual HRESULT STDMETHODCALLTYPE LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                                  LPWSTR** ppszNewItemIDs, HRESULT** ppErrors) = 0;

 protected:
  ~IOPCItemProperties() = default;
};
COM_DECLARE_INTERFACE(IOPCItemProperties, IID_IOPCItemProperties, IUnknown);
