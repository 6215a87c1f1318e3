// IOPCCommon of the sample server.

#include "test_support.h"

namespace sample::testing {
namespace {

class SampleCommonTest : public ServerTest {
 protected:
  com::Ptr<IOPCServer> server = makeServer();
  com::Ptr<IOPCCommon> common = query<IOPCCommon>(server);
};

TEST_F(SampleCommonTest, OffersEnglishAndGerman) {
  DWORD count = 0;
  LCID* locales = nullptr;
  ASSERT_EQ(common->QueryAvailableLocaleIDs(&count, &locales), S_OK);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(locales[0], 0x409u);
  EXPECT_EQ(locales[1], 0x407u);
  CoTaskMemFree(locales);
}

TEST_F(SampleCommonTest, ErrorTextsFollowTheSessionLocale) {
  struct Case {
    LCID locale;
    HRESULT set;
    const char16_t* start;
  };
  const Case cases[] = {
      {0x407, S_OK, u"Der Wert des Handles"},
      {0x409, S_OK, u"The value of the handle"},
      {0x411, E_INVALIDARG, u"The value of the handle"},  // refused: the locale stays
      {LOCALE_SYSTEM_DEFAULT, S_OK, nullptr},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(common->SetLocaleID(c.locale), c.set);
    LCID now = 0;
    EXPECT_EQ(common->GetLocaleID(&now), S_OK);
    if (c.set == S_OK) {
      EXPECT_EQ(now, c.locale);
    }
    LPWSTR text = nullptr;
    EXPECT_EQ(common->GetErrorString(OPC_E_INVALIDHANDLE, &text), S_OK);
    const std::u16string got = takeString(text);
    if (c.start != nullptr) {
      EXPECT_EQ(got.rfind(c.start, 0), 0u) << narrow(got);
    }
  }
  LPWSTR text = nullptr;
  EXPECT_EQ(common->GetErrorString(static_cast<HRESULT>(0xC004ABCD), &text), E_INVALIDARG);
  EXPECT_EQ(text, nullptr);
}

TEST_F(SampleCommonTest, TakesTheClientName) {
  EXPECT_EQ(common->SetClientName(u"\\\\HOST\\Velmora's <Quillon>"), S_OK);
  EXPECT_EQ(common->SetClientName(nullptr), E_INVALIDARG);
}

}  // namespace
}  // namespace sample::testing
