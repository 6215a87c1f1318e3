#pragma once

// The pieces of a locale that value coercion reads: separators for numbers,
// the short date and time patterns and the AM/PM designators.

#include <string>

#include "com/oleauto.h"

namespace com::automation {

struct LocaleFormats {
  std::u16string decimalSeparator;
  std::u16string thousandSeparator;
  std::u16string shortDate;   // for instance "M/d/yyyy"
  std::u16string timeFormat;  // for instance "h:mm:ss tt"
  std::u16string am;          // may be empty (24-hour locales)
  std::u16string pm;
  LANGID language = 0;
};

// The formats of `locale` (LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT and
// LOCALE_NEUTRAL stand for the user's and the system's locale). Fetched once
// per locale and kept for the life of the process; the result stays valid.
// DISP_E_UNKNOWNLCID when the system does not know the locale.
HRESULT localeFormatsFor(LCID locale, const LocaleFormats** formats);

}  // namespace com::automation
