#include "locale_formats.h"

#include <map>
#include <memory>
#include <mutex>

namespace com::automation {
namespace {

LCID resolve(LCID locale) {
  switch (locale) {
    case LOCALE_NEUTRAL:
    case LOCALE_USER_DEFAULT:
      return GetUserDefaultLCID();
    case LOCALE_SYSTEM_DEFAULT:
      return GetSystemDefaultLCID();
    default:
      return locale;
  }
}

bool fetch(LCID locale, LCTYPE type, std::u16string* value) {
  WCHAR buffer[128];
  const int written = GetLocaleInfoW(locale, type, buffer, static_cast<int>(std::size(buffer)));
  if (written <= 0) return false;
  value->assign(buffer, static_cast<std::size_t>(written - 1));
  return true;
}

std::unique_ptr<LocaleFormats> load(LCID locale) {
  auto formats = std::make_unique<LocaleFormats>();
  const bool complete = fetch(locale, LOCALE_SDECIMAL, &formats->decimalSeparator) &&
                        fetch(locale, LOCALE_STHOUSAND, &formats->thousandSeparator) &&
                        fetch(locale, LOCALE_SSHORTDATE, &formats->shortDate) &&
                        fetch(locale, LOCALE_STIMEFORMAT, &formats->timeFormat) &&
                        fetch(locale, LOCALE_S1159, &formats->am) && fetch(locale, LOCALE_S2359, &formats->pm);
  if (!complete || formats->decimalSeparator.empty()) return nullptr;
  formats->language = LANGIDFROMLCID(locale);
  return formats;
}

}  // namespace

HRESULT localeFormatsFor(LCID locale, const LocaleFormats** formats) {
  // Locale data never changes while the process runs, so each locale is read
  // once; coercion to and from text is frequent (every value shown).
  static std::mutex guard;
  static std::map<LCID, std::unique_ptr<LocaleFormats>> cache;  // guarded by `guard`
  const LCID resolved = resolve(locale);
  std::lock_guard lock(guard);
  auto found = cache.find(resolved);
  if (found == cache.end()) {
    auto loaded = load(resolved);
    if (loaded == nullptr) return DISP_E_UNKNOWNLCID;
    found = cache.emplace(resolved, std::move(loaded)).first;
  }
  *formats = found->second.get();
  return S_OK;
}

}  // namespace com::automation
