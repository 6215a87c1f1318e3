#include "com/progid.h"

#include <gtest/gtest.h>

#include <string>

#include "com/allocator.h"
#include "scratch_registry.h"
#include "test_server/test_server_ids.h"
#include "win/registry.h"

namespace {

DEFINE_GUID(CLSID_Other, 0x0BADC0DE, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10);

std::string narrow(const char16_t* text) {
  std::u16string wide(text);
  return std::string(wide.begin(), wide.end());
}

void setDefault(const char* key, const char* value) {
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, key, REG_SZ, value, 0), ERROR_SUCCESS) << key;
}

class ProgId : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry_.ready());
    ASSERT_EQ(runRegsvr({COM_TEST_SERVER_PATH}), 0);
    // A version-independent ProgID that names its class only through CurVer.
    setDefault("Velmora.CurVerOnly\\CurVer", kTestWidgetProgId);
    setDefault("Velmora.BadClsid\\CLSID", "not a class identifier");
    setDefault("Velmora.Loop\\CurVer", "Velmora.Loop");
    setDefault("CLSID\\{0BADC0DE-0000-4000-8000-000000000010}", "a class without ProgID");
  }

  ScratchRegistry registry_;
};

TEST_F(ProgId, ResolvesProgIdsToClasses) {
  struct Case {
    const char16_t* progId;
    HRESULT expected;
  };
  const Case cases[] = {
      {u"Velmora.TestWidget.1", S_OK},
      {u"Velmora.TestWidget", S_OK},
      {u"velmora.testwidget.1", S_OK},  // key names compare without regard to case
      {u"Velmora.CurVerOnly", S_OK},
      {u"Velmora.NotRegistered", CO_E_CLASSSTRING},
      {u"Velmora.BadClsid", CO_E_CLASSSTRING},
      {u"Velmora.Loop", CO_E_CLASSSTRING},
      {u"", CO_E_CLASSSTRING},
      {u"CLSID\\{5C0FFEE0-1D2C-4E3B-8A49-716573740001}", CO_E_CLASSSTRING},
  };
  for (const auto& c : cases) {
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID(c.progId, &clsid), c.expected) << narrow(c.progId);
    EXPECT_EQ(clsid, SUCCEEDED(c.expected) ? CLSID_TestWidget : GUID_NULL);

    CLSID viaString = GUID_NULL;
    EXPECT_EQ(CLSIDFromString(c.progId, &viaString), SUCCEEDED(c.expected) ? S_OK : CO_E_CLASSSTRING);
    EXPECT_EQ(viaString, clsid);
  }
  CLSID clsid;
  EXPECT_EQ(CLSIDFromProgID(nullptr, &clsid), E_INVALIDARG);
  EXPECT_EQ(CLSIDFromProgID(u"Velmora.TestWidget", nullptr), E_INVALIDARG);
  EXPECT_EQ(CLSIDFromString(u"{5C0FFEE0-1D2C-4E3B-8A49-716573740001}", &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_TestWidget);
}

TEST_F(ProgId, FindsTheProgIdOfAClass) {
  LPOLESTR progId = nullptr;
  ASSERT_EQ(ProgIDFromCLSID(CLSID_TestWidget, &progId), S_OK);
  EXPECT_EQ(std::u16string(progId), u"Velmora.TestWidget.1");
  CoTaskMemFree(progId);

  const CLSID* unknown[] = {&CLSID_Other, &CLSID_TestNotServed};
  for (const CLSID* clsid : unknown) {
    progId = reinterpret_cast<LPOLESTR>(&progId);
    EXPECT_EQ(ProgIDFromCLSID(*clsid, &progId), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(progId, nullptr);
  }
  EXPECT_EQ(ProgIDFromCLSID(CLSID_TestWidget, nullptr), E_INVALIDARG);
}

}  // namespace
