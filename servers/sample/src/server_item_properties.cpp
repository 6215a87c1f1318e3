// IOPCItemProperties of the sample server (item_properties.h says which
// item has which property).

#include "item_properties.h"
#include "opc/opcerror.h"
#include "server.h"
#include "server_core.h"
#include "task_memory.h"
#include "text.h"

namespace sample {
namespace {

// The item an ID names: OPC_E_INVALIDITEMID for an empty ID,
// OPC_E_UNKNOWNITEMID for one that names no item.
HRESULT findPropertyItem(const AddressSpace& space, LPCWSTR id, uint32_t& item) {
  const std::u16string_view text = viewOf(id);
  if (text.empty()) return OPC_E_INVALIDITEMID;
  auto found = space.findItem(text);
  if (!found) return OPC_E_UNKNOWNITEMID;
  item = *found;
  return S_OK;
}

}  // namespace

HRESULT SampleServer::QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount, DWORD** ppPropertyIDs,
                                               LPWSTR** ppDescriptions, VARTYPE** ppvtDataTypes) {
  if (pdwCount == nullptr || ppPropertyIDs == nullptr || ppDescriptions == nullptr || ppvtDataTypes == nullptr) {
    return E_INVALIDARG;
  }
  *pdwCount = 0;
  *ppPropertyIDs = nullptr;
  *ppDescriptions = nullptr;
  *ppvtDataTypes = nullptr;
  const AddressSpace& space = *core_->shared->space;
  uint32_t item = 0;
  if (HRESULT hr = findPropertyItem(space, szItemID, item); FAILED(hr)) return hr;
  return guarded([&] {
    const std::vector<PropertyInfo> properties = availableProperties(space.item(item));
    const size_t count = properties.size();
    TaskBlock<DWORD> ids = makeTaskArray<DWORD>(count);
    TaskBlock<LPWSTR> descriptions = makeTaskArray<LPWSTR>(count);
    TaskBlock<VARTYPE> types = makeTaskArray<VARTYPE>(count);
    if (!ids || !descriptions || !types) return E_OUTOFMEMORY;
    for (size_t index = 0; index < count; ++index) {
      ids[index] = properties[index].id;
      types[index] = properties[index].type;
      descriptions[index] = copyToTaskString(properties[index].description);
      if (descriptions[index] == nullptr) {
        for (size_t undo = 0; undo < index; ++undo) CoTaskMemFree(descriptions[undo]);
        return E_OUTOFMEMORY;
      }
    }
    *pdwCount = static_cast<DWORD>(count);
    *ppPropertyIDs = ids.release();
    *ppDescriptions = descriptions.release();
    *ppvtDataTypes = types.release();
    return S_OK;
  });
}

HRESULT SampleServer::GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, VARIANT** ppvData,
                                        HRESULT** ppErrors) {
  if (ppvData == nullptr || ppErrors == nullptr) return E_INVALIDARG;
  *ppvData = nullptr;
  *ppErrors = nullptr;
  if (dwCount == 0 || pdwPropertyIDs == nullptr) return E_INVALIDARG;
  const AddressSpace& space = *core_->shared->space;
  uint32_t item = 0;
  if (HRESULT hr = findPropertyItem(space, szItemID, item); FAILED(hr)) return hr;
  TaskBlock<VARIANT> values = makeTaskArray<VARIANT>(dwCount);
  TaskBlock<HRESULT> errors = makeTaskArray<HRESULT>(dwCount);
  if (!values || !errors) return E_OUTOFMEMORY;
  bool allGood = true;
  const HRESULT hr = guarded([&] {
    const DWORD scanRate = static_cast<DWORD>(options_.simulationPeriod.count());
    ValueStore::Reading reading(core_->shared->values);
    for (DWORD index = 0; index < dwCount; ++index) {
      Variant value;
      errors[index] = propertyValue(space.item(item), reading[item], pdwPropertyIDs[index], scanRate, value);
      if (SUCCEEDED(errors[index])) value.moveTo(&values[index]);
      allGood = allGood && SUCCEEDED(errors[index]);
    }
    return S_OK;
  });
  if (FAILED(hr)) {
    for (DWORD index = 0; index < dwCount; ++index) VariantClear(&values[index]);
    return hr;
  }
  *ppvData = values.release();
  *ppErrors = errors.release();
  return allGood ? S_OK : S_FALSE;
}

HRESULT SampleServer::LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, LPWSTR** ppszNewItemIDs,
                                    HRESULT** ppErrors) {
  if (ppszNewItemIDs == nullptr || ppErrors == nullptr) return E_INVALIDARG;
  *ppszNewItemIDs = nullptr;
  *ppErrors = nullptr;
  if (dwCount == 0 || pdwPropertyIDs == nullptr) return E_INVALIDARG;
  const AddressSpace& space = *core_->shared->space;
  uint32_t item = 0;
  if (HRESULT hr = findPropertyItem(space, szItemID, item); FAILED(hr)) return hr;
  TaskBlock<LPWSTR> ids = makeTaskArray<LPWSTR>(dwCount);
  TaskBlock<HRESULT> errors = makeTaskArray<HRESULT>(dwCount);
  if (!ids || !errors) return E_OUTOFMEMORY;
  bool allGood = true;
  auto freeIds = [&] {
    for (DWORD index = 0; index < dwCount; ++index) CoTaskMemFree(ids[index]);
  };
  const HRESULT hr = guarded([&] {
    for (DWORD index = 0; index < dwCount; ++index) {
      std::u16string id;
      errors[index] = propertyItemId(space, item, pdwPropertyIDs[index], id);
      if (SUCCEEDED(errors[index])) {
        ids[index] = copyToTaskString(id);
        if (ids[index] == nullptr) return E_OUTOFMEMORY;
      }
      allGood = allGood && SUCCEEDED(errors[index]);
    }
    return S_OK;
  });
  if (FAILED(hr)) {
    freeIds();
    return hr;
  }
  *ppszNewItemIDs = ids.release();
  *ppErrors = errors.release();
  return allGood ? S_OK : S_FALSE;
}

}  // namespace sample
