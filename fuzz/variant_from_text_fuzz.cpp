// Text typed by a user, read as every value type in two locales. Besides
// surviving any input, the text forms must be fixed points: reading back
// what a conversion wrote and writing it again gives the same text.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "com/oleauto.h"

namespace {

constexpr VARTYPE kTypes[] = {VT_I1,  VT_UI1,  VT_I2,   VT_UI2,  VT_I4,   VT_UI4, VT_INT,
                              VT_UINT, VT_I8, VT_UI8, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BOOL, VT_DECIMAL};
// Month-first with a point, day-first with a comma, a no-break space for
// grouping, and a designator in front of the time.
constexpr LCID kLocales[] = {0x0409, 0x0407, 0x040C, 0x0412};

std::u16string textOf(BSTR text) {
  return std::u16string(text, SysStringLen(text));
}

// Text of a value, or an empty string when it has none.
std::u16string show(const VARIANT& value, LCID locale) {
  VARIANT text;
  VariantInit(&text);
  if (FAILED(VariantChangeTypeEx(&text, &value, locale, 0, VT_BSTR))) return {};
  std::u16string result = textOf(text.bstrVal);
  VariantClear(&text);
  return result;
}

void checkFixedPoint(const VARIANT& value, LCID locale) {
  // VT_R4 shows 7 digits, more than a float reliably keeps.
  if (value.vt == VT_R4) return;
  const std::u16string first = show(value, locale);
  if (first.empty()) return;
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocStringLen(first.data(), static_cast<UINT>(first.size()));
  VARIANT again;
  VariantInit(&again);
  if (FAILED(VariantChangeTypeEx(&again, &text, locale, 0, value.vt))) __builtin_trap();
  if (show(again, locale) != first) __builtin_trap();
  VariantClear(&again);
  VariantClear(&text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocStringByteLen(reinterpret_cast<const char*>(data), static_cast<UINT>(size & ~std::size_t{1}));
  for (LCID locale : kLocales) {
    for (VARTYPE type : kTypes) {
      VARIANT value;
      VariantInit(&value);
      if (SUCCEEDED(VariantChangeTypeEx(&value, &text, locale, 0, type))) checkFixedPoint(value, locale);
      VariantClear(&value);
    }
  }
  VariantClear(&text);
  return 0;
}
