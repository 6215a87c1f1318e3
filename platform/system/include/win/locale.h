#pragma once

// Locale identifiers and the locale information the client and the value
// coercion need.
//
// The user and the system default locale both come from the environment,
// read at every call: the first of LC_ALL and LANG that is set and not
// empty, as language[_TERRITORY][.codeset][@modifier]. "de_DE.UTF-8" is
// German (Germany), 0x407; a known language with another territory
// ("de_LU") is that language's main locale; "C", "POSIX", nothing set or an
// unknown language is English (United States), 0x409.
//
// Known locales: 0x409 en-US, 0x809 en-GB, 0x407 de-DE, 0x40C fr-FR,
// 0x410 it-IT, 0x40A and 0xC0A es-ES, 0x413 nl-NL, 0x416 pt-BR,
// 0x419 ru-RU, 0x411 ja-JP, 0x412 ko-KR, 0x804 zh-CN and the invariant
// locale 0x7F, with the values an English-language system reports (so
// LOCALE_SLANGUAGE is the English name). LOCALE_USER_DEFAULT (0x400),
// LOCALE_NEUTRAL (0) and LOCALE_SYSTEM_DEFAULT (0x800) stand for the
// default locale.

#include "win/export.h"
#include "win/types.h"

using LCTYPE = DWORD;

#define LANG_NEUTRAL 0x00
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_SYS_DEFAULT 0x02
#define SORT_DEFAULT 0x0
#define MAKELANGID(p, s) static_cast<WORD>((static_cast<WORD>(s) << 10) | static_cast<WORD>(p))
#define PRIMARYLANGID(lgid) static_cast<WORD>(static_cast<WORD>(lgid) & 0x3ff)
#define SUBLANGID(lgid) static_cast<WORD>(static_cast<WORD>(lgid) >> 10)
#define MAKELCID(lgid, srtid) \
  static_cast<DWORD>((static_cast<DWORD>(static_cast<WORD>(srtid)) << 16) | static_cast<DWORD>(static_cast<WORD>(lgid)))
#define LANGIDFROMLCID(lcid) static_cast<WORD>(lcid)

#define LOCALE_NEUTRAL 0x0000
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_SYSTEM_DEFAULT 0x0800
#define LOCALE_INVARIANT 0x007F

// LCTYPE values.
#define LOCALE_NOUSEROVERRIDE 0x80000000
#define LOCALE_USE_CP_ACP 0x40000000
#define LOCALE_RETURN_NUMBER 0x20000000
#define LOCALE_ILANGUAGE 0x0001
#define LOCALE_SLANGUAGE 0x0002
#define LOCALE_SENGLANGUAGE 0x1001
#define LOCALE_SNATIVELANGNAME 0x0004
#define LOCALE_SDECIMAL 0x000E
#define LOCALE_STHOUSAND 0x000F
#define LOCALE_SNEGATIVESIGN 0x0051
#define LOCALE_SDATE 0x001D
#define LOCALE_STIME 0x001E
#define LOCALE_SSHORTDATE 0x001F
#define LOCALE_STIMEFORMAT 0x1003
#define LOCALE_S1159 0x0028
#define LOCALE_S2359 0x0029
#define LOCALE_SNAME 0x005C

extern "C" {
WIN_API LCID GetUserDefaultLCID();
WIN_API LCID GetSystemDefaultLCID();
WIN_API LANGID GetUserDefaultLangID();
WIN_API LANGID GetSystemDefaultLangID();

// Copies the requested information, terminator included, and returns the
// number of characters written (bytes of UTF-8 for the A form, UTF-16 units
// for the W form). With size 0 returns the size needed. Returns 0 on
// failure with GetLastError: ERROR_INVALID_PARAMETER for an unknown locale
// or type or a bad buffer, ERROR_INSUFFICIENT_BUFFER for a buffer too
// small, ERROR_INVALID_FLAGS for LOCALE_RETURN_NUMBER. LOCALE_NOUSEROVERRIDE
// and LOCALE_USE_CP_ACP are accepted and change nothing.
WIN_API int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size);
WIN_API int GetLocaleInfoW(LCID locale, LCTYPE type, LPWSTR data, int size);
}
