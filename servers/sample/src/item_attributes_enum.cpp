#include "item_attributes_enum.h"

#include <algorithm>

#include "task_memory.h"

namespace sample {
namespace {

void freeRecord(OPCITEMATTRIBUTES& record) {
  CoTaskMemFree(record.szAccessPath);
  CoTaskMemFree(record.szItemID);
  CoTaskMemFree(record.pBlob);
  VariantClear(&record.vEUInfo);
}

bool fillRecord(const ItemAttributes& from, OPCITEMATTRIBUTES& to) {
  VariantInit(&to.vEUInfo);
  to.szAccessPath = copyToTaskString(from.accessPath);
  to.szItemID = copyToTaskString(from.itemId);
  to.bActive = from.active ? TRUE : FALSE;
  to.hClient = from.clientHandle;
  to.hServer = from.serverHandle;
  to.dwAccessRights = from.accessRights;
  to.dwBlobSize = static_cast<DWORD>(from.blob.size());
  if (!from.blob.empty()) {
    to.pBlob = allocateTaskArray<BYTE>(from.blob.size());
    if (to.pBlob != nullptr) std::memcpy(to.pBlob, from.blob.data(), from.blob.size());
  }
  to.vtRequestedDataType = from.requestedType;
  to.vtCanonicalDataType = from.canonicalType;
  to.dwEUType = from.euType;
  const bool copied = SUCCEEDED(from.euInfo.copyTo(&to.vEUInfo));
  return copied && to.szAccessPath != nullptr && to.szItemID != nullptr && (from.blob.empty() || to.pBlob != nullptr);
}

}  // namespace

HRESULT ItemAttributesEnumerator::Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* pceltFetched) {
  if (pceltFetched != nullptr) *pceltFetched = 0;
  if (ppItemArray == nullptr) return E_POINTER;
  *ppItemArray = nullptr;
  if (pceltFetched == nullptr && celt != 1) return E_INVALIDARG;
  std::lock_guard lock(mutex_);
  const size_t taken = std::min<size_t>(celt, items_->size() - position_);
  if (taken == 0) return celt == 0 ? S_OK : S_FALSE;
  TaskBlock<OPCITEMATTRIBUTES> records = makeTaskArray<OPCITEMATTRIBUTES>(taken);
  if (!records) return E_OUTOFMEMORY;
  for (size_t index = 0; index < taken; ++index) {
    if (!fillRecord((*items_)[position_ + index], records[index])) {
      for (size_t undo = 0; undo <= index; ++undo) freeRecord(records[undo]);
      return E_OUTOFMEMORY;
    }
  }
  position_ += taken;
  *ppItemArray = records.release();
  if (pceltFetched != nullptr) *pceltFetched = static_cast<ULONG>(taken);
  return taken == celt ? S_OK : S_FALSE;
}

HRESULT ItemAttributesEnumerator::Skip(ULONG celt) {
  std::lock_guard lock(mutex_);
  const size_t available = items_->size() - position_;
  if (celt > available) {
    position_ = items_->size();
    return S_FALSE;
  }
  position_ += celt;
  return S_OK;
}

HRESULT ItemAttributesEnumerator::Reset() {
  std::lock_guard lock(mutex_);
  position_ = 0;
  return S_OK;
}

HRESULT ItemAttributesEnumerator::Clone(IEnumOPCItemAttributes** ppEnumItemAttributes) {
  if (ppEnumItemAttributes == nullptr) return E_POINTER;
  *ppEnumItemAttributes = nullptr;
  size_t position;
  {
    std::lock_guard lock(mutex_);
    position = position_;
  }
  com::Ptr<ItemAttributesEnumerator> clone = com::makeObject<ItemAttributesEnumerator>(items_, position);
  if (!clone) return E_OUTOFMEMORY;
  *ppEnumItemAttributes = clone.detach();
  return S_OK;
}

}  // namespace sample
