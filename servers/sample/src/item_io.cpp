#include "item_io.h"

#include <algorithm>

#include "opc/opcerror.h"
#include "opc/quality.h"
#include "value_convert.h"

namespace sample {

void readItem(const ValueStore::Reading& values, const ItemBasics& basics, const GroupItem& item,
              bool fromCache, bool groupActive, LCID locale, ItemReading& reading) {
  if (!basics.readable()) {
    reading.error = OPC_E_BADRIGHTS;
    reading.quality = OPC_QUALITY_BAD;
    return;
  }
  const Sample& sample = values[item.item];
  reading.timeStamp = sample.timeStamp;
  reading.quality = sample.quality;
  if (fromCache && !(item.active && groupActive)) {
    reading.quality = OPC_QUALITY_OUT_OF_SERVICE | (sample.quality & OPC_LIMIT_MASK);
  }
  reading.error = convertValue(sample.value.get(), item.requestedType, locale, reading.value);
  if (FAILED(reading.error)) {
    reading.value = Variant();
    reading.quality = OPC_QUALITY_BAD | OPC_QUALITY_CONFIG_ERROR;
  }
}

HRESULT writeItem(ValueStore::Writing& values, const AddressSpace& space, uint32_t item, const VARIANT& value,
                  LCID locale, FILETIME now) {
  const ItemDefinition& definition = space.item(item);
  if (!definition.writeable()) return OPC_E_BADRIGHTS;
  Variant converted;
  const HRESULT conversion = convertValue(value, definition.canonicalType, locale, converted);
  if (conversion == DISP_E_OVERFLOW) return OPC_E_RANGE;
  if (FAILED(conversion)) return OPC_E_BADTYPE;

  HRESULT result = S_OK;
  const auto number = numericValue(converted.get());
  if (definition.units.type == OPC_ENUMERATED && number) {
    if (*number < 0 || *number >= static_cast<double>(definition.units.states.size())) return OPC_E_RANGE;
  } else if (definition.analog() && number && (*number < definition.units.low || *number > definition.units.high)) {
    Variant limit = makeR8(std::clamp(*number, definition.units.low, definition.units.high));
    if (FAILED(convertValue(limit.get(), definition.canonicalType, locale, converted))) return OPC_E_RANGE;
    result = OPC_S_CLAMP;
  }
  values.update(item, std::move(converted), OPC_QUALITY_GOOD, now);
  return result;
}

}  // namespace sample
