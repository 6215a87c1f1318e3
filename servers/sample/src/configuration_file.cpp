#include "configuration_file.h"

#include <charconv>
#include <map>
#include <optional>

#include "opc/opcerror.h"
#include "text.h"

namespace sample {
namespace {

constexpr std::string_view kHeader = "Pelkor.DataSample configuration 1";

std::string quoted(std::u16string_view text) {
  std::string result = "\"";
  for (char c : toUtf8(text)) {
    switch (c) {
      case '\\':
        result += "\\\\";
        break;
      case '"':
        result += "\\\"";
        break;
      case '\n':
        result += "\\n";
        break;
      case '\r':
        result += "\\r";
        break;
      case '\t':
        result += "\\t";
        break;
      default:
        result += c;
    }
  }
  return result + "\"";
}

std::string hex(const std::vector<BYTE>& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string result = "\"";
  for (BYTE b : bytes) {
    result += kDigits[b >> 4];
    result += kDigits[b & 15];
  }
  return result + "\"";
}

template <class Number>
std::string number(Number value) {
  char buffer[64];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return std::string(buffer, error == std::errc() ? end : buffer);
}

// One line split into its keyword, its quoted argument and its key=value
// attributes.
struct Line {
  std::string keyword;
  std::string argument;
  std::map<std::string, std::string> attributes;
};

// Reads a quoted string starting at text[at] (the opening quote); moves at
// past the closing quote.
std::optional<std::string> readQuoted(std::string_view text, size_t& at) {
  if (at >= text.size() || text[at] != '"') return std::nullopt;
  std::string result;
  for (++at; at < text.size(); ++at) {
    char c = text[at];
    if (c == '"') {
      ++at;
      return result;
    }
    if (c == '\\') {
      if (++at >= text.size()) return std::nullopt;
      switch (text[at]) {
        case '\\':
          c = '\\';
          break;
        case '"':
          c = '"';
          break;
        case 'n':
          c = '\n';
          break;
        case 'r':
          c = '\r';
          break;
        case 't':
          c = '\t';
          break;
        default:
          return std::nullopt;
      }
    }
    result += c;
  }
  return std::nullopt;
}

std::optional<Line> splitLine(std::string_view text) {
  Line line;
  size_t at = text.find(' ');
  if (at == std::string_view::npos) return std::nullopt;
  line.keyword = text.substr(0, at);
  ++at;
  auto argument = readQuoted(text, at);
  if (!argument) return std::nullopt;
  line.argument = std::move(*argument);
  while (at < text.size()) {
    if (text[at++] != ' ') return std::nullopt;
    const size_t equals = text.find('=', at);
    if (equals == std::string_view::npos || equals == at) return std::nullopt;
    std::string key(text.substr(at, equals - at));
    at = equals + 1;
    std::string value;
    if (at < text.size() && text[at] == '"') {
      auto quotedValue = readQuoted(text, at);
      if (!quotedValue) return std::nullopt;
      value = std::move(*quotedValue);
    } else {
      const size_t end = std::min(text.find(' ', at), text.size());
      value = text.substr(at, end - at);
      at = end;
    }
    if (!line.attributes.emplace(std::move(key), std::move(value)).second) return std::nullopt;
  }
  return line;
}

// Takes the attributes out of a line one by one; a line with attributes
// left over, missing or unreadable is invalid.
class Attributes {
 public:
  explicit Attributes(std::map<std::string, std::string> attributes) : attributes_(std::move(attributes)) {}

