#pragma once

// The locales the stand-in knows, with the values an English-language
// system of the original platform reports for them.

#include <string_view>

#include "win/types.h"

namespace win {

struct LocaleRecord {
  LCID lcid;
  const char* name;             // LOCALE_SNAME, e.g. "de-DE"
  const char* language;         // LOCALE_SLANGUAGE, in English
  const char* englishLanguage;  // LOCALE_SENGLANGUAGE
  const char* nativeLanguage;   // LOCALE_SNATIVELANGNAME
  const char* decimal;          // LOCALE_SDECIMAL
  const char* thousand;         // LOCALE_STHOUSAND
  const char* negativeSign;     // LOCALE_SNEGATIVESIGN
  const char* dateSeparator;    // LOCALE_SDATE
  const char* timeSeparator;    // LOCALE_STIME
  const char* shortDate;        // LOCALE_SSHORTDATE
  const char* timeFormat;       // LOCALE_STIMEFORMAT
  const char* am;               // LOCALE_S1159
  const char* pm;               // LOCALE_S2359
  bool languageDefault;         // the locale a bare language code stands for
};

const LocaleRecord* findLocale(LCID lcid);

// The locale of a language ("de") and territory ("DE"), compared without
// regard to case; with an unknown or empty territory the language's default
// locale. Null when the language is unknown.
const LocaleRecord* findLocale(std::string_view language, std::string_view territory);

}  // namespace win
