#pragma once

// The locales the sample server speaks: English (United States, 0x409) and
// German (Germany, 0x407). The default locales of the system and the user
// and the neutral locale stand for whichever of the two the system uses.

#include <array>

#include "win/locale.h"

namespace sample {

inline constexpr LCID kEnglish = 0x0409;
inline constexpr LCID kGerman = 0x0407;
inline constexpr std::array<LCID, 2> kSupportedLocales = {kEnglish, kGerman};

inline bool isDefaultLocale(LCID locale) {
  return locale == LOCALE_SYSTEM_DEFAULT || locale == LOCALE_USER_DEFAULT || locale == LOCALE_NEUTRAL;
}

inline bool isSupportedLocale(LCID locale) {
  return isDefaultLocale(locale) || locale == kEnglish || locale == kGerman;
}

// The supported locale whose texts a locale gets.
inline LCID textLocale(LCID locale) {
  if (locale == LOCALE_USER_DEFAULT) locale = GetUserDefaultLCID();
  if (locale == LOCALE_SYSTEM_DEFAULT || locale == LOCALE_NEUTRAL) locale = GetSystemDefaultLCID();
  return locale == kGerman ? kGerman : kEnglish;
}

}  // namespace sample
