// SAFEARRAY on the wire, a conformant structure:
//   max_count (= cDims) · cDims u16 · fFeatures u16 · cbElements u32 ·
//   cLocks u32 · kind u32 · arm {count u32 · pointer [· IID]} ·
//   bounds[cDims] {cElements u32, lLbound i32}
// followed by the pointee of the arm: max_count (= count) and the elements
// (scalars in place; strings, VARIANTs and interfaces as referent ids, then
// each pointee). The bounds keep COM's in-memory order, last dimension first.
// The kind word is little-endian whatever the data representation says,
// which is the only representation this side speaks.

#include <cstring>

#include "ndr/ole.h"

#include "com/value_types.h"

namespace ndr {
namespace {

enum Kind : std::uint32_t {
  kKindI1 = 0x10,
  kKindI2 = 0x02,
  kKindI4 = 0x03,
  kKindI8 = 0x14,
  kKindBstr = 0x08,
  kKindUnknown = 0x0D,
  kKindDispatch = 0x09,
  kKindVariant = 0x0C,
  kKindHaveIid = 0x800D,
};

// The kind of array that carries elements of type vt, with the element's
// size in the descriptor; 0 for types no array on the wire carries.
struct ElementForm {
  std::uint32_t kind;
  std::uint32_t size;  // cbElements as sent
  std::size_t wire;    // fewest bytes one element takes on the wire
};

ElementForm formOf(VARTYPE vt) {
  const com::ValueTypeFacts* facts = com::FactsOfValueType(vt);
  if (facts == nullptr || !facts->inArray) return {0, 0, 0};
  switch (facts->storage) {
    case com::ValueStorage::Data:
      // Plain data travel in the array of their size; a DECIMAL has none.
      switch (facts->dataSize) {
        case 1: return {kKindI1, 1, 1};
        case 2: return {kKindI2, 2, 2};
        case 4: return {kKindI4, 4, 4};
        case 8: return {kKindI8, 8, 8};
        default: return {0, 0, 0};
      }
    case com::ValueStorage::Pointer:
      // Strings and interfaces travel as referent ids; cbElements counts
      // the four bytes of a pointer on the wire.
      return {vt == VT_BSTR ? kKindBstr : vt == VT_DISPATCH ? kKindDispatch : kKindUnknown, 4, 4};
    case com::ValueStorage::Variant:
      return {kKindVariant, 16, 4};
    case com::ValueStorage::None:
      break;
  }
  return {0, 0, 0};
}

// The element type of an array that does not name it (no
// FADF_HAVEVARTYPE): what its kind and feature flags imply.
VARTYPE impliedType(std::uint32_t kind, USHORT features) {
  switch (kind) {
    case kKindI1: return VT_UI1;
    case kKindI2: return VT_I2;
    case kKindI4: return VT_I4;
    case kKindI8: return VT_R8;
    case kKindBstr: return VT_BSTR;
    case kKindUnknown: return VT_UNKNOWN;
    case kKindDispatch: return VT_DISPATCH;
    case kKindVariant: return VT_VARIANT;
    case kKindHaveIid: return (features & FADF_DISPATCH) ? VT_DISPATCH : VT_UNKNOWN;
    default: return VT_EMPTY;
  }
}

template <class W>
void walkElements(W& w, SAFEARRAY* array, VARTYPE vt, std::uint32_t count) {
  std::uint32_t conformance = count;
  w.maxCount(conformance);
  if (!w.ok()) return;
  if (conformance != count) {
    w.fail(Status::invalid);
    return;
  }
  BYTE* data = static_cast<BYTE*>(array->pvData);
  switch (vt) {
    case VT_BSTR: {
      auto* items = reinterpret_cast<BSTR*>(data);
      for (std::uint32_t i = 0; i < count && w.ok(); ++i) bstr(w, items[i]);
      return;
    }
    case VT_VARIANT: {
      auto* items = reinterpret_cast<VARIANT*>(data);
      for (std::uint32_t i = 0; i < count && w.ok(); ++i) walk(w, items[i]);
      return;
    }
    case VT_UNKNOWN:
    case VT_DISPATCH: {
      auto* items = reinterpret_cast<IUnknown**>(data);
      const IID& iid = vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown;
      for (std::uint32_t i = 0; i < count && w.ok(); ++i) interfacePointer(w, items[i], iid);
      return;
    }
    default:
      break;
  }
  const std::size_t size = formOf(vt).size;
  for (std::uint32_t i = 0; i < count && w.ok(); ++i) {
    BYTE* element = data + std::size_t{i} * size;
    switch (size) {
      case 1: w.u8(*element); break;
      case 2: { std::uint16_t v; std::memcpy(&v, element, 2); w.u16(v); std::memcpy(element, &v, 2); break; }
      case 4: { std::uint32_t v; std::memcpy(&v, element, 4); w.u32(v); std::memcpy(element, &v, 4); break; }
      default: { std::uint64_t v; std::memcpy(&v, element, 8); w.u64(v); std::memcpy(element, &v, 8); break; }
    }
  }
}

void walkStructure(Encoder& w, SAFEARRAY*& array, VARTYPE expected) {
  VARTYPE vt = VT_EMPTY;
  if (FAILED(SafeArrayGetVartype(array, &vt)) || (expected != VT_EMPTY && vt != expected)) {
    w.fail(Status::unsupported);
    return;
  }
  const ElementForm form = formOf(vt);
  if (form.kind == 0 || array->cDims == 0) {
    w.fail(Status::unsupported);
    return;
  }
  std::uint32_t dims = array->cDims;
  std::uint64_t total = 1;
  for (std::uint32_t i = 0; i < dims; ++i) total *= array->rgsabound[i].cElements;
  if (total > 0xFFFFFFFFu) {
    w.fail(Status::unsupported);
    return;
  }
  std::uint32_t count = static_cast<std::uint32_t>(total);
  w.maxCount(dims);
  std::uint16_t cDims = array->cDims;
  std::uint16_t features = FADF_HAVEVARTYPE;
  if (vt == VT_BSTR) features |= FADF_BSTR;
  if (vt == VT_UNKNOWN) features |= FADF_UNKNOWN;
  if (vt == VT_DISPATCH) features |= FADF_DISPATCH;
  if (vt == VT_VARIANT) features |= FADF_VARIANT;
  std::uint32_t elementSize = form.size;
  std::uint32_t locks = std::uint32_t{vt} << 16;
  std::uint32_t kind = form.kind;
  w.u16(cDims);
  w.u16(features);
  w.u32(elementSize);
  w.u32(locks);
  w.u32(kind);
  w.u32(count);
  bool present = true;
  w.referent(present, true);
  for (std::uint32_t i = 0; i < dims; ++i) {
    std::uint32_t elements = array->rgsabound[i].cElements;
    std::int32_t lower = array->rgsabound[i].lLbound;
    w.u32(elements);
    w.i32(lower);
  }
  SAFEARRAY* target = array;
  w.defer([&w, target, vt, count] { walkElements(w, target, vt, count); });
}

void walkStructure(Decoder& w, SAFEARRAY*& array, VARTYPE expected) {
  std::uint32_t dims = 0, elementSize = 0, locks = 0, kind = 0, count = 0;
  std::uint16_t cDims = 0, features = 0;
  w.maxCount(dims);
  w.u16(cDims);
  w.u16(features);
  w.u32(elementSize);
  w.u32(locks);
  w.u32(kind);
  w.u32(count);
  bool present = false;
  w.referent(present, false);
  if (kind == kKindHaveIid) {
    GUID iid{};
    walk(w, iid);
  }
  if (!w.ok()) return;
  if (cDims == 0 || cDims != dims) {
    w.fail(Status::invalid);
    return;
  }
  if (!w.canHold(dims, 8)) return;
  std::vector<SAFEARRAYBOUND> bounds(dims);
  std::uint64_t total = 1;
  // The wire holds the last dimension first; SafeArrayCreate takes the
  // first first.
  for (std::uint32_t i = 0; i < dims; ++i) {
    SAFEARRAYBOUND& bound = bounds[dims - 1 - i];
    std::uint32_t elements = 0;
    std::int32_t lower = 0;
    w.u32(elements);
    w.i32(lower);
    bound.cElements = elements;
    bound.lLbound = lower;
    total *= elements;
    if (total > 0xFFFFFFFFu) total = 0x100000000u;
  }
  if (!w.ok()) return;
  const VARTYPE vt = (features & FADF_HAVEVARTYPE) ? static_cast<VARTYPE>(locks >> 16)
                                                    : impliedType(kind, features);
  const ElementForm form = formOf(vt);
  const bool kindMatches = form.kind == kind || (kind == kKindHaveIid && (vt == VT_UNKNOWN || vt == VT_DISPATCH));
  if (form.kind == 0 || !kindMatches || (expected != VT_EMPTY && vt != expected) || total != count ||
      (!present && count != 0)) {
    w.fail(Status::invalid);
    return;
  }
  if (!w.canHold(count, form.wire)) return;
  array = SafeArrayCreate(vt, dims, bounds.data());
  if (!array) {
    w.fail(Status::unsupported);
    return;
  }
  if (!present) return;
  SAFEARRAY* target = array;
  w.defer([&w, target, vt, count] { walkElements(w, target, vt, count); });
}

// The VARIANT arm's two pointer levels in front of the structure.
template <class W>
void walkSafeArray(W& w, SAFEARRAY*& array, VARTYPE expected) {
  if constexpr (W::kDecoding) {
    if (array) SafeArrayDestroy(array);
    array = nullptr;
  }
  bool present = array != nullptr;
  w.referent(present, false);
  if (!present || !w.ok()) return;
  SAFEARRAY** target = &array;
  w.defer([&w, target, expected] {
    bool inner = *target != nullptr || W::kDecoding;
    w.referent(inner, false);
    if (!inner || !w.ok()) return;
    w.defer([&w, target, expected] { walkStructure(w, *target, expected); });
  });
}

}  // namespace

void safeArray(Encoder& w, SAFEARRAY*& value, VARTYPE expected) { walkSafeArray(w, value, expected); }
void safeArray(Decoder& w, SAFEARRAY*& value, VARTYPE expected) { walkSafeArray(w, value, expected); }

}  // namespace ndr
