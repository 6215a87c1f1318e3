#include "registry/reg_text.h"

#include <cstdint>

#include "common/utf.h"

namespace win::registry {

namespace {

constexpr std::string_view kRegedit4Header = "REGEDIT4";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && namesEqual(s.substr(0, prefix.size()), prefix);
}

// Brings the input to UTF-8 without a byte-order mark.
std::string decodeInput(std::string_view bytes) {
  auto unit = [&](std::size_t i, bool bigEndian) {
    const auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
    const auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
    return static_cast<char16_t>(lo | (hi << 8));
  };
  const bool littleEndian = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
  const bool bigEndian = bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF';
  if (littleEndian || bigEndian) {
    std::u16string wide;
    wide.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) wide.push_back(unit(i, bigEndian));
    return utf16ToUtf8(wide);
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return std::string(bytes);
}

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// Reads a double-quoted string at the start of rest and leaves rest after
// its closing quote. "\\" and "\"" are escapes; a backslash before any other
// character is kept, so a hand-written "C:\Temp" reads as the user meant.
bool readQuoted(std::string_view& rest, std::string& out) {
  out.clear();
  if (rest.empty() || rest.front() != '"') return false;
  std::size_t i = 1;
  while (i < rest.size()) {
    const char c = rest[i];
    if (c == '"') {
      rest.remove_prefix(i + 1);
      return true;
    }
    if (c == '\\' && i + 1 < rest.size() && (rest[i + 1] == '\\' || rest[i + 1] == '"')) {
      out.push_back(rest[i + 1]);
      i += 2;
      continue;
    }
    out.push_back(c);
    ++i;
  }
  return false;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads "xx,xx,..." into bytes; blanks around the bytes are allowed.
bool readHexBytes(std::string_view text, std::string& bytes) {
  bytes.clear();
  text = trim(text);
  if (text.empty()) return true;
  while (true) {
    const std::size_t comma = text.find(',');
    std::string_view item = trim(text.substr(0, comma));
    if (item.empty() || item.size() > 2) return false;
    int value = 0;
    for (char c : item) {
      const int digit = hexDigit(c);
      if (digit < 0) return false;
      value = value * 16 + digit;
    }
    bytes.push_back(static_cast<char>(value));
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

class RegTextReader {
 public:
  RegTextReader(std::string_view text, RegistryKey& root)
      : text_(decodeInput(text)), lines_(splitLines(text_)), root_(root) {}

  std::vector<TextProblem> run() {
    bool headerSeen = false;
    for (index_ = 0; index_ < lines_.size(); ++index_) {
      lineNumber_ = index_ + 1;
      const std::string_view line = trim(lines_[index_]);
      if (line.empty()) continue;
      if (!headerSeen) {
        headerSeen = true;
        if (line == kRegHeader || line == kRegedit4Header) {
          unicodeHex_ = line == kRegHeader;
          continue;
        }
        report("the file does not start with \"" + std::string(kRegHeader) + "\"");
      }
      if (line.front() == ';') continue;
      if (line.front() == '[') {
        readSection(line);
      } else if (line.front() == '"' || line.front() == '@') {
        readValue(line);
      } else {
        report("not a key section or a value");
      }
    }
    return std::move(problems_);
  }

 private:
  enum class Section { None, Key, Deleted, Skipped };

  // Problems are reported at the line where the entry starts, also for
  // values continued on further lines.
  void report(std::string message) { problems_.push_back({lineNumber_, std::move(message)}); }

  void readSection(std::string_view line) {
    section_ = Section::Skipped;
    current_ = nullptr;
    if (line.back() != ']') {
      report("the key section is not closed by \"]\"");
      return;
    }
    std::string_view name = line.substr(1, line.size() - 2);
    const bool deletion = !name.empty() && name.front() == '-';
    if (deletion) name.remove_prefix(1);
    if (!startsWithNoCase(name, kRootName) ||
        (name.size() > kRootName.size() && name[kRootName.size()] != '\\')) {
      report("only keys under " + std::string(kRootName) + " are supported");
      return;
    }
    name.remove_prefix(kRootName.size());
    if (!name.empty()) name.remove_prefix(1);
    const std::string subKey(name);
    KeyPath path;
    const PathError error = splitPath(subKey.c_str(), path);
    if (error != PathError::None) {
      report(error == PathError::NameTooLong ? "a key name is longer than 255 characters"
             : error == PathError::TooDeep   ? "the key is nested too deeply"
                                             : "the key path has an empty name");
      return;
    }
    for (const std::string& component : path) {
      if (!isStorableName(component)) {
        report("a key name holds a control character");
        return;
      }
    }
    if (deletion) {
      if (path.empty()) {
        report(std::string(kRootName) + " itself cannot be deleted");
        return;
      }
      removeKey(root_, path);
      section_ = Section::Deleted;
      return;
    }
    current_ = &createKey(root_, path);
    section_ = Section::Key;
  }

  // Joins a value's continuation lines (each ending in "\") into one text.
  std::string takeContinued(std::string_view first) {
    std::string joined(trim(first));
    while (!joined.empty() && joined.back() == '\\' && index_ + 1 < lines_.size()) {
      joined.pop_back();
      joined += trim(lines_[++index_]);
    }
    return joined;
  }

  void readValue(std::string_view line) {
    std::string name;
    std::string_view rest = line;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else if (!readQuoted(rest, name)) {
      report("the value name is not closed by a double quote");
      return;
    }
    rest = trim(rest);
    if (rest.empty() || rest.front() != '=') {
      report("\"=\" is missing after the value name");
      return;
    }
    rest = trim(rest.substr(1));

    std::string data;
    enum class Action { Set, Delete } action = Action::Set;
    if (!rest.empty() && rest.front() == '"') {
      if (!readQuoted(rest, data)) {
        report("the string is not closed by a double quote");
        return;
      }
      if (!trim(rest).empty()) {
        report("unexpected text after the string");
        return;
      }
    } else if (rest == "-") {
      action = Action::Delete;
    } else if (startsWithNoCase(rest, "hex(1):")) {
      const std::string bytes = takeContinued(rest.substr(7));
      if (!readHexString(bytes, data)) return;
    } else if (startsWithNoCase(rest, "hex") || startsWithNoCase(rest, "dword:")) {
      takeContinued(rest);
      report("only string values are supported");
      return;
    } else {
      report("the value is neither a string nor \"-\"");
      return;
    }

    if (!isStorableName(name)) {
      report("the value name holds a control character");
      return;
    }
    if (section_ == Section::None) {
      report("a value comes before the first key section");
      return;
    }
    // Values of deleted or unreadable sections are dropped: the deletion
    // wins, and an unreadable section has been reported already.
    if (section_ != Section::Key) return;
    if (action == Action::Delete) {
      current_->removeValue(name);
    } else {
      current_->setValue(name, data);
    }
  }

  // Decodes the bytes of a hex(1): string: UTF-16LE in version 5 files,
  // 8-bit text in REGEDIT4 files, up to the first terminator.
  bool readHexString(std::string_view hexText, std::string& data) {
    std::string bytes;
    if (!readHexBytes(hexText, bytes)) {
      report("the hex(1) data is not a list of bytes");
      return false;
    }
    if (!unicodeHex_) {
      data = bytes.substr(0, bytes.find('\0'));
      return true;
    }
    if (bytes.size() % 2 != 0) {
      report("the hex(1) data has an odd number of bytes");
      return false;
    }
    std::u16string wide;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
      const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8));
      if (unit == 0) break;
      wide.push_back(unit);
    }
    data = utf16ToUtf8(wide);
    return true;
  }

  std::string text_;
  std::vector<std::string_view> lines_;
  RegistryKey& root_;
  std::vector<TextProblem> problems_;
  std::size_t index_ = 0;
  std::size_t lineNumber_ = 0;
  bool unicodeHex_ = true;
  Section section_ = Section::None;
  RegistryKey* current_ = nullptr;
};

void appendQuoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
}

