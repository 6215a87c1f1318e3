// IOPCItemMgt of a group: adding, checking, removing and changing items.
// Every call that takes a list of items answers with one result per item:
// S_OK when all succeeded, S_FALSE with the failures in the error array
// otherwise. The arrays come from the task allocator.

#include <cstring>

#include "group.h"
#include "item_attributes_enum.h"
#include "opc/opcerror.h"
#include "server_core.h"
#include "task_memory.h"
#include "text.h"
#include "value_convert.h"

namespace sample {
namespace {

// Checks the arguments every per-item call shares and clears the
// out-parameters.
HRESULT checkItemList(DWORD count, const void* list, HRESULT** errors) {
  if (errors == nullptr) return E_INVALIDARG;
  *errors = nullptr;
  if (count == 0 || list == nullptr) return E_INVALIDARG;
  return S_OK;
}

// Runs change on each item found by handle, filling the error array.
template <class Change>
HRESULT changeItems(GroupState& state, DWORD count, const OPCHANDLE* handles, HRESULT** ppErrors, Change&& change) {
  TaskBlock<HRESULT> errors = makeTaskArray<HRESULT>(count);
  if (!errors) return E_OUTOFMEMORY;
  bool allGood = true;
  {
    std::lock_guard lock(state.mutex);
    for (DWORD index = 0; index < count; ++index) {
      GroupItem* item = state.items.find(handles[index]);
      errors[index] = item == nullptr ? OPC_E_INVALIDHANDLE : change(*item, index);
      allGood = allGood && SUCCEEDED(errors[index]);
    }
  }
  *ppErrors = errors.release();
  return allGood ? S_OK : S_FALSE;
}

void fillResult(const ItemBasics& basics, OPCITEMRESULT& result) {
  result.vtCanonicalDataType = basics.canonicalType;
  result.dwAccessRights = basics.accessRights;
}

}  // namespace

HRESULT Group::AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults, HRESULT** ppErrors) {
  if (ppAddResults == nullptr) return E_INVALIDARG;
  *ppAddResults = nullptr;
  if (HRESULT hr = checkItemList(dwCount, pItemArray, ppErrors); FAILED(hr)) return hr;
  if (!attached()) return E_FAIL;
  if (state_->isPublic) return OPC_E_PUBLIC;
  return guarded([&] {
    TaskBlock<OPCITEMRESULT> results = makeTaskArray<OPCITEMRESULT>(dwCount);
    TaskBlock<HRESULT> errors = makeTaskArray<HRESULT>(dwCount);
    if (!results || !errors) return E_OUTOFMEMORY;
    // Resolve without the lock: the address space never changes.
    std::vector<GroupItem> added;
    added.reserve(dwCount);
    bool allGood = true;
    uint32_t previous = kNoItem;
    for (DWORD index = 0; index < dwCount; ++index) {
      const OPCITEMDEF& definition = pItemArray[index];
      const ItemResolution resolved = resolveItem(space(), definition, previous);
      previous = resolved.item;
      errors[index] = resolved.error;
      if (FAILED(resolved.error)) {
        allGood = false;
        continue;
      }
      GroupItem item;
      item.clientHandle = definition.hClient;
      item.item = resolved.item;
      item.accessPath = resolved.accessPath;
      item.active = definition.bActive != FALSE;
      item.requestedType = definition.vtRequestedDataType;
      if (definition.dwBlobSize != 0 && definition.pBlob != nullptr) {
        item.blob = std::make_shared<const std::vector<BYTE>>(definition.pBlob, definition.pBlob + definition.dwBlobSize);
      }
      fillResult(space().basics(resolved.item), results[index]);
      added.push_back(std::move(item));
    }
    const bool anyAdded = !added.empty();
    OPCHANDLE next = 0;
    {
      std::lock_guard lock(state_->mutex);
      next = state_->items.add(added, state_->server->itemHandles);
    }
    // The handles are consecutive and follow the order of the request.
    for (DWORD index = 0; index < dwCount; ++index) {
      if (SUCCEEDED(errors[index])) results[index].hServer = next++;
    }
    if (anyAdded) configurationChanged();
    *ppAddResults = results.release();
    *ppErrors = errors.release();
    return allGood ? S_OK : S_FALSE;
  });
}

HRESULT Group::ValidateItems(DWORD dwCount, OPCITEMDEF* pItemArray, BOOL bBlobUpdate,
                             OPCITEMRESULT** ppValidationResults, HRESULT** ppErrors) {
  if (ppValidationResults == nullptr) return E_INVALIDARG;
  *ppValidationResults = nullptr;
  if (HRESULT hr = checkItemList(dwCount, pItemArray, ppErrors); FAILED(hr)) return hr;
  if (!attached()) return E_FAIL;
  TaskBlock<OPCITEMRESULT> results = makeTaskArray<OPCITEMRESULT>(dwCount);
  TaskBlock<HRESULT> errors = makeTaskArray<HRESULT>(dwCount);
  if (!results || !errors) return E_OUTOFMEMORY;
  bool allGood = true;
  for (DWORD index = 0; index < dwCount; ++index) {
    const ItemResolution resolved = resolveItem(space(), pItemArray[index]);
    errors[index] = resolved.error;
    if (FAILED(resolved.error)) {
      allGood = false;
      continue;
    }
    fillResult(space().basics(resolved.item), results[index]);
    if (bBlobUpdate) {
      // The blob names the item's place in the address space; the server
      // accepts it back unchanged, as any blob.
      BYTE* blob = allocateTaskArray<BYTE>(sizeof(uint32_t));
      if (blob == nullptr) {
        for (DWORD undo = 0; undo < index; ++undo) CoTaskMemFree(results[undo].pBlob);
        return E_OUTOFMEMORY;
      }
      std::memcpy(blob, &resolved.item, sizeof(uint32_t));
      results[index].pBlob = blob;
      results[index].dwBlobSize = sizeof(uint32_t);
    }
  }
  *ppValidationResults = results.release();
  *ppErrors = errors.release();
  return allGood ? S_OK : S_FALSE;
}

