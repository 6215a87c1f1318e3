#pragma once

// The user's locale from the environment, the one rule for both the user
// and the system default locale: the first of LC_ALL and LANG that is set
// and not empty, read as language[_TERRITORY][.codeset][@modifier].
// "de_DE.UTF-8" is German (Germany), 0x407; a known language with an
// unknown territory ("de_LU") is that language's main locale; "C", "POSIX",
// nothing set, or an unknown language is English (United States), 0x409.

#include <string_view>

#include "win/types.h"

namespace win {

inline constexpr LCID kFallbackLcid = 0x0409;

// The locale a POSIX locale name stands for by the rule above.
LCID lcidFromPosixLocale(std::string_view name);

// The locale the environment names now.
LCID lcidFromEnvironment();

}  // namespace win
