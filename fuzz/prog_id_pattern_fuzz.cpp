// fuzz_prog_id_pattern: the server-selection dialog's ProgID filter must
// agree with a plain reference matcher on every input and never read past
// the pattern or the text. The input is the pattern, a zero byte, the text,
// a zero byte and a last byte whose low bit asks for case-sensitive
// matching.
//
// The reference first cuts the pattern into elements and then backtracks
// over them in the same order (each "*" tries the shortest run first), so
// a malformed list that ends the whole match is met in the same place. It
// gives up after a budget of steps, since plain backtracking takes
// exponential time on patterns with many stars; such inputs are skipped.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "select/prog_id_pattern.h"

namespace {

struct ListItem {
  bool range = false;
  signed char low = 0;
  signed char high = 0;  // a single character when not a range: low == high
};

struct Element {
  enum Kind { Star, Any, Digit, Literal, List } kind = Literal;
  char literal = 0;
  bool negated = false;
  std::vector<ListItem> items;
  bool malformedEnd = false;   // the items end in "-]", "-" at the end, or no "]" at all
  bool hasClose = false;       // a "]" follows the items (skipping after a match finds it)
};

std::vector<Element> parse(const std::string& pattern) {
  std::vector<Element> elements;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    Element e;
    if (c == '*') {
      e.kind = Element::Star;
      ++i;
    } else if (c == '?') {
      e.kind = Element::Any;
      ++i;
    } else if (c == '#') {
      e.kind = Element::Digit;
      ++i;
    } else if (c != '[') {
      e.kind = Element::Literal;
      e.literal = c;
      ++i;
    } else {
      e.kind = Element::List;
      ++i;
      if (i < pattern.size() && pattern[i] == '!') {
        e.negated = true;
        ++i;
      }
      const std::size_t close = pattern.find(']', i);
      const std::size_t stop = close == std::string::npos ? pattern.size() : close;
      e.hasClose = close != std::string::npos;
      signed char previous = 0;
      std::size_t k = i;
      while (k < stop) {
        if (pattern[k] == '-') {
          if (k + 1 >= stop) {
            e.malformedEnd = true;
            break;
          }
          const auto upper = static_cast<signed char>(pattern[k + 1]);
          e.items.push_back({true, previous, upper});
          e.items.push_back({false, upper, upper});
          previous = upper;
          k += 2;
        } else {
          previous = static_cast<signed char>(pattern[k]);
          e.items.push_back({false, previous, previous});
          ++k;
        }
      }
      if (!e.hasClose) e.malformedEnd = true;
      i = e.hasClose ? close + 1 : pattern.size();
    }
    elements.push_back(std::move(e));
  }
  return elements;
}

class Reference {
 public:
  Reference(std::string text, std::vector<Element> elements)
      : text_(std::move(text)), elements_(std::move(elements)) {}

  // nullopt when the budget ran out.
  std::optional<bool> run() {
    const bool result = match(0, 0);
    if (steps_ > kBudget) return std::nullopt;
    return result && !malformed_;
  }

 private:
  static constexpr long kBudget = 100'000;

  bool match(std::size_t t, std::size_t e) {
    if (++steps_ > kBudget || malformed_) return false;
    if (e == elements_.size()) return t == text_.size();
    const Element& element = elements_[e];
    if (element.kind == Element::Star) {
      for (std::size_t start = t; start <= text_.size(); ++start) {
        if (match(start, e + 1)) return true;
        if (malformed_ || steps_ > kBudget) return false;
      }
      return false;
    }
    if (t == text_.size()) return false;
    const char c = text_[t];
    switch (element.kind) {
      case Element::Any:
        break;
      case Element::Digit:
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        break;
      case Element::Literal:
        if (element.literal != c) return false;
        break;
      case Element::List: {
        bool found = false;
        const auto code = static_cast<signed char>(c);
        for (const ListItem& item : element.items) {
          if (item.low <= code && code <= item.high && (item.range || item.low == code)) {
            found = true;
            break;
          }
        }
        if (found ? !element.hasClose : element.malformedEnd) {
          malformed_ = true;
          return false;
        }
        if (found == element.negated) return false;
        break;
      }
      case Element::Star:
        break;
    }
    return match(t + 1, e + 1);
  }

  std::string text_;
  std::vector<Element> elements_;
  bool malformed_ = false;
  long steps_ = 0;
};

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t first = input.find('\0');
  if (first == std::string_view::npos) return 0;
  const std::size_t second = input.find('\0', first + 1);
  if (second == std::string_view::npos) return 0;
  const bool caseSensitive = second + 1 < size && (data[second + 1] & 1) != 0;
  // The matcher takes zero-terminated texts, as the dialog hands them over.
  const std::string pattern(input.substr(0, first));
  const std::string text(input.substr(first + 1, second - first - 1));

  const bool result = MatchProgIdPattern(text.c_str(), pattern.c_str(), caseSensitive);
  Reference reference(caseSensitive ? text : upper(text), parse(caseSensitive ? pattern : upper(pattern)));
  const std::optional<bool> expected = reference.run();
  if (expected && *expected != result) __builtin_trap();
  return 0;
}
