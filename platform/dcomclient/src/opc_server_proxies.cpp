// Proxies of the server object's interfaces, the server list, the
// connection points and the standard enumerators.

#include "opc_proxy_support.h"

namespace dcom::client::opc {
namespace {

// Answers an [out, iid_is] interface of a call.
template <class In>
HRESULT interfaceCall(Channel& channel, std::uint16_t opnum, In& in, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  InterfaceOut out;
  HRESULT hr = resultOf(invoke(channel, opnum, in, out), out);
  if (FAILED(hr)) return hr;
  HRESULT taken = takeInterface(channel, out.pointer, iid, object);
  return FAILED(taken) ? taken : hr;
}

class ServerProxy : public InterfaceProxy<IOPCServer> {
public:
  using InterfaceProxy::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE AddGroup(LPCWSTR name, BOOL active, DWORD requestedRate, OPCHANDLE clientGroup,
                                     LONG* timeBias, FLOAT* deadband, DWORD lcid, OPCHANDLE* serverGroup,
                                     DWORD* revisedRate, REFIID riid, LPUNKNOWN* group) override {
    if (!serverGroup || !revisedRate || !group) return E_INVALIDARG;
    *group = nullptr;
    AddGroupIn in;
    in.name = text(name);
    in.active = active;
    in.requestedUpdateRate = requestedRate;
    in.clientGroup = clientGroup;
    if (timeBias) in.timeBias = std::make_unique<std::int32_t>(*timeBias);
    if (deadband) in.percentDeadband = std::make_unique<float>(*deadband);
    in.lcid = lcid;
    in.iid = riid;
    AddGroupOut out;
    HRESULT hr = resultOf(invoke(channel(), op(ServerOp::addGroup), in, out), out);
    if (FAILED(hr)) return hr;
    *serverGroup = out.serverGroup;
    *revisedRate = out.revisedUpdateRate;
    HRESULT taken = takeInterface(channel(), out.group, riid, reinterpret_cast<void**>(group));
    return FAILED(taken) ? taken : hr;
  }
  HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT error, LCID locale, LPWSTR* string) override {
    if (!string) return E_INVALIDARG;
    *string = nullptr;
    ServerErrorStringIn in;
    in.error = error;
    in.locale = locale;
    TextOut out;
    HRESULT hr = resultOf(invoke(channel(), op(ServerOp::getErrorString), in, out), out);
    if (SUCCEEDED(hr)) *string = taskText(out.text);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE GetGroupByName(LPCWSTR name, REFIID riid, LPUNKNOWN* group) override {
    NameIidIn in;
    in.name = text(name);
    in.iid = riid;
    return interfaceCall(channel(), op(ServerOp::getGroupByName), in, riid, reinterpret_cast<void**>(group));
  }
  HRESULT STDMETHODCALLTYPE GetStatus(OPCSERVERSTATUS** status) override {
    if (!status) return E_INVALIDARG;
    *status = nullptr;
    NoIn in;
    GetStatusOut out;
    HRESULT hr = resultOf(invoke(channel(), op(ServerOp::getStatus), in, out), out);
    if (FAILED(hr) || !out.status) return hr;
    OPCSERVERSTATUS* copy = taskArray<OPCSERVERSTATUS>(1);
    if (!copy) return E_OUTOFMEMORY;
    const ServerStatus& s = *out.status;
    copy->ftStartTime = s.startTime;
    copy->ftCurrentTime = s.currentTime;
    copy->ftLastUpdateTime = s.lastUpdateTime;
    copy->dwServerState = static_cast<OPCSERVERSTATE>(s.state);
    copy->dwGroupCount = s.groupCount;
    copy->dwBandWidth = s.bandWidth;
    copy->wMajorVersion = s.majorVersion;
    copy->wMinorVersion = s.minorVersion;
    copy->wBuildNumber = s.buildNumber;
    copy->wReserved = s.reserved;
    copy->szVendorInfo = taskText(s.vendorInfo);
    *status = copy;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE RemoveGroup(OPCHANDLE group, BOOL force) override {
    RemoveGroupIn in;
    in.group = group;
    in.force = force;
    ResultOut out;
    return resultOf(invoke(channel(), op(ServerOp::removeGroup), in, out), out);
  }
  HRESULT STDMETHODCALLTYPE CreateGroupEnumerator(OPCENUMSCOPE scope, REFIID riid, LPUNKNOWN* enumerator) override {
    CreateGroupEnumeratorIn in;
    in.scope = static_cast<std::uint16_t>(scope);
    in.iid = riid;
    return interfaceCall(channel(), op(ServerOp::createGroupEnumerator), in, riid,
                         reinterpret_cast<void**>(enumerator));
  }
};

class CommonProxy : public InterfaceProxy<IOPCCommon> {
public:
  using InterfaceProxy::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE SetLocaleID(LCID lcid) override {
    DwordIn in;
    in.value = lcid;
    ResultOut out;
    return resultOf(invoke(channel(), op(CommonOp::setLocaleId), in, out), out);
  }
  HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* lcid) override {
    if (!lcid) return E_INVALIDARG;
    NoIn in;
    DwordOut out;
    HRESULT hr = resultOf(invoke(channel(), op(CommonOp::getLocaleId), in, out), out);
    if (SUCCEEDED(hr)) *lcid = out.value;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE QueryAvailableLocaleIDs(DWORD* count, LCID** locales) override {
    if (!count || !locales) return E_INVALIDARG;
    *count = 0;
    *locales = nullptr;
    NoIn in;
    LocalesOut out;
    HRESULT hr = resultOf(invoke(channel(), op(CommonOp::queryAvailableLocaleIds), in, out), out);
    if (FAILED(hr)) return hr;
    *count = static_cast<DWORD>(out.locales.size());
    *locales = taskCopy(out.locales, out.locales.size());
    return hr;
  }
  HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT error, LPWSTR* string) override {
    if (!string) return E_INVALIDARG;
    *string = nullptr;
    ErrorIn in;
    in.error = error;
    TextOut out;
    HRESULT hr = resultOf(invoke(channel(), op(CommonOp::getErrorString), in, out), out);
    if (SUCCEEDED(hr)) *string = taskText(out.text);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE SetClientName(LPCWSTR name) override {
    TextIn in;
    in.text = text(name);
    ResultOut out;
    return resultOf(invoke(channel(), op(CommonOp::setClientName), in, out), out);
  }
};

class PublicGroupsProxy : public InterfaceProxy<IOPCServerPublicGroups> {
public:
  using InterfaceProxy::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE GetPublicGroupByName(LPCWSTR name, REFIID riid, LPUNKNOWN* group) override {
    NameIidIn in;
    in.name = text(name);
    in.iid = riid;
    return interfaceCall(channel(), op(PublicGroupsOp::getPublicGroupByName), in, riid,
                         reinterpret_cast<void**>(group));
  }
  HRESULT STDMETHODCALLTYPE RemovePublicGroup(OPCHANDLE group, BOOL force) override {
    RemoveGroupIn in;
    in.group = group;
    in.force = force;
    ResultOut out;
    return resultOf(invoke(channel(), op(PublicGroupsOp::removePublicGroup), in, out), out);
  }
};

class BrowseProxy : public InterfaceProxy<IOPCBrowseServerAddressSpace> {
public:
  using InterfaceProxy::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE QueryOrganization(OPCNAMESPACETYPE* type) override {
    if (!type) return E_INVALIDARG;
    NoIn in;
    EnumOut out;
    HRESULT hr = resultOf(invoke(channel(), op(BrowseOp::queryOrganization), in, out), out);
    if (SUCCEEDED(hr)) *type = static_cast<OPCNAMESPACETYPE>(out.value);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE ChangeBrowsePosition(OPCBROWSEDIRECTION direction, LPCWSTR name) override {
    ChangeBrowsePositionIn in;
    in.direction = static_cast<std::uint16_t>(direction);
    in.name = text(name);
    ResultOut out;
    return resultOf(invoke(channel(), op(BrowseOp::changeBrowsePosition), in, out), out);
  }
  HRESULT STDMETHODCALLTYPE BrowseOPCItemIDs(OPCBROWSETYPE filterType, LPCWSTR filter, VARTYPE dataType,
                                             DWORD accessRights, LPENUMSTRING* strings) override {
    BrowseItemIdsIn in;
    in.filterType = static_cast<std::uint16_t>(filterType);
    in.filter = text(filter);
    in.dataTypeFilter = dataType;
    in.accessRightsFilter = accessRights;
    return interfaceCall(channel(), op(BrowseOp::browseOpcItemIds), in, IID_IEnumString,
                         reinterpret_cast<void**>(strings));
  }
  HRESULT STDMETHODCALLTYPE GetItemID(LPWSTR dataId, LPWSTR* itemId) override {
    if (!itemId) return E_INVALIDARG;
    *itemId = nullptr;
    TextIn in;
    in.text = text(dataId);
    TextOut out;
    HRESULT hr = resultOf(invoke(channel(), op(BrowseOp::getItemId), in, out), out);
    if (SUCCEEDED(hr)) *itemId = taskText(out.text);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE BrowseAccessPaths(LPCWSTR itemId, LPENUMSTRING* strings) override {
    TextIn in;
    in.text = text(itemId);
    return interfaceCall(channel(), op(BrowseOp::browseAccessPaths), in, IID_IEnumString,
                         reinterpret_cast<void**>(strings));
  }
};

class ItemPropertiesProxy : public InterfaceProxy<IOPCItemProperties> {
public:
  using InterfaceProxy::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE QueryAvailableProperties(LPWSTR itemId, DWORD* count, DWORD** ids,
                                                     LPWSTR** descriptions, VARTYPE** types) override {
    if (!count || !ids || !descriptions || !types) return E_INVALIDARG;
    *count = 0;
    *ids = nullptr;
    *descriptions = nullptr;
    *types = nullptr;
    TextIn in;
    in.text = text(itemId);
    AvailablePropertiesOut out;
    HRESULT hr = resultOf(invoke(channel(), op(ItemPropertiesOp::queryAvailableProperties), in, out), out);
    if (FAILED(hr)) return hr;
    std::size_t n = out.ids.size();
    if (out.descriptions.size() != n || out.types.size() != n) return kBadStubData;
    *count = static_cast<DWORD>(n);
    *ids = taskCopy(out.ids, n);
    *types = taskCopy(out.types, n);
    *descriptions = taskArray<LPWSTR>(n);
    for (std::size_t i = 0; i < n && *descriptions; ++i) (*descriptions)[i] = taskText(out.descriptions[i]);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE GetItemProperties(LPWSTR itemId, DWORD count, DWORD* ids, VARIANT** values,
                                              HRESULT** errors) override {
    if (!values || !errors || (count && !ids)) return E_INVALIDARG;
    *values = nullptr;
    *errors = nullptr;
    PropertiesIn in;
    in.itemId = text(itemId);
    in.count = count;
    in.ids.assign(ids, ids + count);
    PropertyValuesOut out;
    out.count = count;
    HRESULT hr = resultOf(invoke(channel(), op(ItemPropertiesOp::getItemProperties), in, out), out);
    if (FAILED(hr)) return hr;
    *values = taskArray<VARIANT>(count);
    for (DWORD i = 0; i < count && *values; ++i) {
      if (i < out.values.size()) takeVariant(out.values[i], (*values)[i]);
      else VariantInit(&(*values)[i]);
    }
    *errors = taskCopy(out.errors, count);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LookupItemIDs(LPWSTR itemId, DWORD count, DWORD* ids, LPWSTR** newIds,
                                          HRESULT** errors) override {
    if (!newIds || !errors || (count && !ids)) return E_INVALIDARG;
    *newIds = nullptr;
    *errors = nullptr;
    PropertiesIn in;
    in.itemId = text(itemId);
    in.count = count;
    in.ids.assign(ids, ids + count);
    PropertyItemIdsOut out;
    out.count = count;
    HRESULT hr = resultOf(invoke(channel(), op(ItemPropertiesOp::lookupItemIds), in, out), out);
    if (FAILED(hr)) return hr;
    *newIds = taskArray<LPWSTR>(count);
    for (DWORD i = 0; i < count && *newIds && i < out.itemIds.size(); ++i) (*newIds)[i] = taskText(out.itemIds[i]);
    *errors = taskCopy(out.errors, count);
    return hr;
  }
};

class PersistFileProxy : public InterfaceProxy<IPersistFile> {
public:
  using InterfaceProxy::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
    if (!clsid) return E_POINTER;
    NoIn in;
    GuidOut out;
    HRESULT hr = resultOf(invoke(channel(), op(PersistFileOp::getClassId), in, out), out);
    if (SUCCEEDED(hr)) *clsid = out.value;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE IsDirty() override {
    NoIn in;
    ResultOut out;
    return resultOf(invoke(channel(), op(PersistFileOp::isDirty), in, out), out);
  }
  HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, DWORD mode) override {
    LoadIn in;
    in.fileName = text(fileName);
    in.mode = mode;
    ResultOut out;
    return resultOf(invoke(channel(), op(PersistFileOp::load), in, out), out);
  }
  HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, BOOL remember) override {
    SaveIn in;
    in.fileName = optionalText(fileName);
    in.remember = remember;
    ResultOut out;
    return resultOf(invoke(channel(), op(PersistFileOp::save), in, out), out);
  }
  HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR fileName) override {
    OptionalTextIn in;
    in.text = optionalText(fileName);
    ResultOut out;
    return resultOf(invoke(channel(), op(PersistFileOp::saveCompleted), in, out), out);
  }
  HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* fileName) override {
    if (!fileName) return E_POINTER;
    *fileName = nullptr;
    NoIn in;
    TextOut out;
    HRESULT hr = resultOf(invoke(channel(), op(PersistFileOp::getCurFile), in, out), out);
    if (SUCCEEDED(hr)) *fileName = taskText(out.text);
    return hr;
  }
};

class ServerListProxy : public InterfaceProxy<IOPCServerList> {
public:
  using InterfaceProxy::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG implementedCount, CATID implemented[], ULONG requiredCount,
                                                    CATID required[], IEnumGUID** classes) override {
    if ((implementedCount && !implemented) || (requiredCount && !required)) return E_INVALIDARG;
    EnumClassesIn in;
    in.implementedCount = implementedCount;
    in.implemented.assign(implemented, implemented + implementedCount);
    in.requiredCount = requiredCount;
    in.required.assign(required, required + requiredCount);
    return interfaceCall(channel(), op(ServerListOp::enumClassesOfCategories), in, IID_IEnumGUID,
                         reinterpret_cast<void**>(classes));
  }
  HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR* progId, LPOLESTR* userType) override {
    if (!progId || !userType) return E_INVALIDARG;
    *progId = nullptr;
    *userType = nullptr;
    ClassDetailsIn in;
    in.clsid = clsid;
    ClassDetailsOut out;
    HRESULT hr = resultOf(invoke(channel(), op(ServerListOp::getClassDetails), in, out), out);
    if (FAILED(hr)) return hr;
    *progId = taskText(out.progId);
    *userType = taskText(out.userType);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid) override {
    if (!clsid) return E_INVALIDARG;
    TextIn in;
    in.text = text(progId);
    GuidOut out;
    HRESULT hr = resultOf(invoke(channel(), op(ServerListOp::clsidFromProgId), in, out), out);
    if (SUCCEEDED(hr)) *clsid = out.value;
    return hr;
  }
};

class ContainerProxy : public InterfaceProxy<IConnectionPointContainer> {
public:
  using InterfaceProxy::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override {
    NoIn in;
    return interfaceCall(channel(), op(ContainerOp::enumConnectionPoints), in, IID_IEnumConnectionPoints,
                         reinterpret_cast<void**>(points));
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
    IidIn in;
    in.iid = riid;
    return interfaceCall(channel(), op(ContainerOp::findConnectionPoint), in, IID_IConnectionPoint,
                         reinterpret_cast<void**>(point));
  }
};

class ConnectionPointProxy : public InterfaceProxy<IConnectionPoint> {
public:
  using InterfaceProxy::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    if (!iid) return E_POINTER;
    NoIn in;
    GuidOut out;
    HRESULT hr = resultOf(invoke(channel(), op(ConnectionPointOp::getConnectionInterface), in, out), out);
    if (SUCCEEDED(hr)) *iid = out.value;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override {
    NoIn in;
    return interfaceCall(channel(), op(ConnectionPointOp::getConnectionPointContainer), in,
                         IID_IConnectionPointContainer, reinterpret_cast<void**>(container));
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    // The server cannot call back into this process yet, so no sink can be
    // connected; the answer is the one a point gives for a sink it cannot use.
    return CONNECT_E_CANNOTCONNECT;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    DwordIn in;
    in.value = cookie;
    ResultOut out;
    return resultOf(invoke(channel(), op(ConnectionPointOp::unadvise), in, out), out);
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override {
    NoIn in;
    return interfaceCall(channel(), op(ConnectionPointOp::enumConnections), in, IID_IEnumConnections,
                         reinterpret_cast<void**>(connections));
  }
};

class EnumStringProxy : public EnumeratorProxy<IEnumString> {
public:
  using EnumeratorProxy::EnumeratorProxy;
  HRESULT STDMETHODCALLTYPE Next(ULONG count, LPOLESTR* elements, ULONG* fetched) override {
    if (!elements || (count > 1 && !fetched)) return E_INVALIDARG;
    if (fetched) *fetched = 0;
    DwordIn in;
    in.value = count;
    StringNextOut out;
    out.requested = count;
    HRESULT hr = resultOf(invoke(channel(), op(EnumOp::next), in, out), out);
    if (FAILED(hr)) return hr;
    ULONG got = std::min<ULONG>({out.fetched, count, static_cast<ULONG>(out.strings.size())});
    for (ULONG i = 0; i < got; ++i) elements[i] = taskText(out.strings[i]);
    if (fetched) *fetched = got;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumString** copy) override { return cloneAs(IID_IEnumString, copy); }
};

// IEnumUnknown and IEnumConnectionPoints: enumerators of interfaces.
template <class I, class Element>
class EnumInterfaceProxy : public EnumeratorProxy<I> {
public:
  EnumInterfaceProxy(std::shared_ptr<Channel> channel, const IID& self, const IID& element)
      : EnumeratorProxy<I>(std::move(channel)), self_(self), element_(element) {}
  HRESULT STDMETHODCALLTYPE Next(ULONG count, Element** elements, ULONG* fetched) override {
    if (!elements || (count > 1 && !fetched)) return E_INVALIDARG;
    if (fetched) *fetched = 0;
    DwordIn in;
    in.value = count;
    UnknownNextOut out;
    out.requested = count;
    HRESULT hr = resultOf(invoke(this->channel(), op(EnumOp::next), in, out), out);
    if (FAILED(hr)) return hr;
    ULONG got = std::min<ULONG>({out.fetched, count, static_cast<ULONG>(out.objects.size())});
    for (ULONG i = 0; i < got; ++i) {
      elements[i] = nullptr;
      if (out.objects[i]) takeInterface(this->channel(), out.objects[i], element_, reinterpret_cast<void**>(&elements[i]));
    }
    if (fetched) *fetched = got;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Clone(I** copy) override { return this->cloneAs(self_, copy); }

private:
  const IID self_;
  const IID element_;
};

class EnumGuidProxy : public EnumeratorProxy<IEnumGUID> {
public:
  using EnumeratorProxy::EnumeratorProxy;
  HRESULT STDMETHODCALLTYPE Next(ULONG count, GUID* elements, ULONG* fetched) override {
    if (!elements || (count > 1 && !fetched)) return E_INVALIDARG;
    if (fetched) *fetched = 0;
    DwordIn in;
    in.value = count;
    GuidNextOut out;
    out.requested = count;
    HRESULT hr = resultOf(invoke(channel(), op(EnumOp::next), in, out), out);
    if (FAILED(hr)) return hr;
    ULONG got = std::min<ULONG>({out.fetched, count, static_cast<ULONG>(out.guids.size())});
    for (ULONG i = 0; i < got; ++i) elements[i] = out.guids[i];
    if (fetched) *fetched = got;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumGUID** copy) override { return cloneAs(IID_IEnumGUID, copy); }
};

template <class P>
std::unique_ptr<ProxyBase> make(std::shared_ptr<Channel> channel) {
  return std::make_unique<P>(std::move(channel));
}

}  // namespace

void registerServerProxies() {
  registerProxy(IID_IOPCServer, make<ServerProxy>);
  registerProxy(IID_IOPCCommon, make<CommonProxy>);
  registerProxy(IID_IOPCServerPublicGroups, make<PublicGroupsProxy>);
  registerProxy(IID_IOPCBrowseServerAddressSpace, make<BrowseProxy>);
  registerProxy(IID_IOPCItemProperties, make<ItemPropertiesProxy>);
  registerProxy(IID_IPersistFile, make<PersistFileProxy>);
  registerProxy(IID_IOPCServerList, make<ServerListProxy>);
  registerProxy(IID_IConnectionPointContainer, make<ContainerProxy>);
  registerProxy(IID_IConnectionPoint, make<ConnectionPointProxy>);
  registerProxy(IID_IEnumString, make<EnumStringProxy>);
  registerProxy(IID_IEnumGUID, make<EnumGuidProxy>);
  registerProxy(IID_IEnumUnknown, [](std::shared_ptr<Channel> channel) -> std::unique_ptr<ProxyBase> {
    return std::make_unique<EnumInterfaceProxy<IEnumUnknown, IUnknown>>(std::move(channel), IID_IEnumUnknown,
                                                                         IID_IUnknown);
  });
  registerProxy(IID_IEnumConnectionPoints, [](std::shared_ptr<Channel> channel) -> std::unique_ptr<ProxyBase> {
    return std::make_unique<EnumInterfaceProxy<IEnumConnectionPoints, IConnectionPoint>>(
        std::move(channel), IID_IEnumConnectionPoints, IID_IConnectionPoint);
  });
}

}  // namespace dcom::client::opc
