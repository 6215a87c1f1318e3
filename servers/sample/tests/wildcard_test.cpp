// The filter patterns of BrowseOPCItemIDs.

#include <gtest/gtest.h>

#include "wildcard.h"

namespace sample {
namespace {

TEST(SampleWildcardTest, MatchesTheWholeName) {
  struct Case {
    const char16_t* text;
    const char16_t* pattern;
    bool caseSensitive;
    bool matches;
  };
  const Case cases[] = {
      {u"Simulation.Ramp", u"*Ramp*", true, true},
      {u"Simulation.Ramp", u"*ramp*", true, false},
      {u"Simulation.Ramp", u"*ramp*", false, true},
      {u"Item7", u"Item#", true, true},
      {u"ItemX", u"Item#", true, false},
      {u"Item12", u"Item#", true, false},  // the pattern ends before the name
      {u"abc", u"a?c", true, true},
      {u"ac", u"a?c", true, false},
      {u"b", u"[a-c]", true, true},
      {u"d", u"[a-c]", true, false},
      {u"b", u"[!a-c]", true, false},
      {u"-", u"[-x]", true, true},  // a leading "-" is a character
      {u"x", u"[ax]", true, true},
      {u"", u"*", true, true},
      {u"", u"?", true, false},
      {u"aXbXc", u"a*b*c", true, true},
      {u"aaab", u"*a*b", true, true},
      {u"abcd", u"*c", true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(matchesPattern(c.text, c.pattern, c.caseSensitive), c.matches)
        << std::string(c.pattern, c.pattern + std::char_traits<char16_t>::length(c.pattern));
  }
}

TEST(SampleWildcardTest, RefusesListsThatAreNotClosed) {
  EXPECT_TRUE(isValidPattern(u"a[bc]*"));
  EXPECT_TRUE(isValidPattern(u""));
  EXPECT_FALSE(isValidPattern(u"a[bc"));
  EXPECT_FALSE(isValidPattern(u"[a-]"));
  EXPECT_FALSE(isValidPattern(u"["));
}

}  // namespace
}  // namespace sample
