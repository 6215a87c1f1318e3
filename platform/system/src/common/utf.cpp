#include "common/utf.h"

namespace win {

bool decodeUtf8(const unsigned char* text, std::size_t end, std::size_t& i, char32_t& out) {
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

std::u16string utf8ToUtf16(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t i = 0; i < text.size();) {
    char32_t c;
    if (!decodeUtf8(bytes, text.size(), i, c)) c = kReplacementCharacter;
    appendUtf16(wide, c);
  }
  return wide;
}

std::string utf16ToUtf8(std::u16string_view wide) {
  std::string text;
  text.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacementCharacter;
    }
    appendUtf8(text, c);
  }
  return text;
}

}  // namespace win
