#include "wildcard.h"

#include <cstddef>

namespace sample {
namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

char16_t fold(char16_t c, bool caseSensitive) {
  if (!caseSensitive && c >= u'a' && c <= u'z') return static_cast<char16_t>(c - u'a' + u'A');
  return c;
}

// The position just past the "]" of the list that starts at open, or kNone
// when the list is not closed or holds a range without an upper bound.
size_t listEnd(std::u16string_view pattern, size_t open) {
  size_t at = open + 1;
  if (at < pattern.size() && pattern[at] == u'!') ++at;
  bool first = true;
  while (at < pattern.size()) {
    const char16_t c = pattern[at];
    if (c == u']' && !first) return at + 1;
    if (c == u'-' && !first) {
      if (at + 1 >= pattern.size() || pattern[at + 1] == u']') return kNone;
      at += 2;
    } else {
      ++at;
    }
    first = false;
  }
  return kNone;
}

// Whether c is in the list between open and its end.
bool inList(std::u16string_view pattern, size_t open, size_t end, char16_t c, bool caseSensitive) {
  size_t at = open + 1;
  bool negated = false;
  if (pattern[at] == u'!') {
    negated = true;
    ++at;
  }
  const size_t close = end - 1;
  const char16_t wanted = fold(c, caseSensitive);
  bool found = false;
  while (at < close && !found) {
    const char16_t low = fold(pattern[at], caseSensitive);
    if (at + 2 < close && pattern[at + 1] == u'-') {
      const char16_t high = fold(pattern[at + 2], caseSensitive);
      found = wanted >= low && wanted <= high;
      at += 3;
    } else {
      found = wanted == low;
      ++at;
    }
  }
  return found != negated;
}

// Matches the pattern element at position at against c; on success returns
// the length of the element, otherwise 0.
size_t matchElement(std::u16string_view pattern, size_t at, char16_t c, bool caseSensitive) {
  const char16_t element = pattern[at];
  switch (element) {
    case u'?':
      return 1;
    case u'#':
      return c >= u'0' && c <= u'9' ? 1 : 0;
    case u'[': {
      const size_t end = listEnd(pattern, at);
      return inList(pattern, at, end, c, caseSensitive) ? end - at : 0;
    }
    default:
      return fold(element, caseSensitive) == fold(c, caseSensitive) ? 1 : 0;
  }
}

}  // namespace

bool isValidPattern(std::u16string_view pattern) {
  for (size_t at = 0; at < pattern.size(); ++at) {
    if (pattern[at] != u'[') continue;
    const size_t end = listEnd(pattern, at);
    if (end == kNone) return false;
    at = end - 1;
  }
  return true;
}

bool matchesPattern(std::u16string_view text, std::u16string_view pattern, bool caseSensitive) {
  size_t t = 0;
  size_t p = 0;
  size_t starPattern = kNone;  // where the pattern resumes after the last "*"
  size_t starText = 0;         // how much of the text that "*" has taken so far
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      starPattern = ++p;
      starText = t;
      continue;
    }
    if (p < pattern.size()) {
      const size_t length = matchElement(pattern, p, text[t], caseSensitive);
      if (length > 0) {
        p += length;
        ++t;
        continue;
      }
    }
    if (starPattern == kNone) return false;
    // Let the last "*" take one more character and try again from there.
    p = starPattern;
    t = ++starText;
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

}  // namespace sample
