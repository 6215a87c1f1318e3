#include "value_convert.h"

#include <cstring>

#include "com/value_types.h"

namespace sample {
namespace {

// Numbers, booleans, dates, currency and decimals (plain data other than an
// error code) and text convert among each other.
bool isConvertibleScalar(VARTYPE type) {
  const com::ValueTypeFacts* facts = com::FactsOfValueType(type);
  if (facts == nullptr || !facts->inVariant) return false;
  return (facts->storage == com::ValueStorage::Data && type != VT_ERROR) || type == VT_BSTR;
}

bool sameArray(const SAFEARRAY* a, const SAFEARRAY* b, VARTYPE element) {
  if (a == nullptr || b == nullptr) return a == b;
  if (a->cDims != 1 || b->cDims != 1) return false;
  if (a->rgsabound[0].cElements != b->rgsabound[0].cElements || a->rgsabound[0].lLbound != b->rgsabound[0].lLbound) {
    return false;
  }
  const ULONG count = a->rgsabound[0].cElements;
  if (element == VT_BSTR) {
    const auto* left = static_cast<const BSTR*>(a->pvData);
    const auto* right = static_cast<const BSTR*>(b->pvData);
    for (ULONG index = 0; index < count; ++index) {
      VARIANT x;
      VARIANT y;
      x.vt = y.vt = VT_BSTR;
      x.bstrVal = left[index];
      y.bstrVal = right[index];
      if (!sameValue(x, y)) return false;
    }
    return true;
  }
  if (element == VT_VARIANT) {
    const auto* left = static_cast<const VARIANT*>(a->pvData);
    const auto* right = static_cast<const VARIANT*>(b->pvData);
    for (ULONG index = 0; index < count; ++index) {
      if (!sameValue(left[index], right[index])) return false;
    }
    return true;
  }
  if (a->cbElements != b->cbElements) return false;
  return std::memcmp(a->pvData, b->pvData, static_cast<size_t>(count) * a->cbElements) == 0;
}

}  // namespace

bool canConvert(VARTYPE from, VARTYPE to) {
  if (to == VT_EMPTY || to == from) return true;
  const bool fromArray = (from & VT_ARRAY) != 0;
  const bool toArray = (to & VT_ARRAY) != 0;
  if (fromArray != toArray) return false;
  if (fromArray) {
    const VARTYPE fromElement = from & VT_TYPEMASK;
    const VARTYPE toElement = to & VT_TYPEMASK;
    if ((to & ~(VT_ARRAY | VT_TYPEMASK)) != 0) return false;
    if (toElement == VT_VARIANT) return fromElement == VT_VARIANT || isConvertibleScalar(fromElement);
    if (fromElement == VT_VARIANT) return isConvertibleScalar(toElement);
    return isConvertibleScalar(fromElement) && isConvertibleScalar(toElement);
  }
  return isConvertibleScalar(from) && isConvertibleScalar(to);
}

HRESULT convertValue(const VARIANT& value, VARTYPE type, LCID locale, Variant& converted) {
  if (type == VT_EMPTY || type == value.vt) return VariantCopy(converted.put(), &value);
  return VariantChangeTypeEx(converted.put(), &value, locale, 0, type);
}

bool sameValue(const VARIANT& a, const VARIANT& b) {
  if (a.vt != b.vt) return false;
  const VARTYPE type = a.vt;
  if ((type & VT_ARRAY) != 0) return sameArray(a.parray, b.parray, type & VT_TYPEMASK);
  switch (type) {
    case VT_EMPTY:
    case VT_NULL:
      return true;
    case VT_BSTR: {
      const UINT length = SysStringLen(a.bstrVal);
      return length == SysStringLen(b.bstrVal) &&
             (length == 0 || std::memcmp(a.bstrVal, b.bstrVal, length * sizeof(OLECHAR)) == 0);
    }
    case VT_DECIMAL:
      return a.decVal.signscale == b.decVal.signscale && a.decVal.Hi32 == b.decVal.Hi32 &&
             a.decVal.Lo64 == b.decVal.Lo64;
    default: {
      const size_t size = com::ValueDataSize(type);
      return size != 0 && std::memcmp(&a.llVal, &b.llVal, size) == 0;
    }
  }
}

std::optional<double> numericValue(const VARIANT& value) {
  switch (value.vt) {
    case VT_I1:
      return value.cVal;
    case VT_I2:
      return value.iVal;
    case VT_I4:
      return value.lVal;
    case VT_INT:
      return value.intVal;
    case VT_I8:
      return static_cast<double>(value.llVal);
    case VT_UI1:
      return value.bVal;
    case VT_UI2:
      return value.uiVal;
    case VT_UI4:
      return value.ulVal;
    case VT_UINT:
      return value.uintVal;
    case VT_UI8:
      return static_cast<double>(value.ullVal);
    case VT_R4:
      return value.fltVal;
    case VT_R8:
      return value.dblVal;
    case VT_CY:
      return static_cast<double>(value.cyVal.int64) / 10000.0;
    default:
      return std::nullopt;
  }
}

}  // namespace sample
