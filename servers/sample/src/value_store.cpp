#include "value_store.h"

#include "opc/quality.h"
#include "value_convert.h"

namespace sample {

ValueStore::ValueStore(std::shared_ptr<const AddressSpace> space, FILETIME start) : space_(std::move(space)) {
  samples_.resize(space_->itemCount());
  for (uint32_t index = 0; index < samples_.size(); ++index) {
    Sample& sample = samples_[index];
    sample.value = space_->item(index).initialValue;
    sample.quality = OPC_QUALITY_GOOD;
    sample.timeStamp = start;
  }
}

bool ValueStore::Writing::update(uint32_t item, Variant&& value, WORD quality, FILETIME timeStamp) {
  Sample& sample = store_.samples_[item];
  if (sample.quality == quality && sameValue(sample.value.get(), value.get())) return false;
  sample.value = std::move(value);
  sample.quality = quality;
  sample.timeStamp = timeStamp;
  ++sample.version;
  return true;
}

}  // namespace sample
