// IOPCGroupStateMgt and IOPCPublicGroupStateMgt of a group.

#include "group.h"
#include "locales.h"
#include "opc/opcerror.h"
#include "server_core.h"
#include "task_memory.h"
#include "text.h"

namespace sample {

HRESULT Group::GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias, FLOAT* pPercentDeadband,
                        DWORD* pLCID, OPCHANDLE* phClientGroup, OPCHANDLE* phServerGroup) {
  if (ppName != nullptr) *ppName = nullptr;
  if (pUpdateRate == nullptr || pActive == nullptr || ppName == nullptr || pTimeBias == nullptr ||
      pPercentDeadband == nullptr || pLCID == nullptr || phClientGroup == nullptr || phServerGroup == nullptr) {
    return E_INVALIDARG;
  }
  if (!attached()) return E_FAIL;
  return guarded([&] {
    // The name is the group table's; it is read before the group's own lock.
    const std::u16string name = core_->groups.nameOf(state_->serverHandle).value_or(std::u16string());
    LPWSTR copy = copyToTaskString(name);
    if (copy == nullptr) return E_OUTOFMEMORY;
    std::lock_guard lock(state_->mutex);
    const GroupSettings& settings = state_->settings;
    *pUpdateRate = settings.updateRate;
    *pActive = settings.active ? TRUE : FALSE;
    *ppName = copy;
    *pTimeBias = settings.timeBias;
    *pPercentDeadband = settings.deadband;
    *pLCID = settings.locale;
    *phClientGroup = settings.clientHandle;
    *phServerGroup = state_->serverHandle;
    return S_OK;
  });
}

HRESULT Group::SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate, BOOL* pActive, LONG* pTimeBias,
                        FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup) {
  if (pRevisedUpdateRate == nullptr) return E_INVALIDARG;
  *pRevisedUpdateRate = 0;
  if (!attached()) return E_FAIL;
  if (pPercentDeadband != nullptr && !(*pPercentDeadband >= 0.0f && *pPercentDeadband <= 100.0f)) return E_INVALIDARG;
  if (pLCID != nullptr && !isSupportedLocale(*pLCID)) return E_INVALIDARG;

  std::lock_guard lock(state_->mutex);
  GroupSettings& settings = state_->settings;
  HRESULT result = S_OK;
  if (pRequestedUpdateRate != nullptr) {
    const DWORD revised = reviseUpdateRate(*pRequestedUpdateRate);
    if (revised != *pRequestedUpdateRate) result = OPC_S_UNSUPPORTEDRATE;
    if (revised != settings.updateRate) {
      settings.updateRate = revised;
      state_->nextUpdate = SteadyClock::now();
    }
  }
  const bool activated = pActive != nullptr && *pActive && !settings.active;
  if (pActive != nullptr) settings.active = *pActive != FALSE;
  if (pTimeBias != nullptr) settings.timeBias = *pTimeBias;
  if (pPercentDeadband != nullptr) settings.deadband = *pPercentDeadband;
  if (pLCID != nullptr) settings.locale = *pLCID;
  if (phClientGroup != nullptr) settings.clientHandle = *phClientGroup;
  *pRevisedUpdateRate = settings.updateRate;
  // A group that becomes active sends all its active items at its next update.
  if (activated) state_->resendAll();
  state_->server->signal.notify();
  configurationChanged();
  return result;
}

HRESULT Group::SetName(LPCWSTR szName) {
  if (!attached()) return E_FAIL;
  if (state_->isPublic) return OPC_E_PUBLIC;
  return guarded([&] {
    const HRESULT hr = core_->groups.rename(state_->serverHandle, viewOf(szName));
    if (SUCCEEDED(hr)) configurationChanged();
    return hr;
  });
}

HRESULT Group::CloneGroup(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) {
  if (ppUnk == nullptr) return E_INVALIDARG;
  *ppUnk = nullptr;
  if (!attached()) return E_FAIL;
  return guarded([&] {
    GroupSettings settings;
    std::vector<GroupItem> items;
    {
      std::lock_guard lock(state_->mutex);
      settings = state_->settings;
      items.reserve(state_->items.size());
      state_->items.forEach([&](const GroupItem& item) { items.push_back(item); });
    }
    // A clone starts inactive and private, with items of its own.
    settings.active = false;
    OPCHANDLE handle = 0;
    IUnknown* clone = nullptr;
    HRESULT hr = core_->createGroup(std::u16string(viewOf(szName)), settings, false, riid, &clone, &handle);
    if (FAILED(hr)) return hr;
    auto owned = com::Ptr<IUnknown>::attach(clone);
    if (auto entry = core_->groups.find(handle)) {
      for (auto& item : items) item.sent = false;
      std::lock_guard lock(entry->state->mutex);
      entry->state->items.add(items, state_->server->itemHandles);
    }
    *ppUnk = owned.detach();
    return S_OK;
  });
}

HRESULT Group::GetState(BOOL* pPublic) {
  if (pPublic == nullptr) return E_INVALIDARG;
  if (!attached()) return E_FAIL;
  *pPublic = state_->isPublic ? TRUE : FALSE;
  return S_OK;
}

HRESULT Group::MoveToPublic() {
  if (!attached()) return E_FAIL;
  if (state_->isPublic.exchange(true)) return OPC_E_PUBLIC;
  configurationChanged();
  return S_OK;
}

}  // namespace sample
