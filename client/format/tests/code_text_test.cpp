#include "format/code_text.h"

#include <gtest/gtest.h>

namespace {

TEST(VarTypeNameTest, NamesTypesWithTheirFlags) {
  struct Case {
    VARTYPE type;
    const char* name;
  };
  const Case cases[] = {
      {0, "VT_EMPTY"},
      {1, "VT_NULL"},
      {2, "VT_I2"},
      {3, "VT_I4"},
      {4, "VT_R4"},
      {5, "VT_R8"},
      {6, "VT_CY"},
      {7, "VT_DATE"},
      {8, "VT_BSTR"},
      {9, "VT_DISPATCH"},
      {10, "VT_ERROR"},
      {11, "VT_BOOL"},
      {12, "VT_VARIANT"},
      {13, "VT_UNKNOWN"},
      {14, "VT_DECIMAL"},
      {16, "VT_I1"},
      {17, "VT_UI1"},
      {18, "VT_UI2"},
      {19, "VT_UI4"},
      {22, "VT_INT"},
      {23, "VT_UINT"},
      {15, "unknown VARTYPE"},
      {20, "unknown VARTYPE"},
      {21, "unknown VARTYPE"},
      {24, "unknown VARTYPE"},
      {0xFFF, "unknown VARTYPE"},
      {0x1002, "unknown VARTYPE"},
      {0x8003, "unknown VARTYPE"},
      {0x2008, "VT_ARRAY | VT_BSTR"},
      {0x200C, "VT_ARRAY | VT_VARIANT"},
      {0x4003, "VT_BYREF | VT_I4"},
      {0x4000, "VT_BYREF | VT_EMPTY"},
      // The array prefix replaces the reference prefix.
      {0x6003, "VT_ARRAY | VT_I4"},
      {0x2015, "VT_ARRAY | unknown VARTYPE"},
  };
  for (const Case& c : cases) EXPECT_EQ(VarTypeName(c.type), c.name) << std::hex << c.type;
}

TEST(QualityTextTest, JoinsStatusSubstatusLimitAndCode) {
  struct Case {
    WORD quality;
    const char* text;
  };
  const Case cases[] = {
      {0x00C0, "Good: Non-specific, Limit: Not Limited, (00C0h)"},
      {0x0059, "Uncertain: Sub-Normal, Limit: Low Limited, (0059h)"},
      {0x0021, "Bad: N/A, Limit: Low Limited, (0021h)"},
      {0x0000, "Bad: Non-specific, Limit: Not Limited, (0000h)"},
      {0x0080, "N/A: N/A, Limit: Not Limited, (0080h)"},
      {0x00DB, "Good: Local Override, Limit: Constant, (00DBh)"},
      {0x0004, "Bad: Configuration Error, Limit: Not Limited, (0004h)"},
      {0x0008, "Bad: Not Connected, Limit: Not Limited, (0008h)"},
      {0x000E, "Bad: Device Failure, Limit: High Limited, (000Eh)"},
      {0x0010, "Bad: Sensor Failure, Limit: Not Limited, (0010h)"},
      {0x0014, "Bad: Last Known Value, Limit: Not Limited, (0014h)"},
      {0x0018, "Bad: Communication failure, Limit: Not Limited, (0018h)"},
      {0x001C, "Bad: Out of Service, Limit: Not Limited, (001Ch)"},
      {0x0040, "Uncertain: Non-specific, Limit: Not Limited, (0040h)"},
      {0x0044, "Uncertain: Last Usable Value, Limit: Not Limited, (0044h)"},
      {0x0050, "Uncertain: Sensor Not Accurate, Limit: Not Limited, (0050h)"},
      {0x0054, "Uncertain: Engineering Units Exceeded, Limit: Not Limited, (0054h)"},
      // Substatus texts belong to their quality: 0xC4 is not "Configuration Error".
      {0x00C4, "Good: N/A, Limit: Not Limited, (00C4h)"},
      // The vendor's high byte is shown in the code and ignored otherwise.
      {0x12C0, "Good: Non-specific, Limit: Not Limited, (12C0h)"},
  };
  for (const Case& c : cases) EXPECT_EQ(QualityText(c.quality), c.text) << std::hex << c.quality;
}

TEST(EuTypeNameTest, NamesTheThreeTypes) {
  EXPECT_EQ(EuTypeName(0), "OPC_NOENUM");
  EXPECT_EQ(EuTypeName(1), "OPC_ANALOG");
  EXPECT_EQ(EuTypeName(2), "OPC_ENUMERATED");
  EXPECT_EQ(EuTypeName(3), "Unknown");
  EXPECT_EQ(EuTypeName(0xFFFFFFFF), "Unknown");
}

TEST(LocaleTextTest, NamesDefaultsByRoleAndOthersByLanguage) {
  struct Case {
    LCID locale;
    const char* text;
  };
  const Case cases[] = {
      {0x0000, "Language-Neutral"},
      {0x0400, "Current User Locale"},
      // The system could name it, but the role is what the user picks.
      {0x0800, "System Default Locale"},
      {0x0409, "English (United States)"},
      {0x0407, "German (Germany)"},
      {0x1234, "Locale Identifier 0x1234"},
      {0x0001, "Locale Identifier 0x0001"},
      {0x12345, "Locale Identifier 0x12345"},
  };
  for (const Case& c : cases) EXPECT_EQ(LocaleText(c.locale), c.text) << std::hex << c.locale;
}

}  // namespace
