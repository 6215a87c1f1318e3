#pragma once

// Copying and releasing one value held in memory by its type: an array
// element, or the target of a by-reference VARIANT. SAFEARRAY and VARIANT
// code share these so that both own strings, interfaces and nested values
// the same way.

#include "com/oleauto.h"

namespace com::automation {

// Releases what the value at `storage` owns (frees a BSTR, releases an
// interface, clears a VARIANT) and zeroes it. Plain data is only zeroed.
void releaseElement(VARTYPE type, void* storage, ULONG size);

// Deep-copies the value at `source` into `destination`, which holds nothing
// that needs releasing. On failure `destination` is left zeroed.
HRESULT copyElement(VARTYPE type, void* destination, const void* source, ULONG size);

// Where a VARIANT of scalar type `type` keeps its value: a DECIMAL fills the
// whole VARIANT (its reserved word is the type code), everything else sits in
// the value union.
void* valueStorage(VARIANT& value, VARTYPE type);
const void* valueStorage(const VARIANT& value, VARTYPE type);

// Builds `out` (treated as empty) as a deep copy of the scalar or
// VT_ARRAY|x value of `type` at `storage`.
HRESULT loadVariant(VARTYPE type, const void* storage, VARIANT* out);

}  // namespace com::automation
