#pragma once

// Conversion between the numeric value types: integers, VT_R4, VT_R8,
// VT_CY, VT_DATE, VT_BOOL and VT_DECIMAL. Rounding to whole numbers is half
// to even; a value outside the target's range gives DISP_E_OVERFLOW.

#include "com/oleauto.h"
#include "exact_number.h"

namespace com::automation {

// A numeric value on its way from one type to another: exact for integers,
// booleans, currency and DECIMAL; floating for VT_R4, VT_R8 and VT_DATE.
struct NumericValue {
  bool isReal = false;
  ExactNumber exact;
  double real = 0;
  int realDigits = 15;  // significant digits the floating source carries
  // VARIANT_TRUE is all bits set; it stays so in an unsigned target.
  bool isBool = false;
};

// Reads a numeric VARIANT (or VT_EMPTY, which reads as zero).
HRESULT readNumeric(const VARIANT& source, NumericValue* value);

// Writes the value as `type` into `out` (treated as empty).
HRESULT writeNumeric(const NumericValue& value, VARTYPE type, VARIANT* out);

}  // namespace com::automation
