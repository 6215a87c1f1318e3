#pragma once

// A group's state and the items in it: IOPCGroupStateMgt,
// IOPCPublicGroupStateMgt and IOPCItemMgt.

#include "opcwire/methods/shapes.h"

namespace opcwire {

// ---- IOPCGroupStateMgt 39C13A50-011E-11D0-9675-0020AFD8ADB3

enum class GroupStateOp : std::uint16_t {
  getState = 3,    // NoIn / GroupStateOut
  setState = 4,
  setName = 5,     // TextIn / ResultOut
  cloneGroup = 6,  // NameIidIn / InterfaceOut
};

struct GroupStateOut {
  OrpcThat orpcThat;
  std::uint32_t updateRate = 0;
  std::int32_t active = 0;
  OptionalText name;
  std::int32_t timeBias = 0;
  float percentDeadband = 0;
  std::uint32_t lcid = 0;
  std::uint32_t clientGroup = 0;
  std::uint32_t serverGroup = 0;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, GroupStateOut& p) {
  w.param(p.orpcThat);
  w.param(p.updateRate);
  w.param(p.active);
  optionalTextParam(w, p.name);
  w.param(p.timeBias);
  w.param(p.percentDeadband);
  w.param(p.lcid);
  w.param(p.clientGroup);
  w.param(p.serverGroup);
  w.param(p.result);
}

struct SetStateIn {
  OrpcThis orpcThis;
  std::unique_ptr<std::uint32_t> requestedUpdateRate;
  std::unique_ptr<std::int32_t> active;
  std::unique_ptr<std::int32_t> timeBias;
  std::unique_ptr<float> percentDeadband;
  std::unique_ptr<std::uint32_t> lcid;
  std::unique_ptr<std::uint32_t> clientGroup;
};
template <class W>
void walkIn(W& w, SetStateIn& p) {
  w.param(p.orpcThis);
  optionalParam(w, p.requestedUpdateRate);
  optionalParam(w, p.active);
  optionalParam(w, p.timeBias);
  optionalParam(w, p.percentDeadband);
  optionalParam(w, p.lcid);
  optionalParam(w, p.clientGroup);
}
// Out: DwordOut (the revised update rate).

// ---- IOPCPublicGroupStateMgt 39C13A51-011E-11D0-9675-0020AFD8ADB3

enum class PublicGroupStateOp : std::uint16_t {
  getState = 3,      // NoIn / DwordOut
  moveToPublic = 4,  // NoIn / ResultOut
};

// ---- IOPCItemMgt 39C13A54-011E-11D0-9675-0020AFD8ADB3

enum class ItemMgtOp : std::uint16_t {
  addItems = 3,
  validateItems = 4,
  removeItems = 5,       // HandlesIn / ErrorsOut
  setActiveState = 6,
  setClientHandles = 7,
  setDatatypes = 8,
  createEnumerator = 9,  // IidIn / InterfaceOut
};

struct ItemDef {
  OptionalText accessPath;
  OptionalText itemId;
  std::int32_t active = 0;
  std::uint32_t clientHandle = 0;
  std::uint32_t blobSize = 0;
  std::vector<std::uint8_t> blob;
  std::uint16_t requestedType = 0;
  std::uint16_t reserved = 0;
};
template <class W>
void walk(W& w, ItemDef& d) {
  w.align(4);
  optionalText(w, d.accessPath);
  optionalText(w, d.itemId);
  w.i32(d.active);
  w.u32(d.clientHandle);
  w.u32(d.blobSize);
  w.sizedPointer(d.blob, d.blobSize, 1);
  w.u16(d.requestedType);
  w.u16(d.reserved);
}

struct ItemResult {
  std::uint32_t serverHandle = 0;
  std::uint16_t canonicalType = 0;
  std::uint16_t reserved = 0;
  std::uint32_t accessRights = 0;
  std::uint32_t blobSize = 0;
  std::vector<std::uint8_t> blob;
};
template <class W>
void walk(W& w, ItemResult& r) {
  w.align(4);
  w.u32(r.serverHandle);
  w.u16(r.canonicalType);
  w.u16(r.reserved);
  w.u32(r.accessRights);
  w.u32(r.blobSize);
  w.sizedPointer(r.blob, r.blobSize, 1);
}

struct ItemDefsIn {
  OrpcThis orpcThis;
  std::uint32_t count = 0;
  std::vector<ItemDef> items;
  std::int32_t blobUpdate = 0;  // ValidateItems only
};
template <class W>
void walkIn(W& w, ItemDefsIn& p, bool validate) {
  w.param(p.orpcThis);
  w.param(p.count);
  inArray(w, p.items, p.count, 28);
  if (validate) w.param(p.blobUpdate);
}

struct ItemResultsOut {
  OrpcThat orpcThat;
  std::uint32_t count = 0;
  std::vector<ItemResult> results;
  std::vector<HRESULT> errors;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, ItemResultsOut& p) {
  w.param(p.orpcThat);
  outArray(w, p.results, p.count, 20);
  outArray(w, p.errors, p.count, 4);
  w.param(p.result);
}

struct HandlesIn {
  OrpcThis orpcThis;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> handles;
};
template <class W>
void walkIn(W& w, HandlesIn& p) {
  w.param(p.orpcThis);
  w.param(p.count);
  inArray(w, p.handles, p.count, 4);
}

struct SetActiveStateIn {
  OrpcThis orpcThis;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> handles;
  std::int32_t active = 0;
};
template <class W>
void walkIn(W& w, SetActiveStateIn& p) {
  w.param(p.orpcThis);
  w.param(p.count);
  inArray(w, p.handles, p.count, 4);
  w.param(p.active);
}

struct SetClientHandlesIn {
  OrpcThis orpcThis;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> handles;
  std::vector<std::uint32_t> clientHandles;
};
template <class W>
void walkIn(W& w, SetClientHandlesIn& p) {
  w.param(p.orpcThis);
  w.param(p.count);
  inArray(w, p.handles, p.count, 4);
  inArray(w, p.clientHandles, p.count, 4);
}

struct SetDatatypesIn {
  OrpcThis orpcThis;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> handles;
  std::vector<std::uint16_t> types;
};
template <class W>
void walkIn(W& w, SetDatatypesIn& p) {
  w.param(p.orpcThis);
  w.param(p.count);
  inArray(w, p.handles, p.count, 4);
  inArray(w, p.types, p.count, 2);
}

}  // namespace opcwire