HRESULT Group::RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) {
  if (HRESULT hr = checkItemList(dwCount, phServer, ppErrors); FAILED(hr)) return hr;
  if (!attached()) return E_FAIL;
  if (state_->isPublic) return OPC_E_PUBLIC;
  TaskBlock<HRESULT> errors = makeTaskArray<HRESULT>(dwCount);
  if (!errors) return E_OUTOFMEMORY;
  bool allGood = true;
  {
    std::lock_guard lock(state_->mutex);
    for (DWORD index = 0; index < dwCount; ++index) {
      errors[index] = state_->items.remove(phServer[index]) ? S_OK : OPC_E_INVALIDHANDLE;
      allGood = allGood && errors[index] == S_OK;
    }
  }
  // An answer gathered before the removal may still be on its way; once it
  // has arrived, no callback names the removed items.
  state_->waitForCallbacks();
  configurationChanged();
  *ppErrors = errors.release();
  return allGood ? S_OK : S_FALSE;
}

HRESULT Group::SetActiveState(DWORD dwCount, OPCHANDLE* phServer, BOOL bActive, HRESULT** ppErrors) {
  if (HRESULT hr = checkItemList(dwCount, phServer, ppErrors); FAILED(hr)) return hr;
  if (!attached()) return E_FAIL;
  const bool active = bActive != FALSE;
  const HRESULT hr = changeItems(*state_, dwCount, phServer, ppErrors, [&](GroupItem& item, DWORD) {
    // An item that becomes active is sent at the group's next update.
    if (active && !item.active) item.sent = false;
    item.active = active;
    return S_OK;
  });
  if (SUCCEEDED(hr)) configurationChanged();
  return hr;
}

HRESULT Group::SetClientHandles(DWORD dwCount, OPCHANDLE* phServer, OPCHANDLE* phClient, HRESULT** ppErrors) {
  if (HRESULT hr = checkItemList(dwCount, phServer, ppErrors); FAILED(hr)) return hr;
  if (phClient == nullptr) return E_INVALIDARG;
  if (!attached()) return E_FAIL;
  const bool refuse = core_->options.refuseClientHandles;
  const HRESULT hr = changeItems(*state_, dwCount, phServer, ppErrors, [&](GroupItem& item, DWORD index) {
    if (refuse) return E_FAIL;
    item.clientHandle = phClient[index];
    return S_OK;
  });
  if (SUCCEEDED(hr)) configurationChanged();
  return hr;
}

HRESULT Group::SetDatatypes(DWORD dwCount, OPCHANDLE* phServer, VARTYPE* pRequestedDatatypes, HRESULT** ppErrors) {
  if (HRESULT hr = checkItemList(dwCount, phServer, ppErrors); FAILED(hr)) return hr;
  if (pRequestedDatatypes == nullptr) return E_INVALIDARG;
  if (!attached()) return E_FAIL;
  const AddressSpace& addressSpace = space();
  const HRESULT hr = changeItems(*state_, dwCount, phServer, ppErrors, [&](GroupItem& item, DWORD index) {
    const VARTYPE requested = pRequestedDatatypes[index];
    if (!canConvert(addressSpace.item(item.item).canonicalType, requested)) return OPC_E_BADTYPE;
    if (requested != item.requestedType) item.sent = false;  // clients get the value in the new type
    item.requestedType = requested;
    return S_OK;
  });
  if (SUCCEEDED(hr)) configurationChanged();
  return hr;
}

HRESULT Group::CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) {
  if (ppUnk == nullptr) return E_INVALIDARG;
  *ppUnk = nullptr;
  if (!IsEqualIID(riid, IID_IEnumOPCItemAttributes) && !IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
  if (!attached()) return E_FAIL;
  return guarded([&] {
    auto snapshot = std::make_shared<ItemAttributesEnumerator::Snapshot>();
    {
      std::lock_guard lock(state_->mutex);
      snapshot->reserve(state_->items.size());
      state_->items.forEach([&](const GroupItem& item) {
        const ItemDefinition& definition = space().item(item.item);
        ItemAttributes attributes;
        attributes.accessPath = accessPathOf(item, definition);
        attributes.itemId = definition.id;
        attributes.active = item.active;
        attributes.clientHandle = item.clientHandle;
        attributes.serverHandle = item.serverHandle;
        attributes.accessRights = definition.accessRights;
        if (item.blob) attributes.blob = *item.blob;
        attributes.requestedType = item.requestedType;
        attributes.canonicalType = definition.canonicalType;
        attributes.euType = definition.units.type;
        attributes.euInfo = engineeringUnitInfo(definition);
        snapshot->push_back(std::move(attributes));
      });
    }
    const bool empty = snapshot->empty();
    com::Ptr<ItemAttributesEnumerator> enumerator = com::makeObject<ItemAttributesEnumerator>(std::move(snapshot));
    if (!enumerator) return E_OUTOFMEMORY;
    *ppUnk = static_cast<IEnumOPCItemAttributes*>(enumerator.detach());
    return empty ? S_FALSE : S_OK;
  });
}

}  // namespace sample
