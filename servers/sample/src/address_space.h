#pragma once

// The server's address space: a tree of branches and items whose fully
// qualified IDs join the names with "." ("Simulation.Ramp"). It also has a
// flat view: the items in depth-first order, each branch's items forming
// one run of it, so that a flat browse below any branch is a slice.
//
// An address space is built once and never changes; servers with the same
// size of the many-items branch share one (AddressSpace::shared).

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "id_index.h"
#include "item_definition.h"

namespace sample {

inline constexpr char16_t kSeparator = u'.';
// Hidden items that carry a property of an item are named
// "<item ID>#<property name>".
inline constexpr char16_t kPropertySeparator = u'#';

// The two facts about an item that resolving, browsing and adding it need,
// kept apart from the full definitions (see AddressSpace::basics).
struct ItemBasics {
  VARTYPE canonicalType = VT_EMPTY;
  DWORD accessRights = 0;

  bool readable() const { return (accessRights & OPC_READABLE) != 0; }
};

struct Branch {
  std::u16string name;  // empty for the root
  std::u16string id;    // fully qualified; empty for the root
  uint32_t parent = kNoItem;
  std::vector<uint32_t> branches;  // child branches, in definition order
  std::vector<uint32_t> items;     // browsable leaves, in definition order
  uint32_t flatBegin = 0;          // this branch's run of the flat view
  uint32_t flatEnd = 0;
};

class AddressSpace {
 public:
  static constexpr uint32_t kRoot = 0;

  // The address space with a many-items branch of the given size, shared
  // with every server that asks for the same size while one is alive.
  static std::shared_ptr<const AddressSpace> shared(uint32_t manyItemCount);

  size_t itemCount() const { return items_.size(); }
  const ItemDefinition& item(uint32_t index) const { return items_[index]; }
  // The item's ID and basics, as in its definition. They are also kept in
  // compact arrays (every ID back to back in one block), so that a pass
  // over many items in order (a flat browse, adding what it listed) reads
  // a few dense runs of memory rather than a large definition and a heap
  // block per item; with 100,000 items that is what keeps the time per
  // item from growing with the number of items.
  std::u16string_view itemId(uint32_t index) const {
    return std::u16string_view(idText_).substr(idStart_[index], idStart_[index + 1] - idStart_[index]);
  }
  const ItemBasics& basics(uint32_t index) const { return basics_[index]; }
  std::optional<uint32_t> findItem(std::u16string_view id) const;
  // As findItem, trying the item after previous first: clients often add
  // items in browse order, and then each lookup is a step to the next item.
  std::optional<uint32_t> findItem(std::u16string_view id, uint32_t previous) const;

  const Branch& branch(uint32_t index) const { return branches_[index]; }
  std::optional<uint32_t> findBranch(std::u16string_view id) const;
  std::optional<uint32_t> childBranch(uint32_t parent, std::u16string_view name) const;
  std::optional<uint32_t> childItem(uint32_t parent, std::u16string_view name) const;

  // The browsable items at and below a branch, in depth-first order.
  std::span<const uint32_t> flatItems(uint32_t branch) const;

  // What the builder (address_space_layout.cpp) uses.
  uint32_t addBranch(uint32_t parent, std::u16string_view name);
  uint32_t addItem(uint32_t branch, ItemDefinition definition);
  uint32_t addPropertyItem(uint32_t owner, DWORD propertyId, std::u16string_view propertyName, Variant value,
                           VARTYPE type);
  void finish();  // builds the flat view and the lookups

 private:
  void collectFlat(uint32_t branch);

  std::vector<Branch> branches_;
  std::vector<ItemDefinition> items_;
  std::vector<uint32_t> flat_;
  std::u16string idText_;           // every item's ID, back to back
  std::vector<uint32_t> idStart_;   // where each ID starts in idText_, and its end
  std::vector<ItemBasics> basics_;  // one per item
  IdIndex itemById_;
  IdIndex branchById_;
};

// Builds the sample layout (address_space_layout.cpp).
std::shared_ptr<AddressSpace> buildSampleAddressSpace(uint32_t manyItemCount);

}  // namespace sample
