#include "message/message_inserts.h"

#include <cstdio>
#include <cstdint>

#include "common/utf.h"

namespace win {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// One "!...!" conversion, split into its printf parts.
struct Conversion {
  std::string flagsWidthPrecision;
  enum class Size { Short, Default, Long64 } size = Size::Default;
  bool narrow = false;  // h: an 8-bit string or character
  bool wide = false;    // l or w: a WCHAR string or character
  char type = 's';
};

// Widths and precisions stay below 10000, so no insert grows without bound.
bool skipNumber(std::string_view text, std::size_t& i) {
  const std::size_t start = i;
  while (i < text.size() && isDigit(text[i])) ++i;
  return i - start <= 4;
}

bool parseConversion(std::string_view text, Conversion& conversion) {
  std::size_t i = 0;
  while (i < text.size() && std::string_view("-+ #0").find(text[i]) != std::string_view::npos) ++i;
  if (!skipNumber(text, i)) return false;
  if (i < text.size() && text[i] == '.') {
    ++i;
    if (!skipNumber(text, i)) return false;
  }
  conversion.flagsWidthPrecision = std::string(text.substr(0, i));
  std::string_view rest = text.substr(i);
  auto take = [&](std::string_view prefix) {
    if (rest.substr(0, prefix.size()) != prefix) return false;
    rest.remove_prefix(prefix.size());
    return true;
  };
  if (take("I64") || take("ll")) {
    conversion.size = Conversion::Size::Long64;
  } else if (take("I32")) {
  } else if (take("h")) {
    conversion.size = Conversion::Size::Short;
    conversion.narrow = true;
  } else if (take("l") || take("w")) {
    conversion.wide = true;
  }
  if (rest.size() != 1 || std::string_view("sScdiuxXo").find(rest[0]) == std::string_view::npos) return false;
  conversion.type = rest[0];
  return true;
}

std::string readString(DWORD_PTR value, bool wide) {
  if (value == 0) return "(null)";
  if (wide) return utf16ToUtf8(reinterpret_cast<const char16_t*>(value));
  return reinterpret_cast<const char*>(value);
}

bool formatInsert(DWORD_PTR value, const Conversion& conversion, bool wideStrings, std::string& out) {
  const std::string head = "%" + conversion.flagsWidthPrecision;
  char buffer[512];
  const char type = conversion.type;
  if (type == 's' || type == 'S' || type == 'c') {
    bool wide = type == 'S' ? !wideStrings : wideStrings;
    if (conversion.narrow) wide = false;
    if (conversion.wide) wide = true;
    std::string text;
    if (type == 'c') {
      appendUtf8(text, wide ? static_cast<char16_t>(value) : static_cast<unsigned char>(value));
    } else {
      text = readString(value, wide);
    }
    const int length = std::snprintf(nullptr, 0, (head + "s").c_str(), text.c_str());
    if (length < 0) return false;
    std::string formatted(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(formatted.data(), formatted.size(), (head + "s").c_str(), text.c_str());
    out.append(formatted.c_str(), static_cast<std::size_t>(length));
    return true;
  }
  const std::string format = head + "ll" + type;
  const bool isSigned = type == 'd' || type == 'i';
  int length;
  switch (conversion.size) {
    case Conversion::Size::Long64:
      length = isSigned ? std::snprintf(buffer, sizeof buffer, format.c_str(), static_cast<long long>(value))
                        : std::snprintf(buffer, sizeof buffer, format.c_str(),
                                        static_cast<unsigned long long>(value));
      break;
    case Conversion::Size::Short:
      length = isSigned ? std::snprintf(buffer, sizeof buffer, format.c_str(),
                                        static_cast<long long>(static_cast<std::int16_t>(value)))
                        : std::snprintf(buffer, sizeof buffer, format.c_str(),
                                        static_cast<unsigned long long>(static_cast<std::uint16_t>(value)));
      break;
    default:
      length = isSigned ? std::snprintf(buffer, sizeof buffer, format.c_str(),
                                        static_cast<long long>(static_cast<std::int32_t>(value)))
                        : std::snprintf(buffer, sizeof buffer, format.c_str(),
                                        static_cast<unsigned long long>(static_cast<std::uint32_t>(value)));
      break;
  }
  if (length < 0 || static_cast<std::size_t>(length) >= sizeof buffer) return false;
  out.append(buffer, static_cast<std::size_t>(length));
  return true;
}

}  // namespace

std::string withoutLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      out.push_back(c);
      ++i;
      continue;
    }
    i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    if (i < text.size()) out.push_back(' ');
  }
  return out;
}

bool InsertArguments::value(int number, DWORD_PTR& out) {
  if (array_) {
    out = array_[number - 1];
    return true;
  }
  if (!list_) return false;
  while (read_.size() < static_cast<std::size_t>(number)) read_.push_back(va_arg(*list_, DWORD_PTR));
  out = read_[static_cast<std::size_t>(number - 1)];
  return true;
}

bool expandMessage(std::string_view text, InsertArguments& arguments, bool wideStrings, bool dropLineBreaks,
                   std::string& out) {
  out.clear();
  // The text's own line breaks go first; %n below is a line break asked for
  // and stays.
  std::string flowing;
  if (dropLineBreaks) {
    flowing = withoutLineBreaks(text);
    text = flowing;
  }
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c != '%' || i + 1 == text.size()) {
      out.push_back(c);
      ++i;
      continue;
    }
    const char next = text[i + 1];
    i += 2;
    if (next == '0') return true;  // %0 ends the message without a line break
    if (!isDigit(next)) {
      switch (next) {
        case 'n': out += "\r\n"; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        default: out += next; break;  // %% %. %! %space and the like stand for the character
      }
      continue;
    }
    int number = next - '0';
    if (i < text.size() && isDigit(text[i])) number = number * 10 + (text[i++] - '0');
    Conversion conversion;
    if (i < text.size() && text[i] == '!') {
      const std::size_t close = text.find('!', i + 1);
      if (close == std::string_view::npos || !parseConversion(text.substr(i + 1, close - i - 1), conversion)) {
        return false;
      }
      i = close + 1;
    }
    DWORD_PTR value = 0;
    if (!arguments.value(number, value) || !formatInsert(value, conversion, wideStrings, out)) return false;
  }
  return true;
}

}  // namespace win
