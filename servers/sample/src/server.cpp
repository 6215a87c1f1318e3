// The sample server object: its life, its optional interfaces and
// IOPCServer.

#include "server.h"

#include <system_error>

#include "clock.h"
#include "com/enumerator.h"
#include "error_strings.h"
#include "group.h"
#include "locales.h"
#include "opc/opcerror.h"
#include "server_core.h"
#include "task_memory.h"
#include "text.h"

namespace sample {

SampleServer::SampleServer(const ServerOptions& options, const CLSID& clsid)
    : options_(options),
      clsid_(clsid),
      shutdownSinks_(std::make_shared<ShutdownSinks>()),
      shutdownPoint_(*this, *shutdownSinks_),
      locale_(textLocale(LOCALE_SYSTEM_DEFAULT)) {}

SampleServer::~SampleServer() {
  if (core_) core_->shutdown();
}

HRESULT SampleServer::initialize() {
  try {
    core_ = ServerCore::create(options_, clsid_, shutdownSinks_);
    // The public group the server starts with is no unsaved change.
    savedVersion_ = core_->shared->configurationVersion.load();
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::system_error&) {
    return E_FAIL;  // no thread could be started
  }
}

HRESULT SampleServer::QueryInterface(REFIID riid, void** object) {
  struct Optional {
    const IID& iid;
    uint32_t bit;
  };
  static const Optional kOptional[] = {
      {IID_IOPCServerPublicGroups, kServerPublicGroups},
      {IID_IOPCBrowseServerAddressSpace, kServerBrowseAddressSpace},
      {IID_IOPCItemProperties, kServerItemProperties},
      {IID_IOPCCommon, kServerCommon},
      {IID_IPersistFile, kServerPersistFile},
      {IID_IPersist, kServerPersistFile},
      {IID_IConnectionPointContainer, kServerConnectionPoints},
  };
  for (const auto& optional : kOptional) {
    if ((options_.omittedInterfaces & optional.bit) != 0 && IsEqualIID(riid, optional.iid)) {
      if (object != nullptr) *object = nullptr;
      return E_NOINTERFACE;
    }
  }
  return Object::QueryInterface(riid, object);
}

HRESULT SampleServer::AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate, OPCHANDLE hClientGroup,
                               LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD dwLCID, OPCHANDLE* phServerGroup,
                               DWORD* pRevisedUpdateRate, REFIID riid, LPUNKNOWN* ppUnk) {
  if (ppUnk != nullptr) *ppUnk = nullptr;
  if (phServerGroup == nullptr || pRevisedUpdateRate == nullptr || ppUnk == nullptr) return E_INVALIDARG;
  *phServerGroup = 0;
  *pRevisedUpdateRate = 0;
  const FLOAT deadband = pPercentDeadband != nullptr ? *pPercentDeadband : 0.0f;
  if (!(deadband >= 0.0f && deadband <= 100.0f)) return E_INVALIDARG;
  if (!isSupportedLocale(dwLCID)) return E_INVALIDARG;
  GroupSettings settings;
  settings.active = bActive != FALSE;
  settings.updateRate = reviseUpdateRate(dwRequestedUpdateRate);
  settings.timeBias = pTimeBias != nullptr ? *pTimeBias : localTimeBias();
  settings.deadband = deadband;
  settings.locale = dwLCID;
  settings.clientHandle = hClientGroup;
  return guarded([&] {
    const HRESULT hr = core_->createGroup(std::u16string(viewOf(szName)), settings, false, riid, ppUnk, phServerGroup);
    if (FAILED(hr)) return hr;
    *pRevisedUpdateRate = settings.updateRate;
    return settings.updateRate != dwRequestedUpdateRate ? OPC_S_UNSUPPORTEDRATE : S_OK;
  });
}

