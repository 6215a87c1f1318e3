#include "variant.h"

#include <cstring>

namespace sample {
namespace {

template <class Fill>
Variant make(VARTYPE type, Fill&& fill) {
  Variant result;
  VARIANT* value = result.put();
  value->vt = type;
  fill(*value);
  return result;
}

SAFEARRAY* createVector(VARTYPE type, size_t count) {
  SAFEARRAY* array = SafeArrayCreateVector(type, 0, static_cast<ULONG>(count));
  if (array == nullptr) throw std::bad_alloc();
  return array;
}

}  // namespace

Variant makeI1(signed char value) { return make(VT_I1, [&](VARIANT& v) { v.cVal = value; }); }
Variant makeI2(SHORT value) { return make(VT_I2, [&](VARIANT& v) { v.iVal = value; }); }
Variant makeI4(LONG value) { return make(VT_I4, [&](VARIANT& v) { v.lVal = value; }); }
Variant makeR4(FLOAT value) { return make(VT_R4, [&](VARIANT& v) { v.fltVal = value; }); }
Variant makeR8(DOUBLE value) { return make(VT_R8, [&](VARIANT& v) { v.dblVal = value; }); }
Variant makeUI1(BYTE value) { return make(VT_UI1, [&](VARIANT& v) { v.bVal = value; }); }
Variant makeUI2(USHORT value) { return make(VT_UI2, [&](VARIANT& v) { v.uiVal = value; }); }
Variant makeUI4(ULONG value) { return make(VT_UI4, [&](VARIANT& v) { v.ulVal = value; }); }
Variant makeInt(INT value) { return make(VT_INT, [&](VARIANT& v) { v.intVal = value; }); }
Variant makeUint(UINT value) { return make(VT_UINT, [&](VARIANT& v) { v.uintVal = value; }); }
Variant makeBool(bool value) {
  return make(VT_BOOL, [&](VARIANT& v) { v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; });
}
Variant makeCurrency(LONGLONG scaledBy10000) {
  return make(VT_CY, [&](VARIANT& v) { v.cyVal.int64 = scaledBy10000; });
}
Variant makeDate(DATE value) { return make(VT_DATE, [&](VARIANT& v) { v.date = value; }); }
Variant makeError(SCODE value) { return make(VT_ERROR, [&](VARIANT& v) { v.scode = value; }); }

Variant makeDecimal(LONGLONG unscaled, BYTE scale) {
  Variant result;
  VARIANT* value = result.put();
  DECIMAL& decimal = value->decVal;
  std::memset(&decimal, 0, sizeof(decimal));
  const bool negative = unscaled < 0;
  decimal.s.scale = scale;
  decimal.s.sign = negative ? DECIMAL_NEG : 0;
  decimal.Lo64 = negative ? 0 - static_cast<ULONGLONG>(unscaled) : static_cast<ULONGLONG>(unscaled);
  // The type overlays the decimal's reserved word, so it is set last.
  value->vt = VT_DECIMAL;
  return result;
}

Variant makeString(std::u16string_view text) {
  BSTR string = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (string == nullptr) throw std::bad_alloc();
  return make(VT_BSTR, [&](VARIANT& v) { v.bstrVal = string; });
}

Variant makeR4Array(std::initializer_list<FLOAT> values) {
  SAFEARRAY* array = createVector(VT_R4, values.size());
  std::memcpy(array->pvData, values.begin(), values.size() * sizeof(FLOAT));
  return make(VT_ARRAY | VT_R4, [&](VARIANT& v) { v.parray = array; });
}

Variant makeStringArray(std::initializer_list<std::u16string_view> values) {
  SAFEARRAY* array = createVector(VT_BSTR, values.size());
  Variant result = make(VT_ARRAY | VT_BSTR, [&](VARIANT& v) { v.parray = array; });
  auto* slots = static_cast<BSTR*>(array->pvData);
  size_t index = 0;
  for (auto text : values) {
    slots[index] = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (slots[index] == nullptr) throw std::bad_alloc();
    ++index;
  }
  return result;
}

Variant makeVariantArray(std::initializer_list<Variant> values) {
  SAFEARRAY* array = createVector(VT_VARIANT, values.size());
  Variant result = make(VT_ARRAY | VT_VARIANT, [&](VARIANT& v) { v.parray = array; });
  auto* slots = static_cast<VARIANT*>(array->pvData);
  size_t index = 0;
  for (const auto& element : values) {
    if (FAILED(VariantCopy(&slots[index], &element.get()))) throw std::bad_alloc();
    ++index;
  }
  return result;
}

}  // namespace sample
