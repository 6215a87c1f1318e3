#include "win/stringapi.h"

#include <string>

#include "win/winerror.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isSupportedCodePage(UINT codePage) {
  // The process code page is UTF-8, so the ANSI and OEM code pages are too.
  return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_UTF8;
}

// Decodes one UTF-8 sequence at text[i..end); returns false for a malformed
// sequence (overlong forms, surrogates and values above U+10FFFF included)
// and always advances i by at least one byte.
bool decodeUtf8(const unsigned char* text, size_t end, size_t& i, char32_t& out) {
  unsigned char lead = text[i++];
  if (lead < 0x80) {
    out = lead;
    return true;
  }
  int extra;
  char32_t min;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, out = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, out = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, out = lead & 0x07, min = 0x10000;
  } else {
    return false;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= end || (text[i] & 0xC0) != 0x80) return false;
    out = (out << 6) | (text[i++] & 0x3F);
  }
  return out >= min && out <= 0x10FFFF && !(out >= 0xD800 && out <= 0xDFFF);
}

void appendUtf16(std::u16string& wide, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    wide.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    wide.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    wide.push_back(static_cast<char16_t>(c));
  }
}

void appendUtf8(std::string& text, char32_t c) {
  if (c < 0x80) {
    text.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    text.push_back(static_cast<char>(0xC0 | (c >> 6)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    text.push_back(static_cast<char>(0xE0 | (c >> 12)));
    text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    text.push_back(static_cast<char>(0xF0 | (c >> 18)));
    text.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
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
      c = kReplacement;
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
      c = kReplacement;
    }
    appendUtf8(converted, c);
  }
  return copyOut(converted, text, textSize);
}

}  // extern "C"
