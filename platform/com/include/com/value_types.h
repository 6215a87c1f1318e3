#pragma once

// The facts about each plain value type (a type code without the VT_ARRAY or
// VT_BYREF flag) that the automation code, the servers and the stream code
// all rely on: its name, how its value is stored and how large it is, and
// whether a VARIANT, an array or a reference may carry it. Kept in one table
// so that the parts cannot disagree about a type.

#include <array>
#include <cstdint>

#include "com/oleauto.h"

namespace com {

// How a value of the type is held.
enum class ValueStorage : std::uint8_t {
  None,     // no value of its own: VT_EMPTY, VT_NULL
  Data,     // plain data of a fixed size on every platform
  Pointer,  // a pointer: a string or an interface, as large as the platform's pointers
  Variant,  // a whole VARIANT (only inside arrays and behind references)
};

struct ValueTypeFacts {
  VARTYPE type = VT_EMPTY;
  const char* name = nullptr;  // "VT_I4"; null for a code that names no type
  ValueStorage storage = ValueStorage::None;
  std::uint8_t dataSize = 0;  // bytes of a Data value, 0 for the others
  bool inVariant = false;     // a VARIANT may hold it directly
  bool inArray = false;       // a SAFEARRAY may hold it
  bool byReference = false;   // VT_BYREF may refer to it
};

namespace value_types_detail {

constexpr ValueTypeFacts none(VARTYPE type, const char* name) {
  return {type, name, ValueStorage::None, 0, true, false, false};
}
constexpr ValueTypeFacts data(VARTYPE type, const char* name, std::uint8_t size) {
  return {type, name, ValueStorage::Data, size, true, true, true};
}
constexpr ValueTypeFacts pointer(VARTYPE type, const char* name) {
  return {type, name, ValueStorage::Pointer, 0, true, true, true};
}

// Indexed by the type code; codes 15 and above VT_UINT name no type.
inline constexpr std::array<ValueTypeFacts, VT_UINT + 1> kValueTypes = {{
    none(VT_EMPTY, "VT_EMPTY"),
    none(VT_NULL, "VT_NULL"),
    data(VT_I2, "VT_I2", 2),
    data(VT_I4, "VT_I4", 4),
    data(VT_R4, "VT_R4", 4),
    data(VT_R8, "VT_R8", 8),
    data(VT_CY, "VT_CY", 8),
    data(VT_DATE, "VT_DATE", 8),
    pointer(VT_BSTR, "VT_BSTR"),
    pointer(VT_DISPATCH, "VT_DISPATCH"),
    data(VT_ERROR, "VT_ERROR", 4),
    data(VT_BOOL, "VT_BOOL", 2),
    {VT_VARIANT, "VT_VARIANT", ValueStorage::Variant, 0, false, true, true},
    pointer(VT_UNKNOWN, "VT_UNKNOWN"),
    data(VT_DECIMAL, "VT_DECIMAL", 16),
    {},
    data(VT_I1, "VT_I1", 1),
    data(VT_UI1, "VT_UI1", 1),
    data(VT_UI2, "VT_UI2", 2),
    data(VT_UI4, "VT_UI4", 4),
    data(VT_I8, "VT_I8", 8),
    data(VT_UI8, "VT_UI8", 8),
    data(VT_INT, "VT_INT", 4),
    data(VT_UINT, "VT_UINT", 4),
}};

}  // namespace value_types_detail

// The facts of a plain type code, or null when the code (flags included)
// names no type.
constexpr const ValueTypeFacts* FactsOfValueType(VARTYPE type) {
  if (type >= value_types_detail::kValueTypes.size()) return nullptr;
  const ValueTypeFacts& facts = value_types_detail::kValueTypes[type];
  return facts.name != nullptr ? &facts : nullptr;
}

// The name of a plain type code ("VT_I4"), or null.
constexpr const char* ValueTypeName(VARTYPE type) {
  const ValueTypeFacts* facts = FactsOfValueType(type);
  return facts != nullptr ? facts->name : nullptr;
}

// Bytes of a plain data value of the type (the same on every platform), or 0
// for a type whose value is no plain data (strings, interfaces, VARIANTs).
constexpr unsigned ValueDataSize(VARTYPE type) {
  const ValueTypeFacts* facts = FactsOfValueType(type);
  return facts != nullptr ? facts->dataSize : 0;
}

// Bytes of one element of an array of the type in this process, or 0 for a
// type no array holds.
constexpr unsigned ArrayElementSize(VARTYPE type) {
  const ValueTypeFacts* facts = FactsOfValueType(type);
  if (facts == nullptr || !facts->inArray) return 0;
  switch (facts->storage) {
    case ValueStorage::Data: return facts->dataSize;
    case ValueStorage::Pointer: return sizeof(void*);
    case ValueStorage::Variant: return sizeof(VARIANT);
    case ValueStorage::None: break;
  }
  return 0;
}

// Whether a VARIANT may carry the type code, flags included: a scalar, an
// array of an element type, or a reference to either (VT_BYREF|VT_VARIANT
// included).
constexpr bool IsValidVariantType(VARTYPE type) {
  const VARTYPE flags = type & ~VT_TYPEMASK;
  if (flags & ~(VT_ARRAY | VT_BYREF)) return false;
  const ValueTypeFacts* facts = FactsOfValueType(type & VT_TYPEMASK);
  if (facts == nullptr) return false;
  if (flags & VT_ARRAY) return facts->inArray;
  if (flags & VT_BYREF) return facts->byReference;
  return facts->inVariant;
}

// Whether VariantClear may have something to free for a value of this type
// (flags included): a string, an interface or an array. Code that drops many
// plain values at once skips the call for the others.
constexpr bool VariantMayOwnResources(VARTYPE type) {
  return (type & VT_ARRAY) || type == VT_BSTR || type == VT_UNKNOWN || type == VT_DISPATCH;
}

// Read from the table itself: GCC does not take the address comparison in
// ValueDataSize as a constant when the undefined-behaviour sanitizer checks
// pointers, so the assertion would fail to compile in that build.
static_assert(value_types_detail::kValueTypes[VT_DECIMAL].dataSize == sizeof(DECIMAL) &&
                  value_types_detail::kValueTypes[VT_CY].dataSize == sizeof(CY) &&
                  value_types_detail::kValueTypes[VT_BOOL].dataSize == sizeof(VARIANT_BOOL) &&
                  value_types_detail::kValueTypes[VT_DATE].dataSize == sizeof(DATE),
              "the table's sizes are those of the value records");

}  // namespace com
