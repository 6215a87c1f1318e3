// VARIANT lifetime: initialise, clear, deep copy, and copy through a
// reference. A VARIANT owns its string, its interface reference and its
// array; a by-reference VARIANT owns nothing it points to.

#include <cstring>

#include "com/oleauto.h"
#include "com/value_types.h"
#include "element_ops.h"

using namespace com::automation;
using com::IsValidVariantType;

namespace {

// Moves a built value into a destination that may still own one. The value
// is built first so that a source living inside the destination (an element
// of its array, say) is still intact while it is copied.
HRESULT replaceWith(VARIANT* destination, VARIANT* built) {
  const HRESULT result = VariantClear(destination);
  if (FAILED(result)) {
    VariantClear(built);
    return result;
  }
  std::memcpy(destination, built, sizeof(VARIANT));
  VariantInit(built);
  return S_OK;
}

// Deep copy of a value that is not by reference into an empty VARIANT.
HRESULT copyOwned(const VARIANT& source, VARIANT* out) {
  const VARTYPE type = source.vt;
  if (type & VT_ARRAY) return loadVariant(type, &source.parray, out);
  switch (type) {
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH:
      return loadVariant(type, &source.llVal, out);
    default:
      std::memcpy(out, &source, sizeof(VARIANT));
      return S_OK;
  }
}

// Deep copy of what a by-reference VARIANT points to, as a value of the
// referenced type.
HRESULT copyReferenced(const VARIANT& source, VARIANT* out) {
  VariantInit(out);
  const VARTYPE type = source.vt & ~VT_BYREF;
  if (source.byref == nullptr) return E_INVALIDARG;
  if (type == VT_VARIANT) {
    const VARIANT& inner = *source.pvarVal;
    // A reference to a VARIANT that is itself a reference to a VARIANT would
    // let the chain run on (or loop); COM refuses it too.
    if (inner.vt == (VT_BYREF | VT_VARIANT)) return E_INVALIDARG;
    if (!IsValidVariantType(inner.vt)) return DISP_E_BADVARTYPE;
    return (inner.vt & VT_BYREF) ? copyReferenced(inner, out) : copyOwned(inner, out);
  }
  return loadVariant(type, source.byref, out);
}

}  // namespace

extern "C" {

void VariantInit(VARIANTARG* value) {
  if (value == nullptr) return;
  std::memset(value, 0, sizeof(VARIANT));
  value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* value) {
  if (value == nullptr) return E_INVALIDARG;
  const VARTYPE type = value->vt;
  if (!IsValidVariantType(type)) return DISP_E_BADVARTYPE;
  if (!(type & VT_BYREF)) {
    if (type & VT_ARRAY) {
      const HRESULT result = SafeArrayDestroy(value->parray);
      if (FAILED(result)) return result;
    } else if (type == VT_BSTR) {
      SysFreeString(value->bstrVal);
    } else if ((type == VT_UNKNOWN || type == VT_DISPATCH) && value->punkVal != nullptr) {
      value->punkVal->Release();
    }
  }
  VariantInit(value);
  return S_OK;
}

HRESULT VariantCopy(VARIANTARG* destination, const VARIANTARG* source) {
  if (destination == nullptr || source == nullptr) return E_INVALIDARG;
  if (destination == source) return S_OK;
  if (!IsValidVariantType(source->vt)) return DISP_E_BADVARTYPE;
  VARIANT built;
  VariantInit(&built);
  if (source->vt & VT_BYREF) {
    // A by-reference value is copied as the reference itself.
    std::memcpy(&built, source, sizeof(VARIANT));
  } else {
    const HRESULT result = copyOwned(*source, &built);
    if (FAILED(result)) return result;
  }
  return replaceWith(destination, &built);
}

HRESULT VariantCopyInd(VARIANT* destination, const VARIANTARG* source) {
  if (destination == nullptr || source == nullptr) return E_INVALIDARG;
  if (!IsValidVariantType(source->vt)) return DISP_E_BADVARTYPE;
  if (!(source->vt & VT_BYREF)) return VariantCopy(destination, source);
  VARIANT built;
  const HRESULT result = copyReferenced(*source, &built);
  if (FAILED(result)) return result;
  return replaceWith(destination, &built);
}

}  // extern "C"
