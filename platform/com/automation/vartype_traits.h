#pragma once

// What the automation code needs to know about each value type: whether a
// VARIANT or an array may hold it and how large one element is.

#include "com/oleauto.h"

namespace com::automation {

// The scalar types a VARIANT holds directly (VT_EMPTY and VT_NULL included).
bool isScalarType(VARTYPE type);

// Element types a SAFEARRAY may hold.
bool isArrayElementType(VARTYPE type);

// Whether a VARIANT may carry this type code, flags included: a scalar, an
// array of an element type, or a reference to either (VT_BYREF|VT_VARIANT
// included).
bool isValidVariantType(VARTYPE type);

// Bytes of one element of an array of `type`; 0 for types no array holds.
ULONG elementSize(VARTYPE type);

}  // namespace com::automation
