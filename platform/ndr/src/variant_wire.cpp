// VARIANT on the wire: a unique pointer to
//   clSize u32 · rpcReserved u32 · vt u16 · wReserved1..3 u16 ·
//   tag u32 (= vt) · the arm for vt, aligned to its own type,
// the whole structure aligned to 8 and followed by the pointees of its arm.
// clSize (the size in units of eight bytes) differs between peers for the
// same value, so it is ignored when reading and computed when writing.

#include <cstring>

#include "ndr/ole.h"

#include "com/unknown.h"
#include "com/value_types.h"

namespace ndr {
namespace {

template <class W>
void walkVariant(W& w, VARIANT& value);

// One arm of the union, for element type base, in storage slot. A decoded
// value always lands in owner itself.
template <class W>
void walkArm(W& w, VARTYPE base, void* slot, VARIANT& owner) {
  switch (base) {
    case VT_EMPTY:
    case VT_NULL:
      return;
    case VT_I1:
    case VT_UI1:
      w.u8(*static_cast<std::uint8_t*>(slot));
      return;
    case VT_I2:
    case VT_UI2:
      w.i16(*static_cast<std::int16_t*>(slot));
      return;
    case VT_BOOL: {
      auto& flag = *static_cast<VARIANT_BOOL*>(slot);
      if constexpr (W::kDecoding) {
        // Some peers write the flag as one byte, and what follows it up to
        // the next item's alignment is padding of any content. The low byte
        // alone therefore decides: it is the whole flag of such a peer and
        // 0x00 or 0xFF in a proper VARIANT_BOOL.
        w.align(2);
        std::uint8_t low = 0;
        w.get(low);
        if (w.remaining() > 0) w.skip(1);
        flag = low ? VARIANT_TRUE : VARIANT_FALSE;
      } else {
        std::int16_t wide = flag ? VARIANT_TRUE : VARIANT_FALSE;
        w.i16(wide);
      }
      return;
    }
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
      w.i32(*static_cast<std::int32_t*>(slot));
      return;
    case VT_R4:
      w.f32(*static_cast<float*>(slot));
      return;
    case VT_I8:
    case VT_UI8:
    case VT_CY:
      w.i64(*static_cast<std::int64_t*>(slot));
      return;
    case VT_R8:
    case VT_DATE:
      w.f64(*static_cast<double*>(slot));
      return;
    case VT_DECIMAL: {
      // In a VARIANT the DECIMAL overlays the type field, so it travels
      // through a copy whose reserved word is zero.
      DECIMAL copy{};
      if constexpr (!W::kDecoding) {
        std::memcpy(&copy, slot, sizeof copy);
        copy.wReserved = 0;
      }
      walk(w, copy);
      if constexpr (W::kDecoding) {
        if (w.ok()) {
          owner.decVal = copy;
          owner.vt = VT_DECIMAL;
        }
      }
      return;
    }
    case VT_BSTR:
      bstr(w, *static_cast<BSTR*>(slot));
      return;
    case VT_UNKNOWN:
      interfacePointer(w, *static_cast<IUnknown**>(slot), IID_IUnknown);
      return;
    case VT_DISPATCH:
      interfacePointer(w, *static_cast<IUnknown**>(slot), IID_IDispatch);
      return;
    case VT_VARIANT:
      walkVariant(w, *static_cast<VARIANT*>(slot));
      return;
    default:
      w.fail(Status::unsupported);
      return;
  }
}

template <class W>
void walkArms(W& w, VARTYPE vt, VARIANT& value) {
  const VARTYPE base = vt & VT_TYPEMASK;
  if (vt & VT_BYREF) {
    // One more pointer level in front of the arm.
    void* slot = base == VT_VARIANT ? static_cast<void*>(&value) : static_cast<void*>(&value.llVal);
    if constexpr (!W::kDecoding) {
      slot = value.byref;
      if (!slot) {
        w.fail(Status::invalid);
        return;
      }
    }
    bool present = true;
    w.referent(present, true);
    if (!w.ok()) return;
    w.defer([&w, vt, slot, &value] {
      if (vt & VT_ARRAY) {
        safeArray(w, *static_cast<SAFEARRAY**>(slot), vt & VT_TYPEMASK);
      } else {
        walkArm(w, vt & VT_TYPEMASK, slot, value);
      }
    });
    return;
  }
  if (vt & VT_ARRAY) {
    safeArray(w, value.parray, base);
    return;
  }
  // A DECIMAL fills the whole VARIANT; every other value sits in the union.
  void* slot = base == VT_DECIMAL ? static_cast<void*>(&value.decVal) : static_cast<void*>(&value.llVal);
  walkArm(w, base, slot, value);
}

// The wireVARIANT structure itself.
template <class W>
void walkStructure(W& w, VARIANT& value) {
  w.align(8);
  std::uint32_t size = 0, reserved = 0;
  w.u32(size);
  w.u32(reserved);
  VARTYPE vt = value.vt;
  std::uint16_t filler[3] = {0, 0, 0};
  w.u16(vt);
  for (auto& word : filler) w.u16(word);
  std::uint32_t tag = vt;
  w.u32(tag);
  if (!w.ok()) return;
  if (tag != vt || !isWireVariantType(vt)) {
    w.fail(W::kDecoding ? Status::invalid : Status::unsupported);
    return;
  }
  if constexpr (W::kDecoding) {
    // The value owns whatever is decoded into it from here on; a reference
    // arrives as the value it refers to (a VARIANT's fills this one).
    VariantInit(&value);
    const VARTYPE held = vt & ~VT_BYREF;
    value.vt = held == VT_VARIANT ? VARTYPE{VT_EMPTY} : held;
  }
  walkArms(w, vt, value);
}

// A value that is one scalar of at most eight bytes, or none: nearly every
// value a Read or a data change carries. Its wireVARIANT has no pointees
// and a fixed layout, so it is written in one piece from two words: the
// scalar's bytes (the rest zero), and its type with its size above it.
bool scalarVariant(const VARIANT& value, std::uint64_t& arm, std::uint64_t& typeAndSize) {
  const VARTYPE vt = value.vt;
  const com::ValueTypeFacts* facts = com::FactsOfValueType(vt);  // null when flags are set
  if (facts == nullptr || !facts->inVariant) return false;
  std::uint64_t size = 0;
  if (facts->storage == com::ValueStorage::Data && facts->dataSize <= 8) {
    size = facts->dataSize;
  } else if (facts->storage != com::ValueStorage::None) {
    return false;
  }
  // The union is eight bytes wide whatever the type: read whole, masked.
  if (vt == VT_BOOL) {
    arm = static_cast<std::uint16_t>(value.boolVal ? VARIANT_TRUE : VARIANT_FALSE);
  } else {
    std::memcpy(&arm, &value.llVal, sizeof arm);
    if (size < 8) arm &= (std::uint64_t{1} << (8 * size)) - 1;
  }
  typeAndSize = vt | size << 16;
  return true;
}

// The bytes walkStructure would write for it: the twenty up to the tag,
// then the scalar at its own alignment (four bytes of padding before an
// eight-byte one).
void writeScalarVariant(WalkerBase& walker, std::uint64_t arm, std::uint64_t typeAndSize) {
  auto& w = static_cast<Encoder&>(walker);
  const std::uint64_t vt = typeAndSize & 0xFFFF;
  const std::uint64_t size = typeAndSize >> 16;
  const bool wide = size == 8;
  const std::size_t length = wide ? 32 : 20 + size;
  w.align(8);
  w.words(length, variantSizeUnits(length),         // clSize, rpcReserved
          vt,                                       // vt, wReserved1..3
          wide ? vt : (vt | arm << 32),             // tag, then the arm or padding
          wide ? arm : 0);
}

template <class W>
void walkVariant(W& w, VARIANT& value) {
  if constexpr (W::kDecoding) {
    VariantClear(&value);
    VariantInit(&value);
  }
  bool present = true;
  w.referent(present, false);
  if (!present || !w.ok()) return;
  if constexpr (!W::kDecoding) {
    std::uint64_t arm = 0, typeAndSize = 0;
    if (scalarVariant(value, arm, typeAndSize)) {
      w.deferLeaf(writeScalarVariant, arm, typeAndSize);
      return;
    }
  }
  VARIANT* target = &value;
  w.defer([&w, target] {
    w.align(8);
    const std::size_t start = w.position();
    w.construct([&] { walkStructure(w, *target); });
    if constexpr (!W::kDecoding) {
      if (w.ok()) w.patch32(start, variantSizeUnits(w.position() - start));
    }
  });
}

template <class W>
void walkInterface(W& w, IUnknown*& value, REFIID iid) {
  if constexpr (W::kDecoding) {
    if (value) value->Release();
    value = nullptr;
  }
  bool present = value != nullptr;
  w.referent(present, false);
  if (!present || !w.ok()) return;
  if (!w.marshaler()) {
    w.fail(Status::unsupported);
    return;
  }
  if constexpr (W::kDecoding) {
    IUnknown** target = &value;
    const IID wanted = iid;
    w.defer([&w, target, wanted] {
      InterfacePointer pointer;
      walk(w, pointer);
      if (!w.ok()) return;
      IUnknown* object = nullptr;
      if (FAILED(w.marshaler()->unmarshal(pointer.data, wanted, &object))) {
        w.fail(Status::invalid);
        return;
      }
      *target = object;
    });
  } else {
    auto pointer = std::make_shared<InterfacePointer>();
    if (FAILED(w.marshaler()->marshal(value, iid, pointer->data))) {
      w.fail(Status::unsupported);
      return;
    }
    w.defer([&w, pointer] { walk(w, *pointer); });
  }
}

}  // namespace

// The types a wireVARIANT's union has an arm for are those a VARIANT may
// hold at all.
bool isWireVariantType(VARTYPE vt) { return com::IsValidVariantType(vt); }

void walk(Encoder& w, VARIANT& value) { walkVariant(w, value); }
void walk(Decoder& w, VARIANT& value) { walkVariant(w, value); }
void interfacePointer(Encoder& w, IUnknown*& value, REFIID iid) { walkInterface(w, value, iid); }
void interfacePointer(Decoder& w, IUnknown*& value, REFIID iid) { walkInterface(w, value, iid); }

}  // namespace ndr
