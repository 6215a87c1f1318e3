// The ProgID filter: wildcards, lists, ranges as signed codes, case
// folding, and malformed lists that end the whole match.

#include <gtest/gtest.h>

#include <string>

#include "select/prog_id_pattern.h"

namespace {

struct Case {
  const char* pattern;
  const char* text;
  bool caseSensitive;
  bool matches;
};

TEST(MatchProgIdPattern, Table) {
  const Case cases[] = {
      // A word with a star on each side finds the word anywhere, in any case
      // unless case-sensitive.
      {"*Sample*", "Pelkor.DataSample", false, true},
      {"*Sample*", "Pelkor.DataSample.Minimal", false, true},
      {"*Sample*", "Pelkor.OPCServerList", false, false},
      {"*sample*", "Pelkor.DataSample", false, true},
      {"*sample*", "Pelkor.DataSample", true, false},
      {"*Sample*", "Pelkor.DataSample", true, true},
      // The whole text must match the whole pattern.
      {"Pelkor.Data", "Pelkor.DataSample", false, false},
      {"Pelkor.DataSample", "Pelkor.Data", false, false},
      {"", "", false, true},
      {"", "x", false, false},
      {"*", "", false, true},
      {"*.*", "a.b.c", false, true},
      {"?", "", false, false},
      {"??", "ab", false, true},
      // "#" is one decimal digit.
      {"Pelkor.DataSample.#", "Pelkor.DataSample.1", false, true},
      {"Pelkor.DataSample.#", "Pelkor.DataSample.A", false, false},
      {"##", "5a", false, false},
      // Lists, negated lists, ranges and chained ranges.
      {"[!a-p]*", "Pelkor.DataSample", false, false},
      {"[!a-p]*", "Pelkor.DataSample", true, true},
      {"[a-c-e]", "d", false, true},
      {"[a-c-e]", "f", false, false},
      {"[xyz]", "y", true, true},
      {"[]", "x", false, false},
      {"[!]", "x", false, true},
      {"[-a]", "5", true, true},   // "-" first ranges from code 0
      {"[-a]", "b", true, false},
      {"]!-", "]!-", true, true},  // outside a list these are plain characters
      // Bounds are signed 8-bit codes: 1 to -1 is empty (the bound itself
      // still matches as the next item), and bytes from 0x80 lie below 0.
      {"[\x01-\xff]", "a", true, false},
      {"[\x01-\xff]", "\xff", true, true},
      {"[!-~]", "\xc3", true, true},
      {"[!-~]", "x", true, false},
      // "-" before "]" or the end fails the whole match once the list is
      // reached, even where a later star position would have matched;
      // a character found before it passes over the rest of the list.
      {"[a-]", "b", true, false},
      {"[a-]", "a", true, true},
      {"[b-", "b", true, false},  // found, but no "]" follows
      {"*[x-]", "ax", true, false},
      {"[a-c-]", "b", true, true},
      // A list the pattern ends before its "]" never matches, and nothing
      // past the pattern is read.
      {"Pelkor[abc", "Pelkora", true, false},
      {"Pelkor[", "PelkorX", true, false},
      {"Pelkor[", "Pelkor", true, false},
      {"x[!", "xy", true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchProgIdPattern(c.text, c.pattern, c.caseSensitive), c.matches)
        << "pattern \"" << c.pattern << "\", text \"" << c.text << "\", case-sensitive " << c.caseSensitive;
  }
}

TEST(MatchProgIdPattern, MissingTextNeverMatchesAndMissingPatternIsEmpty) {
  EXPECT_FALSE(MatchProgIdPattern(nullptr, "*", false));
  EXPECT_TRUE(MatchProgIdPattern("", nullptr, false));
  EXPECT_FALSE(MatchProgIdPattern("x", nullptr, false));
}

// Each keystroke in the filter matches every row again, so a pattern with
// many stars must not backtrack through every way of splitting the text.
TEST(MatchProgIdPattern, ManyStarsOnALongTextFinish) {
  const std::string text(4000, 'a');
  EXPECT_FALSE(MatchProgIdPattern(text.c_str(), "*a*a*a*a*a*a*a*a*a*a*a*a*b", false));
  EXPECT_TRUE(MatchProgIdPattern((text + "b").c_str(), "*a*a*a*a*a*a*a*a*a*a*a*a*b", false));
}

}  // namespace
