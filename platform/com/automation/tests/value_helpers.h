#pragma once

// Building scalar VARIANTs in one expression and comparing them, for the
// coercion tables.

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

#include "com/oleauto.h"

namespace com::automation::testing {

inline constexpr LCID kEnglishUs = 0x0409;
inline constexpr LCID kGerman = 0x0407;
inline constexpr LCID kFrench = 0x040C;  // groups digits with a no-break space
inline constexpr LCID kKorean = 0x0412;  // puts the AM/PM designator first

template <typename Member, typename Value>
VARIANT valueOf(VARTYPE type, Member VARIANT::*member, Value value) {
  VARIANT result;
  VariantInit(&result);
  result.*member = static_cast<Member>(value);
  result.vt = type;
  return result;
}

inline VARIANT I1(int v) { return valueOf(VT_I1, &VARIANT::cVal, v); }
inline VARIANT UI1(unsigned v) { return valueOf(VT_UI1, &VARIANT::bVal, v); }
inline VARIANT I2(int v) { return valueOf(VT_I2, &VARIANT::iVal, v); }
inline VARIANT UI2(unsigned v) { return valueOf(VT_UI2, &VARIANT::uiVal, v); }
inline VARIANT I4(long long v) { return valueOf(VT_I4, &VARIANT::lVal, v); }
inline VARIANT UI4(unsigned long long v) { return valueOf(VT_UI4, &VARIANT::ulVal, v); }
inline VARIANT Int(long long v) { return valueOf(VT_INT, &VARIANT::intVal, v); }
inline VARIANT UInt(unsigned long long v) { return valueOf(VT_UINT, &VARIANT::uintVal, v); }
inline VARIANT I8(long long v) { return valueOf(VT_I8, &VARIANT::llVal, v); }
inline VARIANT UI8(unsigned long long v) { return valueOf(VT_UI8, &VARIANT::ullVal, v); }
inline VARIANT R4(float v) { return valueOf(VT_R4, &VARIANT::fltVal, v); }
inline VARIANT R8(double v) { return valueOf(VT_R8, &VARIANT::dblVal, v); }
inline VARIANT Date(double v) { return valueOf(VT_DATE, &VARIANT::date, v); }
inline VARIANT Bool(bool v) { return valueOf(VT_BOOL, &VARIANT::boolVal, v ? VARIANT_TRUE : VARIANT_FALSE); }
inline VARIANT Error(long v) { return valueOf(VT_ERROR, &VARIANT::scode, v); }
// Currency from its scaled integer: Cy(123456) is 12.3456.
inline VARIANT Cy(long long scaled) {
  VARIANT result;
  VariantInit(&result);
  result.cyVal.int64 = scaled;
  result.vt = VT_CY;
  return result;
}
inline VARIANT Dec(unsigned long long low, unsigned high, int scale, bool negative = false) {
  VARIANT result;
  VariantInit(&result);
  result.decVal.Lo64 = low;
  result.decVal.Hi32 = high;
  result.decVal.s.scale = static_cast<BYTE>(scale);
  result.decVal.s.sign = negative ? DECIMAL_NEG : 0;
  result.vt = VT_DECIMAL;
  return result;
}
inline VARIANT Empty() {
  VARIANT result;
  VariantInit(&result);
  return result;
}
inline VARIANT Null() {
  VARIANT result = Empty();
  result.vt = VT_NULL;
  return result;
}

inline std::u16string textOf(BSTR text) {
  return text == nullptr ? std::u16string() : std::u16string(text, SysStringLen(text));
}

inline std::string narrow(const std::u16string& text) {
  std::string result;
  for (char16_t c : text) result += c < 0x80 ? static_cast<char>(c) : '?';
  return result;
}

// Same type and the same value, bit for bit (NaN equals NaN).
inline bool sameValue(const VARIANT& a, const VARIANT& b) {
  if (a.vt != b.vt) return false;
  switch (a.vt) {
    case VT_EMPTY:
    case VT_NULL: return true;
    case VT_I1:
    case VT_UI1: return a.bVal == b.bVal;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL: return a.uiVal == b.uiVal;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR: return a.ulVal == b.ulVal;
    case VT_R4: return std::memcmp(&a.fltVal, &b.fltVal, sizeof(float)) == 0;
    case VT_DECIMAL:
      return a.decVal.Lo64 == b.decVal.Lo64 && a.decVal.Hi32 == b.decVal.Hi32 && a.decVal.signscale == b.decVal.signscale;
    case VT_BSTR: return textOf(a.bstrVal) == textOf(b.bstrVal);
    default: return a.ullVal == b.ullVal;  // I8, UI8, R8, CY, DATE
  }
}

inline std::string describe(const VARIANT& value) {
  std::string text = "vt=" + std::to_string(value.vt);
  switch (value.vt) {
    case VT_R4: return text + " " + std::to_string(value.fltVal);
    case VT_R8:
    case VT_DATE: {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, " %.17g", value.dblVal);
      return text + buffer;
    }
    case VT_BSTR: return text + " \"" + narrow(textOf(value.bstrVal)) + "\"";
    case VT_DECIMAL:
      return text + " dec hi=" + std::to_string(value.decVal.Hi32) + " lo=" + std::to_string(value.decVal.Lo64) +
             " scale=" + std::to_string(value.decVal.s.scale) + " sign=" + std::to_string(value.decVal.s.sign);
    default: return text + " bits=" + std::to_string(value.llVal);
  }
}

}  // namespace com::automation::testing
