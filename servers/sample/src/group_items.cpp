#include "group_items.h"

#include <algorithm>
#include <iterator>

#include "opc/opcerror.h"
#include "text.h"
#include "value_convert.h"

namespace sample {

size_t ItemTable::slotOf(OPCHANDLE serverHandle) const {
  auto after = std::upper_bound(runs_.begin(), runs_.end(), serverHandle,
                                [](OPCHANDLE handle, const Run& run) { return handle < run.firstHandle; });
  if (after == runs_.begin()) return slots_.size();
  const Run& run = *(after - 1);
  const OPCHANDLE offset = serverHandle - run.firstHandle;
  if (offset >= run.count) return slots_.size();
  const size_t slot = run.firstSlot + offset;
  return slots_[slot].serverHandle == serverHandle ? slot : slots_.size();
}

GroupItem* ItemTable::find(OPCHANDLE serverHandle) {
  const size_t slot = slotOf(serverHandle);
  return slot < slots_.size() ? &slots_[slot] : nullptr;
}

const GroupItem* ItemTable::find(OPCHANDLE serverHandle) const {
  const size_t slot = slotOf(serverHandle);
  return slot < slots_.size() ? &slots_[slot] : nullptr;
}

OPCHANDLE ItemTable::add(std::vector<GroupItem>& items, ItemHandleSource& handles) {
  if (items.empty()) return 0;
  const OPCHANDLE first = handles.take(items.size());
  OPCHANDLE next = first;
  for (auto& item : items) item.serverHandle = next++;
  const Run run{first, static_cast<uint32_t>(slots_.size()), static_cast<uint32_t>(items.size())};
  if (slots_.empty()) {
    // The first add of a group (often all its items at once) takes the
    // caller's vector as it is instead of moving every item.
    slots_ = std::move(items);
  } else {
    slots_.reserve(slots_.size() + items.size());
    std::move(items.begin(), items.end(), std::back_inserter(slots_));
  }
  items.clear();
  live_ += run.count;
  Run* last = runs_.empty() ? nullptr : &runs_.back();
  if (last != nullptr && last->firstHandle + last->count == run.firstHandle &&
      last->firstSlot + last->count == run.firstSlot) {
    last->count += run.count;  // handles and slots continue the last run
  } else {
    runs_.push_back(run);
  }
  return first;
}

bool ItemTable::remove(OPCHANDLE serverHandle) {
  const size_t slot = slotOf(serverHandle);
  if (slot == slots_.size()) return false;
  slots_[slot] = GroupItem{};
  --live_;
  // Removed slots are not reused (that would reorder the items); once they
  // are the majority, the table is rebuilt without them.
  if (slots_.size() > 1024 && live_ < slots_.size() / 2) compact();
  return true;
}

void ItemTable::compact() {
  std::vector<GroupItem> kept;
  kept.reserve(live_);
  std::vector<Run> runs;
  for (auto& item : slots_) {
    if (item.serverHandle == 0) continue;
    const auto slot = static_cast<uint32_t>(kept.size());
    if (!runs.empty() && runs.back().firstHandle + runs.back().count == item.serverHandle &&
        runs.back().firstSlot + runs.back().count == slot) {
      ++runs.back().count;
    } else {
      runs.push_back(Run{item.serverHandle, slot, 1});
    }
    kept.push_back(std::move(item));
  }
  slots_ = std::move(kept);
  runs_ = std::move(runs);
}

namespace {

// Names joined by the separator: no empty name, no control characters.
bool hasItemIdSyntax(std::u16string_view id) {
  if (id.empty() || id.front() == kSeparator || id.back() == kSeparator) return false;
  char16_t previous = 0;
  for (char16_t c : id) {
    if (c < 0x20 || (c == kSeparator && previous == kSeparator)) return false;
    previous = c;
  }
  return true;
}

}  // namespace

ItemResolution resolveItem(const AddressSpace& space, const OPCITEMDEF& definition, uint32_t previous) {
  const std::u16string_view id = viewOf(definition.szItemID);
  if (!hasItemIdSyntax(id)) return {OPC_E_INVALIDITEMID};
  const auto index = space.findItem(id, previous);
  if (!index) return {OPC_E_UNKNOWNITEMID};
  const std::u16string_view path = viewOf(definition.szAccessPath);
  uint8_t pathIndex = 0;
  if (!path.empty()) {
    const ItemDefinition& item = space.item(*index);
    auto found = std::find(item.accessPaths.begin(), item.accessPaths.end(), path);
    if (found == item.accessPaths.end()) return {OPC_E_UNKNOWNPATH};
    pathIndex = static_cast<uint8_t>(found - item.accessPaths.begin() + 1);
  }
  if (!canConvert(space.basics(*index).canonicalType, definition.vtRequestedDataType)) return {OPC_E_BADTYPE};
  return {S_OK, *index, pathIndex};
}

}  // namespace sample
