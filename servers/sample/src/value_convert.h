#pragma once

// Value conversions of the server: to a client's requested data type on the
// way out, to an item's canonical type on the way in, and the comparisons
// the data-change subscription needs.

#include <optional>

#include "com/oleauto.h"
#include "variant.h"

namespace sample {

// Whether values of type from can be delivered as type to (VT_EMPTY: the
// canonical type). Scalars convert among the numeric, boolean, date,
// currency, decimal and string types; arrays convert element by element to
// arrays of such types or of VT_VARIANT. A conversion allowed here can still
// fail for a particular value (text that is no number, an overflow).
bool canConvert(VARTYPE from, VARTYPE to);

// Converts value to type (VT_EMPTY or the value's own type: a copy), using
// locale for text. Returns the conversion's result code.
HRESULT convertValue(const VARIANT& value, VARTYPE type, LCID locale, Variant& converted);

// Whether two values are the same (type and content), so that writing a
// value an item already has is no change.
bool sameValue(const VARIANT& a, const VARIANT& b);

// The value of a numeric scalar as a double (for the percent deadband).
std::optional<double> numericValue(const VARIANT& value);

}  // namespace sample
