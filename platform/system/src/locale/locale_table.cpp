#include "locale/locale_table.h"

#include <string>

namespace win {

namespace {

// Non-ASCII texts are UTF-8. "\xC2\xA0" is the no-break space that French
// and Russian group digits with.
constexpr LocaleRecord kLocales[] = {
    {0x0409, "en-US", "English (United States)", "English", "English", ".", ",", "-", "/", ":", "M/d/yyyy",
     "h:mm:ss tt", "AM", "PM", true},
    {0x0809, "en-GB", "English (United Kingdom)", "English", "English", ".", ",", "-", "/", ":", "dd/MM/yyyy",
     "HH:mm:ss", "AM", "PM", false},
    {0x0407, "de-DE", "German (Germany)", "German", "Deutsch", ",", ".", "-", ".", ":", "dd.MM.yyyy", "HH:mm:ss",
     "", "", true},
    {0x040C, "fr-FR", "French (France)", "French", "fran\xC3\xA7" "ais", ",", "\xC2\xA0", "-", "/", ":",
     "dd/MM/yyyy", "HH:mm:ss", "", "", true},
    {0x0410, "it-IT", "Italian (Italy)", "Italian", "italiano", ",", ".", "-", "/", ":", "dd/MM/yyyy", "HH:mm:ss",
     "", "", true},
    {0x040A, "es-ES_tradnl", "Spanish (Spain, Traditional Sort)", "Spanish", "espa\xC3\xB1ol", ",", ".", "-", "/",
     ":", "dd/MM/yyyy", "H:mm:ss", "", "", false},
    {0x0C0A, "es-ES", "Spanish (Spain, International Sort)", "Spanish", "espa\xC3\xB1ol", ",", ".", "-", "/", ":",
     "dd/MM/yyyy", "H:mm:ss", "", "", true},
    {0x0413, "nl-NL", "Dutch (Netherlands)", "Dutch", "Nederlands", ",", ".", "-", "-", ":", "d-M-yyyy",
     "HH:mm:ss", "", "", true},
    {0x0416, "pt-BR", "Portuguese (Brazil)", "Portuguese", "portugu\xC3\xAAs", ",", ".", "-", "/", ":",
     "dd/MM/yyyy", "HH:mm:ss", "", "", true},
    {0x0419, "ru-RU", "Russian (Russia)", "Russian", "\xD1\x80\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9", ",",
     "\xC2\xA0", "-", ".", ":", "dd.MM.yyyy", "H:mm:ss", "", "", true},
    {0x0411, "ja-JP", "Japanese (Japan)", "Japanese", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", ".", ",", "-", "/",
     ":", "yyyy/MM/dd", "H:mm:ss", "\xE5\x8D\x88\xE5\x89\x8D", "\xE5\x8D\x88\xE5\xBE\x8C", true},
    {0x0412, "ko-KR", "Korean (Korea)", "Korean", "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4", ".", ",", "-", "-", ":",
     "yyyy-MM-dd", "tt h:mm:ss", "\xEC\x98\xA4\xEC\xA0\x84", "\xEC\x98\xA4\xED\x9B\x84", true},
    {0x0804, "zh-CN", "Chinese (Simplified, PRC)", "Chinese", "\xE4\xB8\xAD\xE6\x96\x87(\xE7\xAE\x80\xE4\xBD\x93)",
     ".", ",", "-", "/", ":", "yyyy/M/d", "H:mm:ss", "\xE4\xB8\x8A\xE5\x8D\x88", "\xE4\xB8\x8B\xE5\x8D\x88", true},
    {0x007F, "", "Invariant Language (Invariant Country)", "Invariant Language", "Invariant Language", ".", ",",
     "-", "/", ":", "MM/dd/yyyy", "HH:mm:ss", "AM", "PM", false},
};

bool equalNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

const LocaleRecord* findLocale(LCID lcid) {
  for (const LocaleRecord& record : kLocales) {
    if (record.lcid == lcid) return &record;
  }
  return nullptr;
}

const LocaleRecord* findLocale(std::string_view language, std::string_view territory) {
  if (language.empty()) return nullptr;
  const LocaleRecord* languageDefault = nullptr;
  for (const LocaleRecord& record : kLocales) {
    const std::string_view name(record.name);
    const std::size_t dash = name.find('-');
    if (dash == std::string_view::npos || !equalNoCase(name.substr(0, dash), language)) continue;
    // "es-ES_tradnl" is reached by its number only.
    if (name.find('_') == std::string_view::npos && equalNoCase(name.substr(dash + 1), territory)) {
      return &record;
    }
    if (record.languageDefault) languageDefault = &record;
  }
  return languageDefault;
}

}  // namespace win
