#include "address_space.h"

#include <map>
#include <mutex>

namespace sample {

std::shared_ptr<const AddressSpace> AddressSpace::shared(uint32_t manyItemCount) {
  // Weak references, so that an address space goes with its last server.
  static std::mutex mutex;
  static std::map<uint32_t, std::weak_ptr<const AddressSpace>> cache;
  std::lock_guard lock(mutex);
  auto& slot = cache[manyItemCount];
  std::shared_ptr<const AddressSpace> space = slot.lock();
  if (!space) {
    space = buildSampleAddressSpace(manyItemCount);
    slot = space;
  }
  return space;
}

std::optional<uint32_t> AddressSpace::findItem(std::u16string_view id) const {
  return itemById_.find(id, [&](uint32_t index) { return itemId(index); });
}

std::optional<uint32_t> AddressSpace::findItem(std::u16string_view id, uint32_t previous) const {
  const size_t next = static_cast<size_t>(previous) + 1;
  if (previous != kNoItem && next < items_.size() && itemId(static_cast<uint32_t>(next)) == id) {
    return static_cast<uint32_t>(next);
  }
  return findItem(id);
}

std::optional<uint32_t> AddressSpace::findBranch(std::u16string_view id) const {
  if (id.empty()) return kRoot;
  return branchById_.find(id, [&](uint32_t index) -> std::u16string_view { return branches_[index].id; });
}

std::optional<uint32_t> AddressSpace::childBranch(uint32_t parent, std::u16string_view name) const {
  const Branch& above = branches_[parent];
  auto found = findBranch(above.id.empty() ? std::u16string(name) : above.id + kSeparator + std::u16string(name));
  if (name.empty() || !found || branches_[*found].parent != parent) return std::nullopt;
  return found;
}

std::optional<uint32_t> AddressSpace::childItem(uint32_t parent, std::u16string_view name) const {
  const Branch& above = branches_[parent];
  auto found = findItem(above.id.empty() ? std::u16string(name) : above.id + kSeparator + std::u16string(name));
  if (name.empty() || !found || !items_[*found].browsable() || items_[*found].name != name) return std::nullopt;
  return found;
}

std::span<const uint32_t> AddressSpace::flatItems(uint32_t branch) const {
  const Branch& b = branches_[branch];
  return std::span<const uint32_t>(flat_).subspan(b.flatBegin, b.flatEnd - b.flatBegin);
}

uint32_t AddressSpace::addBranch(uint32_t parent, std::u16string_view name) {
  if (branches_.empty()) branches_.push_back(Branch{});  // the root
  Branch branch;
  branch.name = name;
  const Branch& above = branches_[parent];
  branch.id = above.id.empty() ? std::u16string(name) : above.id + kSeparator + std::u16string(name);
  branch.parent = parent;
  const auto index = static_cast<uint32_t>(branches_.size());
  branches_.push_back(std::move(branch));
  branches_[parent].branches.push_back(index);
  return index;
}

uint32_t AddressSpace::addItem(uint32_t branch, ItemDefinition definition) {
  if (branches_.empty()) branches_.push_back(Branch{});
  const Branch& owner = branches_[branch];
  definition.id = owner.id.empty() ? definition.name : owner.id + kSeparator + definition.name;
  const auto index = static_cast<uint32_t>(items_.size());
  items_.push_back(std::move(definition));
  branches_[branch].items.push_back(index);
  return index;
}

uint32_t AddressSpace::addPropertyItem(uint32_t owner, DWORD propertyId, std::u16string_view propertyName,
                                       Variant value, VARTYPE type) {
  ItemDefinition definition;
  definition.id = items_[owner].id + kPropertySeparator + std::u16string(propertyName);
  definition.name = propertyName;
  definition.canonicalType = type;
  definition.accessRights = OPC_READABLE;
  definition.description = items_[owner].description;
  definition.initialValue = std::move(value);
  definition.propertyOwner = owner;
  definition.propertyId = propertyId;
  const auto index = static_cast<uint32_t>(items_.size());
  items_.push_back(std::move(definition));
  return index;
}

void AddressSpace::finish() {
  if (branches_.empty()) branches_.push_back(Branch{});
  flat_.clear();
  flat_.reserve(items_.size());
  collectFlat(kRoot);
  size_t idLength = 0;
  for (const ItemDefinition& item : items_) idLength += item.id.size();
  idText_.clear();
  idText_.reserve(idLength);
  idStart_.assign(1, 0);
  idStart_.reserve(items_.size() + 1);
  basics_.clear();
  basics_.reserve(items_.size());
  for (const ItemDefinition& item : items_) {
    idText_ += item.id;
    idStart_.push_back(static_cast<uint32_t>(idText_.size()));
    basics_.push_back(ItemBasics{item.canonicalType, item.accessRights});
  }
  itemById_.build(static_cast<uint32_t>(items_.size()), [&](uint32_t index) { return itemId(index); });
  // The root (index 0) has no ID; its slot in the index is never matched.
  branchById_.build(static_cast<uint32_t>(branches_.size()),
                    [&](uint32_t index) -> std::u16string_view { return branches_[index].id; });
}

void AddressSpace::collectFlat(uint32_t branch) {
  branches_[branch].flatBegin = static_cast<uint32_t>(flat_.size());
  for (uint32_t item : branches_[branch].items) flat_.push_back(item);
  for (uint32_t child : branches_[branch].branches) collectFlat(child);
  branches_[branch].flatEnd = static_cast<uint32_t>(flat_.size());
}

}  // namespace sample

namespace sample {

Variant engineeringUnitInfo(const ItemDefinition& item) {
  if (item.units.type == OPC_ANALOG) {
    SAFEARRAY* limits = SafeArrayCreateVector(VT_R8, 0, 2);
    if (limits == nullptr) throw std::bad_alloc();
    static_cast<double*>(limits->pvData)[0] = item.units.low;
    static_cast<double*>(limits->pvData)[1] = item.units.high;
    Variant info;
    VARIANT* value = info.put();
    value->vt = VT_ARRAY | VT_R8;
    value->parray = limits;
    return info;
  }
  if (item.units.type == OPC_ENUMERATED) {
    SAFEARRAY* states = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(item.units.states.size()));
    if (states == nullptr) throw std::bad_alloc();
    Variant info;
    VARIANT* value = info.put();
    value->vt = VT_ARRAY | VT_BSTR;
    value->parray = states;
    auto* texts = static_cast<BSTR*>(states->pvData);
    for (size_t index = 0; index < item.units.states.size(); ++index) {
      const std::u16string& text = item.units.states[index];
      texts[index] = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      if (texts[index] == nullptr) throw std::bad_alloc();
    }
    return info;
  }
  return Variant();
}

}  // namespace sample
