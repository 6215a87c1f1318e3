#pragma once

// The enumerators the other interfaces hand out: IEnumOPCItemAttributes,
// IEnumString, IEnumUnknown and IEnumGUID (IOPCEnumGUID has its methods).

#include "opcwire/methods/shapes.h"

namespace opcwire {

// ---- IEnumOPCItemAttributes 39C13A55-011E-11D0-9675-0020AFD8ADB3

enum class EnumOp : std::uint16_t { next = 3, skip = 4 /* DwordIn / ResultOut */, reset = 5, clone = 6 };
// Next: DwordIn (celt) for every enumerator; Reset NoIn / ResultOut; Clone
// NoIn / InterfaceOut.

struct ItemAttributes {
  OptionalText accessPath;
  OptionalText itemId;
  std::int32_t active = 0;
  std::uint32_t clientHandle = 0;
  std::uint32_t serverHandle = 0;
  std::uint32_t accessRights = 0;
  std::uint32_t blobSize = 0;
  std::vector<std::uint8_t> blob;
  std::uint16_t requestedType = 0;
  std::uint16_t canonicalType = 0;
  std::uint16_t euType = 0;
  Variant euInfo;
};
template <class W>
void walk(W& w, ItemAttributes& a) {
  w.align(4);
  optionalText(w, a.accessPath);
  optionalText(w, a.itemId);
  w.i32(a.active);
  w.u32(a.clientHandle);
  w.u32(a.serverHandle);
  w.u32(a.accessRights);
  w.u32(a.blobSize);
  w.sizedPointer(a.blob, a.blobSize, 1);
  w.u16(a.requestedType);
  w.u16(a.canonicalType);
  w.enum16(a.euType);
  w.item(a.euInfo);
}

struct ItemAttributesNextOut {
  OrpcThat orpcThat;
  std::uint32_t requested = 0;  // celt; the array is sized by what was fetched
  std::vector<ItemAttributes> items;
  std::uint32_t fetched = 0;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, ItemAttributesNextOut& p) {
  w.param(p.orpcThat);
  // [out, size_is(, *pceltFetched)]: the conformance travels with the array.
  w.construct([&] {
    std::uint32_t count = static_cast<std::uint32_t>(p.items.size());
    bool present = !p.items.empty();
    w.referent(present, false);
    if constexpr (W::kDecoding) p.items.clear();
    if (!present || !w.ok()) return;
    w.maxCount(count);
    w.elements(p.items, count, 52);
  });
  w.param(p.fetched);
  w.param(p.result);
}

// ---- IEnumString 00000101-0000-0000-C000-000000000046

// Next: [out, size_is(celt), length_is(*pceltFetched)] LPOLESTR rgelt[].
struct StringNextOut {
  OrpcThat orpcThat;
  std::uint32_t requested = 0;  // celt, the array's conformance
  std::vector<OptionalText> strings;
  std::uint32_t fetched = 0;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, StringNextOut& p) {
  w.param(p.orpcThat);
  w.construct([&] {
    std::uint32_t maximum = p.requested;
    w.conformantVaryingArray(p.strings, 4, [](W& w2, OptionalText& t) { optionalText(w2, t); }, &maximum);
  });
  w.param(p.fetched);
  w.param(p.result);
}

// ---- IEnumUnknown 00000100-0000-0000-C000-000000000046

struct UnknownNextOut {
  OrpcThat orpcThat;
  std::uint32_t requested = 0;
  std::vector<Interface> objects;
  std::uint32_t fetched = 0;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, UnknownNextOut& p) {
  w.param(p.orpcThat);
  w.construct([&] {
    std::uint32_t maximum = p.requested;
    w.conformantVaryingArray(p.objects, 4, [](W& w2, Interface& i) { w2.unique(i); }, &maximum);
  });
  w.param(p.fetched);
  w.param(p.result);
}

// ---- IEnumGUID 0002E000-0000-0000-C000-000000000046

struct GuidNextOut {
  OrpcThat orpcThat;
  std::uint32_t requested = 0;
  std::vector<GUID> guids;
  std::uint32_t fetched = 0;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, GuidNextOut& p) {
  w.param(p.orpcThat);
  w.construct([&] {
    std::uint32_t maximum = p.requested;
    w.conformantVaryingArray(p.guids, 16, [](W& w2, GUID& g) { w2.item(g); }, &maximum);
  });
  w.param(p.fetched);
  w.param(p.result);
}

}  // namespace opcwire
