#pragma once

// The interfaces of an OPC Data Access group object: state management,
// item management and its enumerator, synchronous I/O, the DA 1.0
// asynchronous I/O (answered through the group's IDataObject in the
// data-change streams of opc/stream.h) and the DA 2.0 asynchronous I/O
// (answered through an IOPCDataCallback that the client connects at the
// group's IConnectionPointContainer). Methods are declared in the published
// order.

#include "com/unknown.h"
#include "opc/records.h"
#include "opc/types.h"

DEFINE_GUID(IID_IOPCGroupStateMgt, 0x39C13A50, 0x011E, 0x11D0, 0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3);
DEFINE_GUID(IID_IOPCPublicGroupStateMgt, 0x39C13A51, 0x011E, 0x11D0, 0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD,
            0xB3);
DEFINE_GUID(IID_IOPCSyncIO, 0x39C13A52, 0x011E, 0x11D0, 0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3);
DEFINE_GUID(IID_IOPCAsyncIO, 0x39C13A53, 0x011E, 0x11D0, 0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3);
DEFINE_GUID(IID_IOPCItemMgt, 0x39C13A54, 0x011E, 0x11D0, 0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3);
DEFINE_GUID(IID_IEnumOPCItemAttributes, 0x39C13A55, 0x011E, 0x11D0, 0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD,
            0xB3);
DEFINE_GUID(IID_IOPCDataCallback, 0x39C13A70, 0x011E, 0x11D0, 0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3);
DEFINE_GUID(IID_IOPCAsyncIO2, 0x39C13A71, 0x011E, 0x11D0, 0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3);

struct IOPCGroupStateMgt : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias,
                                             FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup,
                                             OPCHANDLE* phServerGroup) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate,
                                             BOOL* pActive, LONG* pTimeBias, FLOAT* pPercentDeadband,
                                             DWORD* pLCID, OPCHANDLE* phClientGroup) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetName(LPCWSTR szName) = 0;
  virtual HRESULT STDMETHODCALLTYPE CloneGroup(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) = 0;

 protected:
  ~IOPCGroupStateMgt() = default;
};
COM_DECLARE_INTERFACE(IOPCGroupStateMgt, IID_IOPCGroupStateMgt, IUnknown);

struct IOPCPublicGroupStateMgt : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetState(BOOL* pPublic) = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveToPublic() = 0;

 protected:
  ~IOPCPublicGroupStateMgt() = default;
};
COM_DECLARE_INTERFACE(IOPCPublicGroupStateMgt, IID_IOPCPublicGroupStateMgt, IUnknown);

struct IOPCSyncIO : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer,
                                         OPCITEMSTATE** ppItemValues, HRESULT** ppErrors) = 0;
  virtual HRESULT STDMETHODCALLTYPE Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues,
                                          HRESULT** ppErrors) = 0;

 protected:
  ~IOPCSyncIO() = default;
};
COM_DECLARE_INTERFACE(IOPCSyncIO, IID_IOPCSyncIO, IUnknown);

// The DA 1.0 asynchronous I/O. dwConnection is the connection number that
// IDataObject::DAdvise returned for the format the results are to come in
// (a DATA or DATATIME connection for reads and refreshes, a WRITECOMPLETE
// connection for writes).
struct IOPCAsyncIO : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Read(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD dwCount,
                                         OPCHANDLE* phServer, DWORD* pTransactionID, HRESULT** ppErrors) = 0;
  virtual HRESULT STDMETHODCALLTYPE Write(DWORD dwConnection, DWORD dwCount, OPCHANDLE* phServer,
                                          VARIANT* pItemValues, DWORD* pTransactionID, HRESULT** ppErrors) = 0;
  virtual HRESULT STDMETHODCALLTYPE Refresh(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD* pTransactionID) = 0;
  virtual HRESULT STDMETHODCALLTYPE Cancel(DWORD dwTransactionID) = 0;

 protected:
  ~IOPCAsyncIO() = default;
};
COM_DECLARE_INTERFACE(IOPCAsyncIO, IID_IOPCAsyncIO, IUnknown);

