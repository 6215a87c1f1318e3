#include "select/prog_id_pattern.h"

#include <cctype>
#include <cstddef>
#include <string_view>
#include <vector>

namespace {

// Matching backtracks at each "*", shortest run first. Without help a
// pattern with many stars takes exponential time on a long text, and the
// filter is matched on every keystroke, so each (text position, pattern
// position) found not to match is remembered and not tried again. That
// cannot change a result: the same position always gives the same answer,
// and a malformed list ends the whole match at once.
class PatternMatcher {
 public:
  PatternMatcher(std::string_view text, std::string_view pattern, bool caseSensitive)
      : text_(text), pattern_(pattern), caseSensitive_(caseSensitive) {}

  bool run() { return matchFrom(0, 0); }

 private:
  enum class ListResult { Match, NoMatch, Malformed };

  char fold(char c) const {
    return caseSensitive_ ? c : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }

  bool matchFrom(std::size_t t, std::size_t p);
  bool knownToFail(std::size_t t, std::size_t p) const;
  void rememberFailure(std::size_t t, std::size_t p);
  // Compares one (folded) text character with the list whose first
  // character is at p, just after its "["; on a match or no match p ends
  // after the list's "]".
  ListResult matchList(std::size_t& p, char c) const;

  std::string_view text_;
  std::string_view pattern_;
  bool caseSensitive_;
  bool malformed_ = false;
  std::vector<bool> failed_;  // by t * (pattern size + 1) + p; sized at the first "*"
};

bool PatternMatcher::knownToFail(std::size_t t, std::size_t p) const {
  return !failed_.empty() && failed_[t * (pattern_.size() + 1) + p];
}

void PatternMatcher::rememberFailure(std::size_t t, std::size_t p) {
  if (failed_.empty()) failed_.assign((text_.size() + 1) * (pattern_.size() + 1), false);
  failed_[t * (pattern_.size() + 1) + p] = true;
}

bool PatternMatcher::matchFrom(std::size_t t, std::size_t p) {
  while (p < pattern_.size()) {
    const char element = pattern_[p];
    if (element == '*') {
      ++p;
      for (std::size_t start = t; start <= text_.size(); ++start) {
        if (knownToFail(start, p)) continue;
        if (matchFrom(start, p)) return true;
        if (malformed_) return false;
        rememberFailure(start, p);
      }
      return false;
    }
    if (t == text_.size()) return false;
    const char c = fold(text_[t]);
    if (element == '[') {
      ++p;
      const ListResult result = matchList(p, c);
      if (result == ListResult::Malformed) malformed_ = true;
      if (result != ListResult::Match) return false;
      ++t;
      continue;
    }
    if (element == '#') {
      if (c < '0' || c > '9') return false;
    } else if (element != '?' && fold(element) != c) {
      return false;
    }
    ++t;
    ++p;
  }
  return t == text_.size();
}

PatternMatcher::ListResult PatternMatcher::matchList(std::size_t& p, char c) const {
  const std::size_t end = pattern_.size();
  bool negated = false;
  if (p < end && pattern_[p] == '!') {
    negated = true;
    ++p;
  }
  const auto code = [](char ch) { return static_cast<signed char>(ch); };
  signed char lower = 0;  // a "-" first in the list ranges from code 0
  bool found = false;
  while (!found) {
    if (p >= end) return ListResult::Malformed;
    const char item = pattern_[p];
    if (item == ']') break;
    if (item == '-') {
      ++p;
      if (p >= end || pattern_[p] == ']') return ListResult::Malformed;
      const signed char upper = code(fold(pattern_[p]));
      found = lower <= code(c) && code(c) <= upper;
      // The upper bound is read again as the list's next item, below.
      if (found) break;
    }
    const char folded = fold(pattern_[p]);
    lower = code(folded);
    found = folded == c;
    ++p;
  }
  // The rest of the list, up to and including its "]", is passed over.
  while (p < end && pattern_[p] != ']') ++p;
  if (p >= end) return ListResult::Malformed;
  ++p;
  return found != negated ? ListResult::Match : ListResult::NoMatch;
}

}  // namespace

bool MatchProgIdPattern(const char* text, const char* pattern, bool caseSensitive) {
  if (text == nullptr) return false;
  return PatternMatcher(text, pattern != nullptr ? pattern : "", caseSensitive).run();
}
