#include "advise/watched_item.h"

namespace advise {

WatchedItem::WatchedItem() { VariantInit(&latest_.value); }

WatchedItem::~WatchedItem() { VariantClear(&latest_.value); }

bool WatchedItem::Take(const OPCGROUPHEADER& header, const OPCITEMHEADER1* items, const VARIANT* values) {
  DWORD index = 0;
  while (index < header.dwItemCount && items[index].hClient != clientHandle_) ++index;
  if (index == header.dwItemCount) return false;

  // Callbacks may run side by side; each one that carried the item counts.
  callbackCount_.fetch_add(1, std::memory_order_relaxed);
  std::lock_guard lock(lock_);
  VariantClear(&latest_.value);
  latest_.status = header.hrStatus;
  latest_.copyResult = S_OK;
  if (SUCCEEDED(header.hrStatus)) {
    latest_.quality = items[index].wQuality;
    latest_.timeStamp = items[index].ftTimeStampItem;
    latest_.copyResult = VariantCopy(&latest_.value, &values[index]);
  }
  return true;
}

}  // namespace advise