struct IOPCItemMgt : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults,
                                             HRESULT** ppErrors) = 0;
  virtual HRESULT STDMETHODCALLTYPE ValidateItems(DWORD dwCount, OPCITEMDEF* pItemArray, BOOL bBlobUpdate,
                                                  OPCITEMRESULT** ppValidationResults, HRESULT** ppErrors) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetActiveState(DWORD dwCount, OPCHANDLE* phServer, BOOL bActive,
                                                   HRESULT** ppErrors) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetClientHandles(DWORD dwCount, OPCHANDLE* phServer, OPCHANDLE* phClient,
                                                     HRESULT** ppErrors) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDatatypes(DWORD dwCount, OPCHANDLE* phServer, VARTYPE* pRequestedDatatypes,
                                                 HRESULT** ppErrors) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) = 0;

 protected:
  ~IOPCItemMgt() = default;
};
COM_DECLARE_INTERFACE(IOPCItemMgt, IID_IOPCItemMgt, IUnknown);

// Next hands out an array of records (and their strings and blobs) from the
// task allocator; the caller frees each record's szAccessPath, szItemID and
// pBlob, clears its vEUInfo and frees the array.
struct IEnumOPCItemAttributes : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* pceltFetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumOPCItemAttributes** ppEnumItemAttributes) = 0;

 protected:
  ~IEnumOPCItemAttributes() = default;
};
COM_DECLARE_INTERFACE(IEnumOPCItemAttributes, IID_IEnumOPCItemAttributes, IUnknown);

// The DA 2.0 asynchronous I/O. The client names each request with a
// transaction ID of its own, which comes back in the completion callback;
// the server hands back a cancel ID for Cancel2. Results arrive through the
// group's IOPCDataCallback connection: reads in OnReadComplete, writes in
// OnWriteComplete, refreshes in OnDataChange, cancelled requests in
// OnCancelComplete. Read always reads from the device.
struct IOPCAsyncIO2 : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Read(DWORD dwCount, OPCHANDLE* phServer, DWORD dwTransactionID,
                                         DWORD* pdwCancelID, HRESULT** ppErrors) = 0;
  virtual HRESULT STDMETHODCALLTYPE Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues,
                                          DWORD dwTransactionID, DWORD* pdwCancelID, HRESULT** ppErrors) = 0;
  virtual HRESULT STDMETHODCALLTYPE Refresh2(OPCDATASOURCE dwSource, DWORD dwTransactionID, DWORD* pdwCancelID) = 0;
  virtual HRESULT STDMETHODCALLTYPE Cancel2(DWORD dwCancelID) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetEnable(BOOL bEnable) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetEnable(BOOL* pbEnable) = 0;

 protected:
  ~IOPCAsyncIO2() = default;
};
COM_DECLARE_INTERFACE(IOPCAsyncIO2, IID_IOPCAsyncIO2, IUnknown);

// The client's sink for a group's DA 2.0 callbacks. hGroup is the client's
// handle of the group; the arrays hold dwCount entries, one per item, and
// stay the caller's. hrMasterquality is S_FALSE when any quality is not
// good, hrMastererror (hrMastererr) S_FALSE when any item has an error.
// OnDataChange carries transaction ID 0 for the group's own updates and the
// client's ID for the answer to Refresh2.
struct IOPCDataCallback : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OnDataChange(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality,
                                                 HRESULT hrMastererror, DWORD dwCount, OPCHANDLE* phClientItems,
                                                 VARIANT* pvValues, WORD* pwQualities, FILETIME* pftTimeStamps,
                                                 HRESULT* pErrors) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnReadComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality,
                                                   HRESULT hrMastererror, DWORD dwCount, OPCHANDLE* phClientItems,
                                                   VARIANT* pvValues, WORD* pwQualities, FILETIME* pftTimeStamps,
                                                   HRESULT* pErrors) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnWriteComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMastererr,
                                                    DWORD dwCount, OPCHANDLE* pClienthandles, HRESULT* pErrors) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnCancelComplete(DWORD dwTransid, OPCHANDLE hGroup) = 0;

 protected:
  ~IOPCDataCallback() = default;
};
COM_DECLARE_INTERFACE(IOPCDataCallback, IID_IOPCDataCallback, IUnknown);
