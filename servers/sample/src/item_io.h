#pragma once

// Reading and writing one item of a group, shared by the synchronous and
// asynchronous I/O paths and the data-change subscription.

#include "group_items.h"
#include "value_store.h"

namespace sample {

struct ItemReading {
  HRESULT error = S_OK;
  Variant value;
  WORD quality = 0;
  FILETIME timeStamp{};
};

// Reads an item's value in the client's requested type. A read from the
// cache of an inactive item or group gives quality OPC_QUALITY_OUT_OF_SERVICE
// with the last value; OPC_E_BADRIGHTS for an item that cannot be read; a
// value that cannot be converted gives the conversion's code, no value and
// bad quality.
void readItem(const ValueStore::Reading& values, const ItemBasics& basics, const GroupItem& item,
              bool fromCache, bool groupActive, LCID locale, ItemReading& reading);

// Writes a value to an item after converting it to the item's canonical
// type: OPC_E_BADRIGHTS for an item that cannot be written, OPC_E_BADTYPE
// for a value that cannot be converted, OPC_E_RANGE for one too large for
// the type or outside an enumerated item's states; an analog value outside
// the engineering-unit limits is clamped to them (OPC_S_CLAMP).
HRESULT writeItem(ValueStore::Writing& values, const AddressSpace& space, uint32_t item, const VARIANT& value,
                  LCID locale, FILETIME now);

}  // namespace sample