HRESULT SampleServer::errorString(HRESULT code, LCID locale, LPWSTR* text) {
  if (text == nullptr) return E_INVALIDARG;
  *text = nullptr;
  if (!isSupportedLocale(locale)) return E_INVALIDARG;
  return guarded([&] {
    auto found = errorText(code, textLocale(locale));
    if (!found) return E_INVALIDARG;
    *text = copyToTaskString(*found);
    return *text != nullptr ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT SampleServer::GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString) {
  return errorString(dwError, dwLocale, ppString);
}

HRESULT SampleServer::groupByName(LPCWSTR name, bool publicGroup, REFIID riid, LPUNKNOWN* ppUnk) {
  if (ppUnk == nullptr) return E_INVALIDARG;
  *ppUnk = nullptr;
  return guarded([&] {
    auto entry = core_->groups.findByName(viewOf(name), publicGroup ? GroupScope::Public : GroupScope::Private);
    if (!entry) return publicGroup ? OPC_E_NOTFOUND : E_INVALIDARG;
    return entry->group->QueryInterface(riid, reinterpret_cast<void**>(ppUnk));
  });
}

HRESULT SampleServer::GetGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) {
  return groupByName(szName, false, riid, ppUnk);
}

HRESULT SampleServer::GetStatus(OPCSERVERSTATUS** ppServerStatus) {
  if (ppServerStatus == nullptr) return E_INVALIDARG;
  *ppServerStatus = nullptr;
  const uint32_t call = ++statusCalls_;
  if (options_.failStatusFromCall != 0 && call >= options_.failStatusFromCall) return E_FAIL;
  TaskBlock<OPCSERVERSTATUS> status = makeTaskArray<OPCSERVERSTATUS>(1);
  if (!status) return E_OUTOFMEMORY;
  status[0].szVendorInfo = copyToTaskString(u"Pelkor Data Sample Server");
  if (status[0].szVendorInfo == nullptr) return E_OUTOFMEMORY;
  status[0].ftStartTime = core_->startTime;
  status[0].ftCurrentTime = fileTimeNow();
  const uint64_t lastUpdate = core_->shared->lastUpdateTicks.load();
  status[0].ftLastUpdateTime = FILETIME{static_cast<DWORD>(lastUpdate & 0xFFFFFFFFu), static_cast<DWORD>(lastUpdate >> 32)};
  status[0].dwServerState = OPC_STATUS_RUNNING;
  status[0].dwGroupCount = static_cast<DWORD>(core_->groups.size());
  status[0].dwBandWidth = core_->bandwidth();
  status[0].wMajorVersion = 1;
  status[0].wMinorVersion = 0;
  status[0].wBuildNumber = 1;
  *ppServerStatus = status.release();
  return S_OK;
}

HRESULT SampleServer::RemoveGroup(OPCHANDLE hServerGroup, BOOL bForce) {
  return guarded([&] { return core_->removeGroup(hServerGroup, bForce != FALSE, false); });
}

HRESULT SampleServer::CreateGroupEnumerator(OPCENUMSCOPE dwScope, REFIID riid, LPUNKNOWN* ppUnk) {
  if (ppUnk == nullptr) return E_INVALIDARG;
  *ppUnk = nullptr;
  if (options_.groupEnumeratorNotImplemented) return E_NOTIMPL;
  GroupScope scope;
  switch (dwScope) {
    case OPC_ENUM_PRIVATE_CONNECTIONS:
    case OPC_ENUM_PRIVATE:
      scope = GroupScope::Private;
      break;
    case OPC_ENUM_PUBLIC_CONNECTIONS:
    case OPC_ENUM_PUBLIC:
      scope = GroupScope::Public;
      break;
    case OPC_ENUM_ALL_CONNECTIONS:
    case OPC_ENUM_ALL:
      scope = GroupScope::All;
      break;
    default:
      return E_INVALIDARG;
  }
  const bool names = IsEqualIID(riid, IID_IEnumString);
  if (!names && !IsEqualIID(riid, IID_IEnumUnknown)) return E_NOINTERFACE;
  return guarded([&] {
    const std::vector<GroupEntry> groups = core_->groups.list(scope);
    HRESULT hr;
    if (names) {
      std::vector<std::u16string> all;
      for (const auto& entry : groups) all.push_back(entry.name);
      hr = com::EnumString::create(std::move(all), reinterpret_cast<IEnumString**>(ppUnk));
    } else {
      std::vector<com::Ptr<IUnknown>> all;
      for (const auto& entry : groups) all.emplace_back(entry.group->identity());
      hr = com::EnumUnknown::create(std::move(all), reinterpret_cast<IEnumUnknown**>(ppUnk));
    }
    if (FAILED(hr)) return hr;
    return groups.empty() && !options_.emptyEnumerationsSucceed ? S_FALSE : S_OK;
  });
}

HRESULT SampleServer::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points == nullptr) return E_POINTER;
  *points = nullptr;
  return guarded([&] {
    std::vector<com::Ptr<IConnectionPoint>> all;
    all.emplace_back(&shutdownPoint_);
    return com::EnumConnectionPoints::create(std::move(all), points);
  });
}

HRESULT SampleServer::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  if (point == nullptr) return E_POINTER;
  *point = nullptr;
  if (!IsEqualIID(riid, IID_IOPCShutdown)) return CONNECT_E_NOCONNECTION;
  shutdownPoint_.AddRef();
  *point = &shutdownPoint_;
  return S_OK;
}

}  // namespace sample
