#include "numeric_coercion.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <string>

#include "date_serial.h"
#include "real_text.h"

namespace com::automation {
namespace {

struct IntegerRange {
  VARTYPE type;
  int bits;
  bool isSigned;
};

constexpr IntegerRange kIntegers[] = {
    {VT_I1, 8, true},    {VT_UI1, 8, false},  {VT_I2, 16, true},  {VT_UI2, 16, false}, {VT_I4, 32, true},
    {VT_UI4, 32, false}, {VT_INT, 32, true},  {VT_UINT, 32, false}, {VT_I8, 64, true}, {VT_UI8, 64, false},
};

const IntegerRange* integerRange(VARTYPE type) {
  for (const auto& range : kIntegers) {
    if (range.type == type) return &range;
  }
  return nullptr;
}

__int128 minimumOf(const IntegerRange& range) {
  return range.isSigned ? -(__int128{1} << (range.bits - 1)) : 0;
}

__int128 maximumOf(const IntegerRange& range) {
  return range.isSigned ? (__int128{1} << (range.bits - 1)) - 1 : (__int128{1} << range.bits) - 1;
}

// Half to even, independent of the floating-point environment's mode.
double roundHalfEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  if (fraction > 0.5) return floor + 1;
  if (fraction < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

void storeInteger(VARTYPE type, __int128 value, VARIANT* out) {
  const auto bits = static_cast<ULONGLONG>(value);
  switch (type) {
    case VT_I1: out->cVal = static_cast<CHAR>(bits); break;
    case VT_UI1: out->bVal = static_cast<BYTE>(bits); break;
    case VT_I2: out->iVal = static_cast<SHORT>(bits); break;
    case VT_UI2: out->uiVal = static_cast<USHORT>(bits); break;
    case VT_I4: out->lVal = static_cast<LONG>(bits); break;
    case VT_UI4: out->ulVal = static_cast<ULONG>(bits); break;
    case VT_INT: out->intVal = static_cast<INT>(bits); break;
    case VT_UINT: out->uintVal = static_cast<UINT>(bits); break;
    case VT_I8: out->llVal = static_cast<LONGLONG>(bits); break;
    default: out->ullVal = bits; break;
  }
  out->vt = type;
}

HRESULT writeInteger(const NumericValue& value, const IntegerRange& range, VARIANT* out) {
  if (value.isBool && !range.isSigned && value.exact.negative && value.exact.magnitude == 1) {
    storeInteger(range.type, maximumOf(range), out);
    return S_OK;
  }
  __int128 integer = 0;
  if (value.isReal) {
    if (std::isnan(value.real)) return DISP_E_OVERFLOW;
    const double rounded = roundHalfEven(value.real);
    // Both limits are powers of two, so the comparisons are exact.
    const double lower = static_cast<double>(minimumOf(range));
    const double upperExclusive = std::ldexp(1.0, range.isSigned ? range.bits - 1 : range.bits);
    if (!(rounded >= lower && rounded < upperExclusive)) return DISP_E_OVERFLOW;
    integer = static_cast<__int128>(rounded);
  } else if (!exactToInteger(value.exact, minimumOf(range), maximumOf(range), &integer)) {
    return DISP_E_OVERFLOW;
  }
  storeInteger(range.type, integer, out);
  return S_OK;
}

// The exact value as the nearest double or float.
template <typename Real>
HRESULT realFromExact(const ExactNumber& exact, Real* value) {
  const std::string text = exactToScientific(exact);
  const auto result = std::from_chars(text.data(), text.data() + text.size(), *value);
  if (result.ec == std::errc::result_out_of_range) {
    // Exact values are whole numbers or have at most 28 places, so only
    // overflow can put them out of range here.
    return DISP_E_OVERFLOW;
  }
  return result.ec == std::errc{} ? S_OK : E_UNEXPECTED;
}

HRESULT realOf(const NumericValue& value, double* real) {
  if (value.isReal) {
    *real = value.real;
    return S_OK;
  }
  return realFromExact(value.exact, real);
}

HRESULT writeSingle(const NumericValue& value, VARIANT* out) {
  float single = 0;
  if (value.isReal) {
    if (std::fabs(value.real) > FLT_MAX) return DISP_E_OVERFLOW;
    single = static_cast<float>(value.real);
  } else {
    const HRESULT result = realFromExact(value.exact, &single);
    if (FAILED(result)) return result;
  }
  out->fltVal = single;
  out->vt = VT_R4;
  return S_OK;
}

HRESULT writeCurrency(const NumericValue& value, VARIANT* out) {
  if (value.isReal) {
    const double scaled = roundHalfEven(value.real * 10000.0);
    if (!(scaled >= -0x1p63 && scaled < 0x1p63)) return DISP_E_OVERFLOW;
    out->cyVal.int64 = static_cast<LONGLONG>(scaled);
  } else if (!exactToCurrency(value.exact, &out->cyVal)) {
    return DISP_E_OVERFLOW;
  }
  out->vt = VT_CY;
  return S_OK;
}

HRESULT writeDecimal(const NumericValue& value, VARIANT* out) {
  DECIMAL decimal{};
  if (value.isReal) {
    // A floating value converts with the digits its type carries, so 0.1
    // becomes 0.1 and not the binary fraction's 55 digits.
    if (!std::isfinite(value.real) || !decimalFromParsed(parsedFromReal(value.real, value.realDigits), &decimal)) {
      return DISP_E_OVERFLOW;
    }
  } else if (!exactToDecimal(value.exact, &decimal)) {
    return DISP_E_OVERFLOW;
  }
  out->decVal = decimal;
  out->vt = VT_DECIMAL;
  return S_OK;
}

}  // namespace

HRESULT readNumeric(const VARIANT& source, NumericValue* value) {
  *value = NumericValue{};
  switch (source.vt) {
    case VT_EMPTY: return S_OK;
    case VT_I1: value->exact = exactFromSigned(source.cVal); return S_OK;
    case VT_UI1: value->exact = exactFromUnsigned(source.bVal); return S_OK;
    case VT_I2: value->exact = exactFromSigned(source.iVal); return S_OK;
    case VT_UI2: value->exact = exactFromUnsigned(source.uiVal); return S_OK;
    case VT_I4: value->exact = exactFromSigned(source.lVal); return S_OK;
    case VT_UI4: value->exact = exactFromUnsigned(source.ulVal); return S_OK;
    case VT_INT: value->exact = exactFromSigned(source.intVal); return S_OK;
    case VT_UINT: value->exact = exactFromUnsigned(source.uintVal); return S_OK;
    case VT_I8: value->exact = exactFromSigned(source.llVal); return S_OK;
    case VT_UI8: value->exact = exactFromUnsigned(source.ullVal); return S_OK;
    case VT_BOOL:
      value->exact = exactFromSigned(source.boolVal);
      value->isBool = true;
      return S_OK;
    case VT_CY: value->exact = exactFromCurrency(source.cyVal); return S_OK;
    case VT_DECIMAL: return exactFromDecimal(source.decVal, &value->exact);
    case VT_R4:
      value->isReal = true;
      value->real = source.fltVal;
      value->realDigits = kSingleDigits;
      return S_OK;
    case VT_R8:
    case VT_DATE:
      value->isReal = true;
      value->real = source.vt == VT_R8 ? source.dblVal : source.date;
      value->realDigits = kDoubleDigits;
      return S_OK;
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

HRESULT writeNumeric(const NumericValue& value, VARTYPE type, VARIANT* out) {
  VariantInit(out);
  if (const IntegerRange* range = integerRange(type)) return writeInteger(value, *range, out);
  switch (type) {
    case VT_R4:
      return writeSingle(value, out);
    case VT_R8: {
      const HRESULT result = realOf(value, &out->dblVal);
      if (SUCCEEDED(result)) out->vt = VT_R8;
      return result;
    }
    case VT_DATE: {
      double real = 0;
      const HRESULT result = realOf(value, &real);
      if (FAILED(result)) return result;
      if (!isDateInRange(real)) return DISP_E_OVERFLOW;
      out->date = real;
      out->vt = VT_DATE;
      return S_OK;
    }
    case VT_CY:
      return writeCurrency(value, out);
    case VT_DECIMAL:
      return writeDecimal(value, out);
    case VT_BOOL:
      out->boolVal = (value.isReal ? value.real != 0 : !value.exact.isZero()) ? VARIANT_TRUE : VARIANT_FALSE;
      out->vt = VT_BOOL;
      return S_OK;
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

}  // namespace com::automation
