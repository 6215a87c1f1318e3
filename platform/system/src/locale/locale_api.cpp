// GetLocaleInfo and the default locales over the locale table.

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/utf.h"
#include "locale/locale_environment.h"
#include "locale/locale_table.h"
#include "win/lasterror.h"
#include "win/locale.h"
#include "win/winerror.h"

namespace {

using win::LocaleRecord;

const LocaleRecord* resolveLocale(LCID locale) {
  if (locale == LOCALE_USER_DEFAULT || locale == LOCALE_SYSTEM_DEFAULT || locale == LOCALE_NEUTRAL) {
    locale = win::lcidFromEnvironment();
  }
  return win::findLocale(locale);
}

// The requested text as UTF-8; false for a type the table does not hold.
bool localeText(const LocaleRecord& record, LCTYPE type, std::string& text) {
  switch (type) {
    case LOCALE_ILANGUAGE: {
      char number[8];
      std::snprintf(number, sizeof number, "%04x", static_cast<unsigned>(record.lcid & 0xFFFF));
      text = number;
      return true;
    }
    case LOCALE_SLANGUAGE: text = record.language; return true;
    case LOCALE_SENGLANGUAGE: text = record.englishLanguage; return true;
    case LOCALE_SNATIVELANGNAME: text = record.nativeLanguage; return true;
    case LOCALE_SNAME: text = record.name; return true;
    case LOCALE_SDECIMAL: text = record.decimal; return true;
    case LOCALE_STHOUSAND: text = record.thousand; return true;
    case LOCALE_SNEGATIVESIGN: text = record.negativeSign; return true;
    case LOCALE_SDATE: text = record.dateSeparator; return true;
    case LOCALE_STIME: text = record.timeSeparator; return true;
    case LOCALE_SSHORTDATE: text = record.shortDate; return true;
    case LOCALE_STIMEFORMAT: text = record.timeFormat; return true;
    case LOCALE_S1159: text = record.am; return true;
    case LOCALE_S2359: text = record.pm; return true;
    default: return false;
  }
}

// Looks the text up and copies it with its terminator into data.
template <typename Unit>
int copyLocaleInfo(LCID locale, LCTYPE type, Unit* data, int size,
                   std::basic_string<Unit> (*convert)(const std::string&)) {
  if (size < 0 || (size > 0 && !data)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (type & LOCALE_RETURN_NUMBER) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const LocaleRecord* record = resolveLocale(locale);
  std::string text;
  if (!record || !localeText(*record, type & ~(LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP), text)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::basic_string<Unit> converted = convert(text);
  const int needed = static_cast<int>(converted.size()) + 1;
  if (size == 0) return needed;
  if (size < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(converted.c_str(), converted.c_str() + needed, data);
  return needed;
}

std::string asNarrow(const std::string& text) { return text; }
std::u16string asWide(const std::string& text) { return win::utf8ToUtf16(text); }

}  // namespace

extern "C" {

WIN_API LCID GetUserDefaultLCID() { return win::lcidFromEnvironment(); }
WIN_API LCID GetSystemDefaultLCID() { return win::lcidFromEnvironment(); }
WIN_API LANGID GetUserDefaultLangID() { return LANGIDFROMLCID(GetUserDefaultLCID()); }
WIN_API LANGID GetSystemDefaultLangID() { return LANGIDFROMLCID(GetSystemDefaultLCID()); }

WIN_API int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size) {
  return copyLocaleInfo<char>(locale, type, data, size, asNarrow);
}

WIN_API int GetLocaleInfoW(LCID locale, LCTYPE type, LPWSTR data, int size) {
  return copyLocaleInfo<char16_t>(locale, type, data, size, asWide);
}

}  // extern "C"