// A string with a line break is written as hex(1): so that it stays on its
// value's lines; regedit wraps such data after about 80 columns.
void appendHexString(std::string& out, std::string_view text, std::size_t column) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::u16string wide = utf8ToUtf16(text);
  wide.push_back(u'\0');
  out += "hex(1):";
  column += 7;
  bool first = true;
  for (char16_t unit : wide) {
    for (const auto byte : {static_cast<std::uint8_t>(unit & 0xFF), static_cast<std::uint8_t>(unit >> 8)}) {
      if (!first) {
        out.push_back(',');
        ++column;
        if (column >= 77) {
          out += "\\\n  ";
          column = 2;
        }
      }
      first = false;
      out.push_back(kDigits[byte >> 4]);
      out.push_back(kDigits[byte & 0xF]);
      column += 2;
    }
  }
}

void appendValue(std::string& out, const RegistryValue& value) {
  const std::size_t lineStart = out.size();
  if (value.name.empty()) {
    out.push_back('@');
  } else {
    appendQuoted(out, value.name);
  }
  out.push_back('=');
  if (value.data.find_first_of("\r\n") != std::string::npos) {
    appendHexString(out, value.data, out.size() - lineStart);
  } else {
    appendQuoted(out, value.data);
  }
  out.push_back('\n');
}

void appendSection(std::string& out, std::string& pathText, const RegistryKey& key, bool writeEmpty) {
  if (writeEmpty || !key.values().empty()) {
    out += '[';
    out += pathText;
    out += "]\n";
    // The default value first, as the registry lists it.
    if (const RegistryValue* value = key.findValue("")) appendValue(out, *value);
    for (const RegistryValue& value : key.values()) {
      if (!value.name.empty()) appendValue(out, value);
    }
    out.push_back('\n');
  }
  for (const RegistryKey& subkey : key.subkeys()) {
    const std::size_t length = pathText.size();
    pathText += '\\';
    pathText += subkey.name();
    appendSection(out, pathText, subkey, true);
    pathText.resize(length);
  }
}

}  // namespace

std::vector<TextProblem> applyRegText(std::string_view text, RegistryKey& root) {
  return RegTextReader(text, root).run();
}

std::string writeRegText(const RegistryKey& key, const KeyPath& path) {
  std::string out(kRegHeader);
  out += "\n\n";
  std::string pathText(kRootName);
  for (const std::string& name : path) {
    pathText += '\\';
    pathText += name;
  }
  appendSection(out, pathText, key, !path.empty());
  return out;
}

}  // namespace win::registry
