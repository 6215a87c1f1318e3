#pragma once

// IEnumOPCItemAttributes over a snapshot of a group's items, taken when the
// enumerator is made (CreateEnumerator); clones share the snapshot.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "com/object.h"
#include "opc/group.h"
#include "variant.h"

namespace sample {

struct ItemAttributes {
  std::u16string accessPath;
  std::u16string itemId;
  bool active = false;
  OPCHANDLE clientHandle = 0;
  OPCHANDLE serverHandle = 0;
  DWORD accessRights = 0;
  std::vector<BYTE> blob;
  VARTYPE requestedType = VT_EMPTY;
  VARTYPE canonicalType = VT_EMPTY;
  OPCEUTYPE euType = OPC_NOENUM;
  Variant euInfo;
};

class ItemAttributesEnumerator final : public com::Object<ItemAttributesEnumerator, IEnumOPCItemAttributes> {
 public:
  using Snapshot = std::vector<ItemAttributes>;
  explicit ItemAttributesEnumerator(std::shared_ptr<const Snapshot> items, size_t position = 0)
      : items_(std::move(items)), position_(position) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* pceltFetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumOPCItemAttributes** ppEnumItemAttributes) override;

 private:
  const std::shared_ptr<const Snapshot> items_;
  std::mutex mutex_;
  size_t position_;  // guarded by mutex_
};

}  // namespace sample
