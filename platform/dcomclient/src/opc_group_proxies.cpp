// Proxies of the group object's interfaces and its item enumerator.

#include "opc_proxy_support.h"

namespace dcom::client::opc {
namespace {

// The per-item errors of a call as the caller's task-allocator array.
HRESULT errorsOf(HRESULT hr, ErrorsOut& out, DWORD count, HRESULT** errors) {
  if (SUCCEEDED(hr)) *errors = taskCopy(out.errors, count);
  return hr;
}

class GroupStateProxy : public InterfaceProxy<IOPCGroupStateMgt> {
public:
  using InterfaceProxy::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE GetState(DWORD* updateRate, BOOL* active, LPWSTR* name, LONG* timeBias,
                                     FLOAT* deadband, DWORD* lcid, OPCHANDLE* clientGroup,
                                     OPCHANDLE* serverGroup) override {
    if (!updateRate || !active || !name || !timeBias || !deadband || !lcid || !clientGroup || !serverGroup) {
      return E_INVALIDARG;
    }
    *name = nullptr;
    NoIn in;
    GroupStateOut out;
    HRESULT hr = resultOf(invoke(channel(), op(GroupStateOp::getState), in, out), out);
    if (FAILED(hr)) return hr;
    *updateRate = out.updateRate;
    *active = out.active;
    *name = taskText(out.name);
    *timeBias = out.timeBias;
    *deadband = out.percentDeadband;
    *lcid = out.lcid;
    *clientGroup = out.clientGroup;
    *serverGroup = out.serverGroup;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE SetState(DWORD* requestedRate, DWORD* revisedRate, BOOL* active, LONG* timeBias,
                                     FLOAT* deadband, DWORD* lcid, OPCHANDLE* clientGroup) override {
    if (!revisedRate) return E_INVALIDARG;
    SetStateIn in;
    if (requestedRate) in.requestedUpdateRate = std::make_unique<std::uint32_t>(*requestedRate);
    if (active) in.active = std::make_unique<std::int32_t>(*active);
    if (timeBias) in.timeBias = std::make_unique<std::int32_t>(*timeBias);
    if (deadband) in.percentDeadband = std::make_unique<float>(*deadband);
    if (lcid) in.lcid = std::make_unique<std::uint32_t>(*lcid);
    if (clientGroup) in.clientGroup = std::make_unique<std::uint32_t>(*clientGroup);
    DwordOut out;
    HRESULT hr = resultOf(invoke(channel(), op(GroupStateOp::setState), in, out), out);
    if (SUCCEEDED(hr)) *revisedRate = out.value;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE SetName(LPCWSTR name) override {
    TextIn in;
    in.text = text(name);
    ResultOut out;
    return resultOf(invoke(channel(), op(GroupStateOp::setName), in, out), out);
  }
  HRESULT STDMETHODCALLTYPE CloneGroup(LPCWSTR name, REFIID riid, LPUNKNOWN* group) override {
    if (!group) return E_INVALIDARG;
    *group = nullptr;
    NameIidIn in;
    in.name = text(name);
    in.iid = riid;
    InterfaceOut out;
    HRESULT hr = resultOf(invoke(channel(), op(GroupStateOp::cloneGroup), in, out), out);
    if (FAILED(hr)) return hr;
    HRESULT taken = takeInterface(channel(), out.pointer, riid, reinterpret_cast<void**>(group));
    return FAILED(taken) ? taken : hr;
  }
};

class PublicGroupStateProxy : public InterfaceProxy<IOPCPublicGroupStateMgt> {
public:
  using InterfaceProxy::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE GetState(BOOL* isPublic) override {
    if (!isPublic) return E_INVALIDARG;
    NoIn in;
    DwordOut out;
    HRESULT hr = resultOf(invoke(channel(), op(PublicGroupStateOp::getState), in, out), out);
    if (SUCCEEDED(hr)) *isPublic = static_cast<BOOL>(out.value);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE MoveToPublic() override {
    NoIn in;
    ResultOut out;
    return resultOf(invoke(channel(), op(PublicGroupStateOp::moveToPublic), in, out), out);
  }
};

class ItemMgtProxy : public InterfaceProxy<IOPCItemMgt> {
public:
  using InterfaceProxy::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE AddItems(DWORD count, OPCITEMDEF* items, OPCITEMRESULT** results,
                                     HRESULT** errors) override {
    return itemDefs(false, count, items, FALSE, results, errors);
  }
  HRESULT STDMETHODCALLTYPE ValidateItems(DWORD count, OPCITEMDEF* items, BOOL blobUpdate, OPCITEMRESULT** results,
                                          HRESULT** errors) override {
    return itemDefs(true, count, items, blobUpdate, results, errors);
  }
  HRESULT STDMETHODCALLTYPE RemoveItems(DWORD count, OPCHANDLE* handles, HRESULT** errors) override {
    if (!errors || (count && !handles)) return E_INVALIDARG;
    *errors = nullptr;
    HandlesIn in;
    in.count = count;
    in.handles.assign(handles, handles + count);
    ErrorsOut out;
    out.count = count;
    return errorsOf(resultOf(invoke(channel(), op(ItemMgtOp::removeItems), in, out), out), out, count, errors);
  }
  HRESULT STDMETHODCALLTYPE SetActiveState(DWORD count, OPCHANDLE* handles, BOOL active, HRESULT** errors) override {
    if (!errors || (count && !handles)) return E_INVALIDARG;
    *errors = nullptr;
    SetActiveStateIn in;
    in.count = count;
    in.handles.assign(handles, handles + count);
    in.active = active;
    ErrorsOut out;
    out.count = count;
    return errorsOf(resultOf(invoke(channel(), op(ItemMgtOp::setActiveState), in, out), out), out, count, errors);
  }
  HRESULT STDMETHODCALLTYPE SetClientHandles(DWORD count, OPCHANDLE* handles, OPCHANDLE* clientHandles,
                                             HRESULT** errors) override {
    if (!errors || (count && (!handles || !clientHandles))) return E_INVALIDARG;
    *errors = nullptr;
    SetClientHandlesIn in;
    in.count = count;
    in.handles.assign(handles, handles + count);
    in.clientHandles.assign(clientHandles, clientHandles + count);
    ErrorsOut out;
    out.count = count;
    return errorsOf(resultOf(invoke(channel(), op(ItemMgtOp::setClientHandles), in, out), out), out, count, errors);
  }
  HRESULT STDMETHODCALLTYPE SetDatatypes(DWORD count, OPCHANDLE* handles, VARTYPE* types, HRESULT** errors) override {
    if (!errors || (count && (!handles || !types))) return E_INVALIDARG;
    *errors = nullptr;
    SetDatatypesIn in;
    in.count = count;
    in.handles.assign(handles, handles + count);
    in.types.assign(types, types + count);
    ErrorsOut out;
    out.count = count;
    return errorsOf(resultOf(invoke(channel(), op(ItemMgtOp::setDatatypes), in, out), out), out, count, errors);
  }
  HRESULT STDMETHODCALLTYPE CreateEnumerator(REFIID riid, LPUNKNOWN* enumerator) override {
    if (!enumerator) return E_INVALIDARG;
    *enumerator = nullptr;
    IidIn in;
    in.iid = riid;
    InterfaceOut out;
    HRESULT hr = resultOf(invoke(channel(), op(ItemMgtOp::createEnumerator), in, out), out);
    // S_FALSE: a group without items hands out no enumerator.
    if (hr != S_OK) return hr;
    HRESULT taken = takeInterface(channel(), out.pointer, riid, reinterpret_cast<void**>(enumerator));
    return FAILED(taken) ? taken : hr;
  }

private:
  HRESULT itemDefs(bool validate, DWORD count, OPCITEMDEF* items, BOOL blobUpdate, OPCITEMRESULT** results,
                   HRESULT** errors) {
    if (!results || !errors || (count && !items)) return E_INVALIDARG;
    *results = nullptr;
    *errors = nullptr;
    ItemDefsIn in;
    in.count = count;
    in.blobUpdate = blobUpdate;
    in.items.resize(count);
    for (DWORD i = 0; i < count; ++i) {
      const OPCITEMDEF& def = items[i];
      ItemDef& item = in.items[i];
      item.accessPath = optionalText(def.szAccessPath);
      item.itemId = optionalText(def.szItemID);
      item.active = def.bActive;
      item.clientHandle = def.hClient;
      if (def.pBlob && def.dwBlobSize) item.blob.assign(def.pBlob, def.pBlob + def.dwBlobSize);
      item.blobSize = static_cast<std::uint32_t>(item.blob.size());
      item.requestedType = def.vtRequestedDataType;
      item.reserved = def.wReserved;
    }
    ItemResultsOut out;
    out.count = count;
    in.orpcThis = orpcThis();
    HRESULT hr = callMethod(
        channel(), op(validate ? ItemMgtOp::validateItems : ItemMgtOp::addItems),
        [&](auto& w) { walkIn(w, in, validate); }, [&](auto& w) { walkOut(w, out); });
    hr = resultOf(hr, out);
    if (FAILED(hr)) return hr;
    *results = taskArray<OPCITEMRESULT>(count);
    for (DWORD i = 0; i < count && *results && i < out.results.size(); ++i) {
      const ItemResult& r = out.results[i];
      OPCITEMRESULT& result = (*results)[i];
      result.hServer = r.serverHandle;
      result.vtCanonicalDataType = r.canonicalType;
      result.wReserved = r.reserved;
      result.dwAccessRights = r.accessRights;
      result.pBlob = taskBlob(r.blob);
      result.dwBlobSize = result.pBlob ? static_cast<DWORD>(r.blob.size()) : 0;
    }
    *errors = taskCopy(out.errors, count);
    return hr;
  }
};

class SyncIoProxy : public InterfaceProxy<IOPCSyncIO> {
public:
  using InterfaceProxy::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE Read(OPCDATASOURCE source, DWORD count, OPCHANDLE* handles, OPCITEMSTATE** values,
                                 HRESULT** errors) override {
    if (!values || !errors || (count && !handles)) return E_INVALIDARG;
    *values = nullptr;
    *errors = nullptr;
    SyncReadIn in;
    in.source = static_cast<std::uint16_t>(source);
    in.count = count;
    in.handles.assign(handles, handles + count);
    SyncReadOut out;
    out.count = count;
    HRESULT hr = resultOf(invoke(channel(), op(SyncIoOp::read), in, out), out);
    if (FAILED(hr)) return hr;
    *values = taskArray<OPCITEMSTATE>(count);
    for (DWORD i = 0; i < count && *values; ++i) {
      OPCITEMSTATE& state = (*values)[i];
      VariantInit(&state.vDataValue);
      if (i >= out.states.size()) continue;
      state.hClient = out.states[i].hClient;
      state.ftTimeStamp = out.states[i].ftTimeStamp;
      state.wQuality = out.states[i].wQuality;
      state.wReserved = out.states[i].wReserved;
      takeVariant(out.states[i].vDataValue, state.vDataValue);
    }
    *errors = taskCopy(out.errors, count);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Write(DWORD count, OPCHANDLE* handles, VARIANT* values, HRESULT** errors) override {
    if (!errors || (count && (!handles || !values))) return E_INVALIDARG;
    *errors = nullptr;
    SyncWriteIn in;
    in.count = count;
    in.handles.assign(handles, handles + count);
    for (DWORD i = 0; i < count; ++i) in.values.push_back(copyVariant(values[i]));
    ErrorsOut out;
    out.count = count;
    return errorsOf(resultOf(invoke(channel(), op(SyncIoOp::write), in, out), out), out, count, errors);
  }
};

class AsyncIoProxy : public InterfaceProxy<IOPCAsyncIO> {
public:
  using InterfaceProxy::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE Read(DWORD connection, OPCDATASOURCE source, DWORD count, OPCHANDLE* handles,
                                 DWORD* transaction, HRESULT** errors) override {
    if (!transaction || !errors || (count && !handles)) return E_INVALIDARG;
    *errors = nullptr;
    AsyncReadIn in;
    in.connection = connection;
    in.source = static_cast<std::uint16_t>(source);
    in.count = count;
    in.handles.assign(handles, handles + count);
    TransactionErrorsOut out;
    out.count = count;
    return transactionOf(resultOf(invoke(channel(), op(AsyncIoOp::read), in, out), out), out, count, transaction,
                         errors);
  }
  HRESULT STDMETHODCALLTYPE Write(DWORD connection, DWORD count, OPCHANDLE* handles, VARIANT* values,
                                  DWORD* transaction, HRESULT** errors) override {
    if (!transaction || !errors || (count && (!handles || !values))) return E_INVALIDARG;
    *errors = nullptr;
    AsyncWriteIn in;
    in.connection = connection;
    in.count = count;
    in.handles.assign(handles, handles + count);
    for (DWORD i = 0; i < count; ++i) in.values.push_back(copyVariant(values[i]));
    TransactionErrorsOut out;
    out.count = count;
    return transactionOf(resultOf(invoke(channel(), op(AsyncIoOp::write), in, out), out), out, count, transaction,
                         errors);
  }
  HRESULT STDMETHODCALLTYPE Refresh(DWORD connection, OPCDATASOURCE source, DWORD* transaction) override {
    if (!transaction) return E_INVALIDARG;
    RefreshIn in;
    in.connection = connection;
    in.source = static_cast<std::uint16_t>(source);
    DwordOut out;
    HRESULT hr = resultOf(invoke(channel(), op(AsyncIoOp::refresh), in, out), out);
    if (SUCCEEDED(hr)) *transaction = out.value;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Cancel(DWORD transaction) override {
    DwordIn in;
    in.value = transaction;
    ResultOut out;
    return resultOf(invoke(channel(), op(AsyncIoOp::cancel), in, out), out);
  }

private:
  static HRESULT transactionOf(HRESULT hr, TransactionErrorsOut& out, DWORD count, DWORD* transaction,
                               HRESULT** errors) {
    if (FAILED(hr)) return hr;
    *transaction = out.transaction;
    *errors = taskCopy(out.errors, count);
    return hr;
  }
};

class ItemAttributesEnumProxy : public EnumeratorProxy<IEnumOPCItemAttributes> {
public:
  using EnumeratorProxy::EnumeratorProxy;
  HRESULT STDMETHODCALLTYPE Next(ULONG count, OPCITEMATTRIBUTES** items, ULONG* fetched) override {
    if (!items || !fetched) return E_INVALIDARG;
    *items = nullptr;
    *fetched = 0;
    DwordIn in;
    in.value = count;
    ItemAttributesNextOut out;
    out.requested = count;
    HRESULT hr = resultOf(invoke(channel(), op(EnumOp::next), in, out), out);
    if (FAILED(hr)) return hr;
    ULONG got = std::min<ULONG>({out.fetched, count, static_cast<ULONG>(out.items.size())});
    *items = taskArray<OPCITEMATTRIBUTES>(got);
    for (ULONG i = 0; i < got && *items; ++i) {
      ItemAttributes& a = out.items[i];
      OPCITEMATTRIBUTES& item = (*items)[i];
      item.szAccessPath = taskText(a.accessPath);
      item.szItemID = taskText(a.itemId);
      item.bActive = a.active;
      item.hClient = a.clientHandle;
      item.hServer = a.serverHandle;
      item.dwAccessRights = a.accessRights;
      item.pBlob = taskBlob(a.blob);
      item.dwBlobSize = item.pBlob ? static_cast<DWORD>(a.blob.size()) : 0;
      item.vtRequestedDataType = a.requestedType;
      item.vtCanonicalDataType = a.canonicalType;
      item.dwEUType = static_cast<OPCEUTYPE>(a.euType);
      VariantInit(&item.vEUInfo);
      takeVariant(a.euInfo, item.vEUInfo);
    }
    *fetched = *items ? got : 0;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumOPCItemAttributes** copy) override {
    return cloneAs(IID_IEnumOPCItemAttributes, copy);
  }
};

template <class P>
std::unique_ptr<ProxyBase> make(std::shared_ptr<Channel> channel) {
  return std::make_unique<P>(std::move(channel));
}

}  // namespace

void registerGroupProxies() {
  registerProxy(IID_IOPCGroupStateMgt, make<GroupStateProxy>);
  registerProxy(IID_IOPCPublicGroupStateMgt, make<PublicGroupStateProxy>);
  registerProxy(IID_IOPCItemMgt, make<ItemMgtProxy>);
  registerProxy(IID_IOPCSyncIO, make<SyncIoProxy>);
  registerProxy(IID_IOPCAsyncIO, make<AsyncIoProxy>);
  registerProxy(IID_IEnumOPCItemAttributes, make<ItemAttributesEnumProxy>);
}

}  // namespace dcom::client::opc
