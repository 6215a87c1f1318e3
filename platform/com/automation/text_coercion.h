#pragma once

// Conversion of values to and from VT_BSTR in a locale.

#include "com/oleauto.h"
#include "locale_formats.h"

namespace com::automation {

// The text form of a numeric, date, boolean or empty value. Booleans read
// "-1" and "0", or "True" and "False" with VARIANT_ALPHABOOL, or the locale's
// words with VARIANT_LOCALBOOL.
HRESULT valueToText(const VARIANT& source, USHORT flags, const LocaleFormats& locale, BSTR* text);

// Reads text as a value of a numeric, date or boolean type into `out`
// (treated as empty).
HRESULT textToValue(BSTR text, VARTYPE type, const LocaleFormats& locale, VARIANT* out);

}  // namespace com::automation
