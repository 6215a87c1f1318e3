// VariantChangeType: the standard coercion between value types. A
// by-reference source is converted from the value it refers to; arrays
// convert element by element into an array of the same shape; scalars take
// the route the coercion table gives. The destination changes only when the
// conversion succeeds, and may be the source itself.

#include <cstring>
#include <vector>

#include "coercion_table.h"
#include "com/oleauto.h"
#include "com/value_types.h"
#include "element_ops.h"
#include "locale_formats.h"
#include "numeric_coercion.h"
#include "text_coercion.h"

namespace com::automation {
namespace {

struct Coercion {
  LCID locale;
  USHORT flags;
};

HRESULT convert(const VARIANT& source, VARTYPE type, const Coercion& coercion, VARIANT* out);

HRESULT convertInterface(const VARIANT& source, VARTYPE type, VARIANT* out) {
  VariantInit(out);
  IUnknown* object = nullptr;
  if (source.punkVal != nullptr) {
    const HRESULT result =
        source.punkVal->QueryInterface(type == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, reinterpret_cast<void**>(&object));
    if (FAILED(result)) return result == E_NOINTERFACE ? DISP_E_TYPEMISMATCH : result;
  }
  out->punkVal = object;
  out->vt = type;
  return S_OK;
}

HRESULT convertScalar(const VARIANT& source, VARTYPE type, const Coercion& coercion, VARIANT* out) {
  VariantInit(out);
  const LocaleFormats* locale = nullptr;
  switch (routeFor(source.vt, type)) {
    case Route::Copy:
      return VariantCopy(out, &source);
    case Route::MakeEmpty:
      return S_OK;
    case Route::MakeNull:
      out->vt = VT_NULL;
      return S_OK;
    case Route::Numeric: {
      NumericValue value;
      const HRESULT result = readNumeric(source, &value);
      return FAILED(result) ? result : writeNumeric(value, type, out);
    }
    case Route::ToText: {
      const HRESULT result = localeFormatsFor(coercion.locale, &locale);
      if (FAILED(result)) return result;
      BSTR text = nullptr;
      const HRESULT converted = valueToText(source, coercion.flags, *locale, &text);
      if (FAILED(converted)) return converted;
      out->bstrVal = text;
      out->vt = VT_BSTR;
      return S_OK;
    }
    case Route::FromText: {
      const HRESULT result = localeFormatsFor(coercion.locale, &locale);
      return FAILED(result) ? result : textToValue(source.bstrVal, type, *locale, out);
    }
    case Route::Interface:
      return convertInterface(source, type, out);
    case Route::Mismatch:
      break;
  }
  return DISP_E_TYPEMISMATCH;
}

std::vector<SAFEARRAYBOUND> creationBoundsOf(SAFEARRAY* array) {
  // The descriptor keeps its bounds last dimension first.
  std::vector<SAFEARRAYBOUND> bounds(array->cDims);
  const SAFEARRAYBOUND* stored = array->rgsabound;
  for (UINT i = 0; i < array->cDims; ++i) bounds[i] = stored[array->cDims - 1 - i];
  return bounds;
}

ULONG elementCount(const std::vector<SAFEARRAYBOUND>& bounds) {
  ULONG count = 1;
  for (const auto& bound : bounds) count *= bound.cElements;
  return count;
}

// Converts every element of an array into a new array of the same shape.
HRESULT convertArray(const VARIANT& source, VARTYPE type, const Coercion& coercion, VARIANT* out) {
  VariantInit(out);
  SAFEARRAY* from = source.parray;
  const VARTYPE fromElement = source.vt & ~VT_ARRAY;
  const VARTYPE toElement = type & ~VT_ARRAY;
  if (from == nullptr) {
    out->vt = type;
    return S_OK;
  }
  if (from->cbElements != ArrayElementSize(fromElement)) return DISP_E_BADVARTYPE;
  std::vector<SAFEARRAYBOUND> bounds = creationBoundsOf(from);
  SAFEARRAY* to = SafeArrayCreate(toElement, from->cDims, bounds.data());
  if (to == nullptr) return E_OUTOFMEMORY;

  HRESULT result = SafeArrayLock(from);
  if (FAILED(result)) {
    SafeArrayDestroy(to);
    return result;
  }
  const ULONG count = elementCount(bounds);
  for (ULONG cell = 0; cell < count && SUCCEEDED(result); ++cell) {
    const void* fromCell = static_cast<const BYTE*>(from->pvData) + std::size_t{cell} * from->cbElements;
    void* toCell = static_cast<BYTE*>(to->pvData) + std::size_t{cell} * to->cbElements;
    VARIANT element;
    VariantInit(&element);
    if (fromElement == VT_VARIANT) {
      result = VariantCopy(&element, static_cast<const VARIANT*>(fromCell));
    } else {
      result = loadVariant(fromElement, fromCell, &element);
    }
    if (FAILED(result)) break;
    if (toElement == VT_VARIANT) {
      // The element becomes a VARIANT of its own type; it moves in as is.
      std::memcpy(toCell, &element, sizeof(VARIANT));
      continue;
    }
    VARIANT converted;
    result = convert(element, toElement, coercion, &converted);
    VariantClear(&element);
    if (FAILED(result)) break;
    // Moves the value (string, interface or plain data) into the cell.
    std::memcpy(toCell, valueStorage(converted, toElement), to->cbElements);
    if (toElement == VT_DECIMAL) static_cast<DECIMAL*>(toCell)->wReserved = 0;
  }
  SafeArrayUnlock(from);
  if (FAILED(result)) {
    SafeArrayDestroy(to);
    return result;
  }
  out->parray = to;
  out->vt = type;
  return S_OK;
}

HRESULT convert(const VARIANT& source, VARTYPE type, const Coercion& coercion, VARIANT* out) {
  VariantInit(out);
  if (source.vt & VT_BYREF) {
    VARIANT value;
    VariantInit(&value);
    HRESULT result = VariantCopyInd(&value, &source);
    if (FAILED(result)) return result;
    result = convert(value, type, coercion, out);
    VariantClear(&value);
    return result;
  }
  if (source.vt == type) return VariantCopy(out, &source);
  const bool fromArray = source.vt & VT_ARRAY;
  const bool toArray = type & VT_ARRAY;
  if (fromArray && toArray) return convertArray(source, type, coercion, out);
  if (fromArray || toArray) return DISP_E_TYPEMISMATCH;
  return convertScalar(source, type, coercion, out);
}

}  // namespace
}  // namespace com::automation

using namespace com::automation;
using com::IsValidVariantType;

extern "C" {

HRESULT VariantChangeTypeEx(VARIANTARG* destination, const VARIANTARG* source, LCID locale, USHORT flags,
                            VARTYPE type) {
  if (destination == nullptr || source == nullptr) return E_INVALIDARG;
  if (!IsValidVariantType(source->vt) || !IsValidVariantType(type)) return DISP_E_BADVARTYPE;
  // A value cannot be converted into a reference: there is nothing for it to
  // refer to.
  if (type & VT_BYREF) return DISP_E_TYPEMISMATCH;
  VARIANT result;
  const HRESULT converted = convert(*source, type, Coercion{locale, flags}, &result);
  if (FAILED(converted)) return converted;
  const HRESULT cleared = VariantClear(destination);
  if (FAILED(cleared)) {
    VariantClear(&result);
    return cleared;
  }
  std::memcpy(destination, &result, sizeof(VARIANT));
  return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source, USHORT flags, VARTYPE type) {
  return VariantChangeTypeEx(destination, source, LOCALE_USER_DEFAULT, flags, type);
}

}  // extern "C"
