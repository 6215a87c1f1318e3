#pragma once

// A group of the sample server as its clients see it: the COM object with
// the group interfaces, over the group's shared state (group_state.h).
// Methods live in one file per interface: group_state_mgt.cpp,
// item_mgt.cpp, sync_io.cpp, async_io.cpp, async_io2.cpp, data_object.cpp
// and data_callback.cpp (IConnectionPointContainer).

#include <memory>

#include "com/interfaces/connection_points.h"
#include "com/objidl.h"
#include "com/object.h"
#include "group_state.h"
#include "opc/group.h"

namespace sample {

class ServerCore;

class Group final : public com::Object<Group, IOPCGroupStateMgt, IOPCPublicGroupStateMgt, IOPCItemMgt, IOPCSyncIO,
                                       IOPCAsyncIO, IDataObject, IOPCAsyncIO2, IConnectionPointContainer> {
 public:
  Group(std::shared_ptr<ServerCore> core, std::shared_ptr<GroupState> state);

  // Leaves out the interfaces the server's options omit.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;

  // IOPCGroupStateMgt
  HRESULT STDMETHODCALLTYPE GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias,
                                     FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup,
                                     OPCHANDLE* phServerGroup) override;
  HRESULT STDMETHODCALLTYPE SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate, BOOL* pActive,
                                     LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD* pLCID,
                                     OPCHANDLE* phClientGroup) override;
  HRESULT STDMETHODCALLTYPE SetName(LPCWSTR szName) override;
  HRESULT STDMETHODCALLTYPE CloneGroup(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) override;

  // IOPCPublicGroupStateMgt
  HRESULT STDMETHODCALLTYPE GetState(BOOL* pPublic) override;
  HRESULT STDMETHODCALLTYPE MoveToPublic() override;

  // IOPCItemMgt
  HRESULT STDMETHODCALLTYPE AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults,
                                     HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE ValidateItems(DWORD dwCount, OPCITEMDEF* pItemArray, BOOL bBlobUpdate,
                                          OPCITEMRESULT** ppValidationResults, HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE SetActiveState(DWORD dwCount, OPCHANDLE* phServer, BOOL bActive,
                                           HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE SetClientHandles(DWORD dwCount, OPCHANDLE* phServer, OPCHANDLE* phClient,
                                             HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE SetDatatypes(DWORD dwCount, OPCHANDLE* phServer, VARTYPE* pRequestedDatatypes,
                                         HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) override;

  // IOPCSyncIO
  HRESULT STDMETHODCALLTYPE Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer,
                                 OPCITEMSTATE** ppItemValues, HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues,
                                  HRESULT** ppErrors) override;

  // IOPCAsyncIO
  HRESULT STDMETHODCALLTYPE Read(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer,
                                 DWORD* pTransactionID, HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE Write(DWORD dwConnection, DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues,
                                  DWORD* pTransactionID, HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE Refresh(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD* pTransactionID) override;
  HRESULT STDMETHODCALLTYPE Cancel(DWORD dwTransactionID) override;

  // IDataObject
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) override;
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** connections) override;

  // IOPCAsyncIO2
  HRESULT STDMETHODCALLTYPE Read(DWORD dwCount, OPCHANDLE* phServer, DWORD dwTransactionID, DWORD* pdwCancelID,
                                 HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, DWORD dwTransactionID,
                                  DWORD* pdwCancelID, HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE Refresh2(OPCDATASOURCE dwSource, DWORD dwTransactionID, DWORD* pdwCancelID) override;
  HRESULT STDMETHODCALLTYPE Cancel2(DWORD dwCancelID) override;
  HRESULT STDMETHODCALLTYPE SetEnable(BOOL bEnable) override;
  HRESULT STDMETHODCALLTYPE GetEnable(BOOL* pbEnable) override;

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

 private:
  // The group's one connection point, for IOPCDataCallback. It is part of
  // the group: its references are the group's.
  class CallbackPoint final : public IConnectionPoint {
   public:
    explicit CallbackPoint(Group& group) : group_(group) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

   private:
    Group& group_;
  };

  // Queues an IOPCAsyncIO2 request and hands out its cancel ID; the
  // group's lock is held.
  void queueForCallback(AsyncRequest&& request, DWORD* cancelId);
  // Checks each handle of an asynchronous read (no `values`) or write and
  // adds those that pass, with their values, to `request`; the errors say
  // why the others were left out. True when every handle passed; the
  // group's lock is held.
  bool admitAsyncItems(DWORD count, const OPCHANDLE* handles, const VARIANT* values, HRESULT* errors,
                       AsyncRequest& request) const;

  // Whether the group still belongs to a server (see GroupState::detached).
  bool attached() const { return !state_->detached.load(); }
  void configurationChanged() { state_->server->markChanged(); }
  const AddressSpace& space() const { return *state_->server->space; }

  const std::shared_ptr<ServerCore> core_;
  const std::shared_ptr<GroupState> state_;
  CallbackPoint callbackPoint_{*this};
};

}  // namespace sample
