#pragma once

// The items of one group: what a client added (item, access path, client
// handle, active flag, requested type, blob) and what the subscription last
// sent for each. The table is not thread-safe; the group's lock guards it.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "address_space.h"
#include "opc/records.h"

namespace sample {

struct GroupItem {
  OPCHANDLE serverHandle = 0;  // 0 marks an item that was removed
  OPCHANDLE clientHandle = 0;
  uint32_t item = kNoItem;  // index in the address space
  VARTYPE requestedType = VT_EMPTY;
  uint8_t accessPath = 0;  // 0: none; k: the item definition's k-th access path
  bool active = false;
  // What the data-change subscription last sent.
  bool sent = false;
  WORD sentQuality = 0;
  uint64_t sentVersion = 0;
  double sentNumber = 0;
  // The client's blob, shared by copies of the item (it never changes);
  // null when the client gave none.
  std::shared_ptr<const std::vector<BYTE>> blob;
};

// The access path of an item as the client named it.
inline std::u16string_view accessPathOf(const GroupItem& item, const ItemDefinition& definition) {
  return item.accessPath == 0 ? std::u16string_view() : std::u16string_view(definition.accessPaths[item.accessPath - 1]);
}

// Server handles of items, unique among all groups of a server, so that a
// handle of one group used with another is refused.
class ItemHandleSource {
 public:
  // The first of count consecutive new handles.
  OPCHANDLE take(size_t count) { return next_.fetch_add(static_cast<OPCHANDLE>(count)); }

 private:
  std::atomic<OPCHANDLE> next_{1};
};

// The items in the order they were added. A group's handles come in runs of
// consecutive numbers (one per add), so a handle is found by a binary search
// over the runs and an index into the run, without a hash table; that keeps
// adding and reading 100,000 items cheap.
class ItemTable {
 public:
  GroupItem* find(OPCHANDLE serverHandle);
  const GroupItem* find(OPCHANDLE serverHandle) const;
  // Adds the items with new consecutive handles, in their order, and
  // returns the first handle (0 when items is empty). The items are moved
  // out of the vector, which is left empty. The caller holds the group's
  // lock, so the handles of one group grow with every add.
  OPCHANDLE add(std::vector<GroupItem>& items, ItemHandleSource& handles);
  bool remove(OPCHANDLE serverHandle);
  size_t size() const { return live_; }

  template <class Visit>
  void forEach(Visit&& visit) {
    for (auto& item : slots_) {
      if (item.serverHandle != 0) visit(item);
    }
  }
  template <class Visit>
  void forEach(Visit&& visit) const {
    for (const auto& item : slots_) {
      if (item.serverHandle != 0) visit(item);
    }
  }

 private:
  struct Run {
    OPCHANDLE firstHandle;
    uint32_t firstSlot;
    uint32_t count;
  };
  size_t slotOf(OPCHANDLE serverHandle) const;  // slots_.size() when unknown
  void compact();

  std::vector<GroupItem> slots_;
  std::vector<Run> runs_;  // by first handle
  size_t live_ = 0;
};

// What an item definition of a client resolves to.
struct ItemResolution {
  HRESULT error = S_OK;
  uint32_t item = kNoItem;
  uint8_t accessPath = 0;  // as GroupItem::accessPath
};

// Checks one OPCITEMDEF against the address space: OPC_E_INVALIDITEMID for
// an ID that is empty or not made of names joined by "."; OPC_E_UNKNOWNITEMID
// for an ID that names no item; OPC_E_UNKNOWNPATH for an access path the
// item does not have; OPC_E_BADTYPE for a requested type the item's values
// cannot be converted to.
// previous, when given, is the item resolved just before (a hint that
// makes items added in browse order quick to find).
ItemResolution resolveItem(const AddressSpace& space, const OPCITEMDEF& definition, uint32_t previous = kNoItem);

}  // namespace sample
