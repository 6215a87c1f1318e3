// ToWideText: a text converts whole or not at all. Letters outside ASCII
// convert (the code page is UTF-8); bytes that are no characters fail.

#include <gtest/gtest.h>

#include "session/to_wide_text.h"
#include "win/winerror.h"

namespace {

TEST(ToWideText, ConvertsWholeTextsAndRefusesBrokenOnes) {
  struct Case {
    const char* text;
    HRESULT result;
    std::u16string wide;
  };
  const Case cases[] = {
      {"Pelkor.DataSample", S_OK, u"Pelkor.DataSample"},
      {"", S_OK, u""},
      {nullptr, S_OK, u""},
      {"Z\xC3\xBCrich", S_OK, u"Z\u00FCrich"},
      {"\xF0\x9F\x99\x82 ok", S_OK, u"\U0001F642 ok"},  // one character, two wide units
      {"bad \xFF text", E_FAIL, u""},
      {"cut short \xC3", E_FAIL, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text != nullptr ? c.text : "(null)");
    std::u16string wide = u"left over";
    EXPECT_EQ(ToWideText(c.text, wide), c.result);
    EXPECT_EQ(wide, c.wide);
  }
}

}  // namespace
