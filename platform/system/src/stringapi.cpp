#include "win/stringapi.h"

#include <string>

#include "common/utf.h"
#include "win/winerror.h"

namespace {

using win::appendUtf16;
using win::appendUtf8;
using win::decodeUtf8;
using win::kReplacementCharacter;

bool isSupportedCodePage(UINT codePage) {
  // The process code page is UTF-8, so the ANSI and OEM code pages are too.
  return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_UTF8;
}

template <typename Unit, typename Out>
int copyOut(const std::basic_string<Unit>& converted, Out* out, int outSize) {
  if (converted.size() > 0x7FFFFFFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const int needed = static_cast<int>(converted.size());
  if (outSize == 0) return needed;
  if (needed > outSize) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  for (int k = 0; k < needed; ++k) out[k] = static_cast<Out>(converted[k]);
  return needed;
}

}  // namespace

extern "C" {

WIN_API int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide,
                                int wideSize) {
  if (!isSupportedCodePage(codePage) || text == nullptr || length == 0 || length < -1 ||
      wideSize < 0 || (wideSize > 0 && wide == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  // With length -1 the terminator is converted too and counted.
  const size_t end = length == -1 ? std::char_traits<char>::length(text) + 1 : size_t(length);
  std::u16string converted;
  converted.reserve(end);
  for (size_t i = 0; i < end;) {
    char32_t c;
    if (!decodeUtf8(bytes, end, i, c)) {
      if (flags & MB_ERR_INVALID_CHARS) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
      }
      c = kReplacementCharacter;
    }
    appendUtf16(converted, c);
  }
  return copyOut(converted, wide, wideSize);
}

WIN_API int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int length, LPSTR text,
                                int textSize, LPCSTR /*defaultChar*/, BOOL* usedDefaultChar) {
  if (!isSupportedCodePage(codePage) || wide == nullptr || length == 0 || length < -1 ||
      textSize < 0 || (textSize > 0 && text == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (usedDefaultChar) *usedDefaultChar = FALSE;
  const size_t end = length == -1 ? std::char_traits<char16_t>::length(wide) + 1 : size_t(length);
  std::string converted;
  converted.reserve(end);
  for (size_t i = 0; i < end; ++i) {
    char32_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < end && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      if (flags & WC_ERR_INVALID_CHARS) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
      }
      c = kReplacementCharacter;
    }
    appendUtf8(converted, c);
  }
  return copyOut(converted, text, textSize);
}

}  // extern "C"