  template <class Number>
  bool take(const char* key, Number& value) {
    auto found = attributes_.find(key);
    if (found == attributes_.end()) return false;
    const std::string& text = found->second;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool read = error == std::errc() && end == text.data() + text.size();
    attributes_.erase(found);
    return read;
  }
  bool takeFlag(const char* key, bool& value) {
    int number = 0;
    if (!take(key, number) || (number != 0 && number != 1)) return false;
    value = number == 1;
    return true;
  }
  bool takeText(const char* key, std::u16string& value) {
    auto found = attributes_.find(key);
    if (found == attributes_.end()) return false;
    value = fromUtf8(found->second);
    attributes_.erase(found);
    return true;
  }
  bool takeHex(const char* key, std::vector<BYTE>& value) {
    auto found = attributes_.find(key);
    if (found == attributes_.end() || found->second.size() % 2 != 0) return false;
    const std::string& text = found->second;
    value.clear();
    for (size_t at = 0; at < text.size(); at += 2) {
      BYTE b = 0;
      auto [end, error] = std::from_chars(text.data() + at, text.data() + at + 2, b, 16);
      if (error != std::errc() || end != text.data() + at + 2) return false;
      value.push_back(b);
    }
    attributes_.erase(found);
    return true;
  }
  bool allTaken() const { return attributes_.empty(); }

 private:
  std::map<std::string, std::string> attributes_;
};

bool parseGroup(Line& line, SavedGroup& group) {
  group.name = fromUtf8(line.argument);
  Attributes attributes(std::move(line.attributes));
  GroupSettings& s = group.settings;
  return !group.name.empty() && attributes.takeFlag("public", group.isPublic) &&
         attributes.takeFlag("active", s.active) && attributes.take("rate", s.updateRate) &&
         attributes.take("bias", s.timeBias) && attributes.take("deadband", s.deadband) &&
         attributes.take("locale", s.locale) && attributes.take("client", s.clientHandle) && attributes.allTaken() &&
         s.deadband >= 0 && s.deadband <= 100;
}

bool parseItem(Line& line, SavedItem& item) {
  item.itemId = fromUtf8(line.argument);
  Attributes attributes(std::move(line.attributes));
  return !item.itemId.empty() && attributes.takeText("path", item.accessPath) &&
         attributes.takeFlag("active", item.active) && attributes.take("client", item.clientHandle) &&
         attributes.take("type", item.requestedType) && attributes.takeHex("blob", item.blob) && attributes.allTaken();
}

}  // namespace

std::string formatConfiguration(const Configuration& configuration) {
  std::string text(kHeader);
  text += '\n';
  for (const auto& group : configuration.groups) {
    const GroupSettings& s = group.settings;
    text += "group " + quoted(group.name) + " public=" + (group.isPublic ? "1" : "0") +
            " active=" + (s.active ? "1" : "0") + " rate=" + number(s.updateRate) + " bias=" + number(s.timeBias) +
            " deadband=" + number(s.deadband) + " locale=" + number(s.locale) + " client=" + number(s.clientHandle) +
            "\n";
    for (const auto& item : group.items) {
      text += "item " + quoted(item.itemId) + " path=" + quoted(item.accessPath) +
              " active=" + (item.active ? "1" : "0") + " client=" + number(item.clientHandle) +
              " type=" + number(item.requestedType) + " blob=" + hex(item.blob) + "\n";
    }
  }
  return text;
}

HRESULT parseConfiguration(std::string_view text, Configuration& configuration) {
  configuration.groups.clear();
  bool headerSeen = false;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view lineText = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!lineText.empty() && lineText.back() == '\r') lineText.remove_suffix(1);
    if (lineText.empty() || lineText.front() == '#') continue;
    if (!headerSeen) {
      if (lineText != kHeader) return OPC_E_INVALIDCONFIGFILE;
      headerSeen = true;
      continue;
    }
    auto line = splitLine(lineText);
    if (!line) return OPC_E_INVALIDCONFIGFILE;
    if (line->keyword == "group") {
      SavedGroup group;
      if (!parseGroup(*line, group)) return OPC_E_INVALIDCONFIGFILE;
      configuration.groups.push_back(std::move(group));
    } else if (line->keyword == "item" && !configuration.groups.empty()) {
      SavedItem item;
      if (!parseItem(*line, item)) return OPC_E_INVALIDCONFIGFILE;
      configuration.groups.back().items.push_back(std::move(item));
    } else {
      return OPC_E_INVALIDCONFIGFILE;
    }
  }
  return headerSeen ? S_OK : OPC_E_INVALIDCONFIGFILE;
}

}  // namespace sample
