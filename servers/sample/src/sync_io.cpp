// IOPCSyncIO of a group: reads from the cache or the device and writes,
// answered before the call returns.

#include "clock.h"
#include "group.h"
#include "item_io.h"
#include "opc/opcerror.h"
#include "task_memory.h"

namespace sample {

HRESULT Group::Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer, OPCITEMSTATE** ppItemValues,
                    HRESULT** ppErrors) {
  if (ppItemValues == nullptr || ppErrors == nullptr) return E_INVALIDARG;
  *ppItemValues = nullptr;
  *ppErrors = nullptr;
  if (dwCount == 0 || phServer == nullptr) return E_INVALIDARG;
  if (dwSource != OPC_DS_CACHE && dwSource != OPC_DS_DEVICE) return E_INVALIDARG;
  if (!attached()) return E_FAIL;
  TaskBlock<OPCITEMSTATE> states = makeTaskArray<OPCITEMSTATE>(dwCount);
  TaskBlock<HRESULT> errors = makeTaskArray<HRESULT>(dwCount);
  if (!states || !errors) return E_OUTOFMEMORY;
  const bool fromCache = dwSource == OPC_DS_CACHE;
  bool allGood = true;
  const HRESULT hr = guarded([&] {
    std::lock_guard lock(state_->mutex);
    ValueStore::Reading values(state_->server->values);
    const GroupSettings& settings = state_->settings;
    for (DWORD index = 0; index < dwCount; ++index) {
      OPCITEMSTATE& out = states[index];
      const GroupItem* item = state_->items.find(phServer[index]);
      if (item == nullptr) {
        errors[index] = OPC_E_INVALIDHANDLE;
        allGood = false;
        continue;
      }
      ItemReading reading;
      readItem(values, space().basics(item->item), *item, fromCache, settings.active, settings.locale, reading);
      out.hClient = item->clientHandle;
      out.ftTimeStamp = reading.timeStamp;
      out.wQuality = reading.quality;
      // The value moves into the client's record without another copy.
      reading.value.moveTo(&out.vDataValue);
      errors[index] = reading.error;
      allGood = allGood && SUCCEEDED(reading.error);
    }
    return S_OK;
  });
  if (FAILED(hr)) {
    for (DWORD index = 0; index < dwCount; ++index) VariantClear(&states[index].vDataValue);
    return hr;
  }
  *ppItemValues = states.release();
  *ppErrors = errors.release();
  return allGood ? S_OK : S_FALSE;
}

HRESULT Group::Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, HRESULT** ppErrors) {
  if (ppErrors == nullptr) return E_INVALIDARG;
  *ppErrors = nullptr;
  if (dwCount == 0 || phServer == nullptr || pItemValues == nullptr) return E_INVALIDARG;
  if (!attached()) return E_FAIL;
  TaskBlock<HRESULT> errors = makeTaskArray<HRESULT>(dwCount);
  if (!errors) return E_OUTOFMEMORY;
  bool allGood = true;
  const HRESULT hr = guarded([&] {
    std::lock_guard lock(state_->mutex);
    ValueStore::Writing values(state_->server->values);
    const FILETIME now = fileTimeNow();
    for (DWORD index = 0; index < dwCount; ++index) {
      const GroupItem* item = state_->items.find(phServer[index]);
      errors[index] = item == nullptr ? OPC_E_INVALIDHANDLE
                                      : writeItem(values, space(), item->item, pItemValues[index],
                                                  state_->settings.locale, now);
      allGood = allGood && SUCCEEDED(errors[index]);
    }
    return S_OK;
  });
  if (FAILED(hr)) return hr;
  *ppErrors = errors.release();
  return allGood ? S_OK : S_FALSE;
}

}  // namespace sample
