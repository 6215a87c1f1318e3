#pragma once

// Which conversion applies between two scalar value types.

#include "com/oleauto.h"

namespace com::automation {

enum class Route {
  Copy,       // same type
  MakeEmpty,  // a value dropped to VT_EMPTY
  MakeNull,   // a value dropped to VT_NULL
  ToText,     // a number, date, boolean or VT_EMPTY shown as text
  FromText,   // text read as a number, date or boolean
  Numeric,    // between numbers, dates, booleans (VT_EMPTY reads as zero)
  Interface,  // between VT_UNKNOWN and VT_DISPATCH, by QueryInterface
  Mismatch,   // no conversion: DISP_E_TYPEMISMATCH
};

// Both types are valid scalar types (VT_EMPTY to VT_UINT without flags).
Route routeFor(VARTYPE from, VARTYPE to);

}  // namespace com::automation
