#pragma once

// Browsing the server's address space and reading item properties:
// IOPCBrowseServerAddressSpace and IOPCItemProperties.

#include "opcwire/methods/shapes.h"

namespace opcwire {

// ---- IOPCBrowseServerAddressSpace 39C13A4F-011E-11D0-9675-0020AFD8ADB3

enum class BrowseOp : std::uint16_t {
  queryOrganization = 3,     // NoIn / EnumOut
  changeBrowsePosition = 4,
  browseOpcItemIds = 5,
  getItemId = 6,             // TextIn / TextOut
  browseAccessPaths = 7,     // TextIn / InterfaceOut
};

struct EnumOut {
  OrpcThat orpcThat;
  std::uint16_t value = 0;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, EnumOut& p) {
  w.param(p.orpcThat);
  enumParam(w, p.value);
  w.param(p.result);
}

struct ChangeBrowsePositionIn {
  OrpcThis orpcThis;
  std::uint16_t direction = 0;
  Text name;
};
template <class W>
void walkIn(W& w, ChangeBrowsePositionIn& p) {
  w.param(p.orpcThis);
  enumParam(w, p.direction);
  textParam(w, p.name);
}

struct BrowseItemIdsIn {
  OrpcThis orpcThis;
  std::uint16_t filterType = 0;
  Text filter;
  std::uint16_t dataTypeFilter = 0;
  std::uint32_t accessRightsFilter = 0;
};
template <class W>
void walkIn(W& w, BrowseItemIdsIn& p) {
  w.param(p.orpcThis);
  enumParam(w, p.filterType);
  textParam(w, p.filter);
  w.param(p.dataTypeFilter);
  w.param(p.accessRightsFilter);
}
// Out: InterfaceOut (an IEnumString).

// ---- IOPCItemProperties 39C13A72-011E-11D0-9675-0020AFD8ADB3

enum class ItemPropertiesOp : std::uint16_t {
  queryAvailableProperties = 3,  // TextIn / AvailablePropertiesOut
  getItemProperties = 4,
  lookupItemIds = 5,
};

struct AvailablePropertiesOut {
  OrpcThat orpcThat;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> ids;
  std::vector<OptionalText> descriptions;
  std::vector<std::uint16_t> types;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, AvailablePropertiesOut& p) {
  w.param(p.orpcThat);
  w.param(p.count);
  outArray(w, p.ids, p.count, 4);
  w.construct([&] {
    w.sizedPointer(p.descriptions, p.count, 4, [](W& w2, OptionalText& t) { optionalText(w2, t); });
  });
  outArray(w, p.types, p.count, 2);
  w.param(p.result);
}

struct PropertiesIn {
  OrpcThis orpcThis;
  Text itemId;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> ids;
};
template <class W>
void walkIn(W& w, PropertiesIn& p) {
  w.param(p.orpcThis);
  textParam(w, p.itemId);
  w.param(p.count);
  inArray(w, p.ids, p.count, 4);
}

struct PropertyValuesOut {
  OrpcThat orpcThat;
  std::uint32_t count = 0;
  std::vector<Variant> values;
  std::vector<HRESULT> errors;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, PropertyValuesOut& p) {
  w.param(p.orpcThat);
  outArray(w, p.values, p.count, 4);
  outArray(w, p.errors, p.count, 4);
  w.param(p.result);
}

struct PropertyItemIdsOut {
  OrpcThat orpcThat;
  std::uint32_t count = 0;
  std::vector<OptionalText> itemIds;
  std::vector<HRESULT> errors;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, PropertyItemIdsOut& p) {
  w.param(p.orpcThat);
  w.construct([&] {
    w.sizedPointer(p.itemIds, p.count, 4, [](W& w2, OptionalText& t) { optionalText(w2, t); });
  });
  outArray(w, p.errors, p.count, 4);
  w.param(p.result);
}

}  // namespace opcwire
