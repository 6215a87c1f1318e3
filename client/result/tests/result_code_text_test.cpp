#include "result/result_code_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "com/allocator.h"
#include "com/object.h"
#include "opc/opcerror.h"
#include "session_double.h"

namespace {

using testing_support::SessionDouble;

std::string firstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

TEST(ResultCodeTextTest, NamesEveryCodeOfTheTable) {
  struct Case {
    DWORD code;
    const char* name;
  };
  const Case cases[] = {
      {0x00000000, "S_OK"},
      {0x00000001, "S_FALSE"},
      {0x0004000D, "OPC_S_UNSUPPORTEDRATE"},
      {0x0004000E, "OPC_S_CLAMP"},
      {0x0004000F, "OPC_S_INUSE"},
      {0x80004001, "E_NOTIMPL"},
      {0x80004002, "E_NOINTERFACE"},
      {0x80004005, "E_FAIL"},
      {0x8002000C, "DISP_E_UNKNOWNLCID"},
      {0x80040004, "OLE_E_NOCONNECTION"},
      {0x80040064, "DV_E_FORMATETC"},
      {0x8007000E, "E_OUTOFMEMORY"},
      {0x80070057, "E_INVALIDARG"},
      {0xC0040001, "OPC_E_INVALIDHANDLE"},
      {0xC0040004, "OPC_E_BADTYPE"},
      {0xC0040005, "OPC_E_PUBLIC"},
      {0xC0040006, "OPC_E_BADRIGHTS"},
      {0xC0040007, "OPC_E_UNKNOWNITEMID"},
      {0xC0040008, "OPC_E_INVALIDITEMID"},
      {0xC0040009, "OPC_E_INVALIDFILTER"},
      {0xC004000A, "OPC_E_UNKNOWNPATH"},
      {0xC004000B, "OPC_E_RANGE"},
      {0xC004000C, "OPC_E_DUPLICATENAME"},
      {0xC0040010, "OPC_E_INVALIDCONFIGFILE"},
      {0xC0040011, "OPC_E_NOTFOUND"},
      {0xC0040500, "TRUNIC_E_PROGRAMSTATE"},
      {0xC0040501, "TRUNIC_E_RESERVED"},
      // Codes outside the table.
      {0x80010105, "Function Failed : 80010105h"},
      {0x12345678, "Function Failed : 12345678h"},
      {0x00000002, "Function Failed : 2h"},
      {0xC0040203, "Function Failed : C0040203h"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(firstLine(ResultCodeText(static_cast<HRESULT>(c.code), nullptr)), c.name) << std::hex << c.code;
    // Scripts read the short form back into the code.
    HRESULT back = 0;
    EXPECT_TRUE(ResultCodeOfText(c.name, back)) << c.name;
    EXPECT_EQ(static_cast<DWORD>(back), c.code) << c.name;
  }
  HRESULT unused = 0;
  for (const char* text : {"", "E_BOGUS", "Function Failed : h", "Function Failed : 123456789h",
                           "Function Failed : 80x0h", "Function Failed : 8000"}) {
    EXPECT_FALSE(ResultCodeOfText(text, unused)) << text;
  }
}

TEST(ResultCodeTextTest, AddsTheSystemMessageWithoutItsLineBreak) {
  struct Case {
    DWORD code;
    const char* text;
  };
  const Case cases[] = {
      {0x80004005, "E_FAIL\nUnspecified error"},
      {0x80010105, "Function Failed : 80010105h\nThe server threw an exception."},
      {0x8002000C, "DISP_E_UNKNOWNLCID\nUnknown language."},
      // A small code reads as a system error number, as the system reads it.
      {0x00000002, "Function Failed : 2h\nThe system cannot find the file specified."},
      // The system has no message for this one.
      {0x12345678, "Function Failed : 12345678h"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResultCodeText(static_cast<HRESULT>(c.code), nullptr), c.text) << std::hex << c.code;
  }
}

// A server that describes OPC_E_UNKNOWNITEMID and nothing else.
class DescribingServer final : public com::Object<DescribingServer, IOPCServer> {
 public:
  static constexpr char16_t kDescription[] = u"The item ID is not defined in the server's address space.";

  HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT error, LCID locale, LPWSTR* text) override {
    requestedLocales.push_back(locale);
    *text = nullptr;
    if (error != OPC_E_UNKNOWNITEMID) return E_INVALIDARG;
    *text = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof kDescription));
    std::memcpy(*text, kDescription, sizeof kDescription);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE AddGroup(LPCWSTR, BOOL, DWORD, OPCHANDLE, LONG*, FLOAT*, DWORD, OPCHANDLE*, DWORD*,
                                     REFIID, LPUNKNOWN*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetGroupByName(LPCWSTR, REFIID, LPUNKNOWN*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetStatus(OPCSERVERSTATUS**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemoveGroup(OPCHANDLE, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateGroupEnumerator(OPCENUMSCOPE, REFIID, LPUNKNOWN*) override { return E_NOTIMPL; }

  std::vector<LCID> requestedLocales;
};

class ResultCodeTextSessionTest : public ::testing::Test {
 protected:
  com::Ptr<DescribingServer> server = com::makeObject<DescribingServer>();
  SessionDouble session{server.get()};
};

TEST_F(ResultCodeTextSessionTest, AsksTheServerForItsInterfaceCodesInTheSystemLocale) {
  EXPECT_EQ(ResultCodeText(OPC_E_UNKNOWNITEMID, &session),
            "OPC_E_UNKNOWNITEMID\nThe item ID is not defined in the server's address space.");
  EXPECT_EQ(server->requestedLocales, std::vector<LCID>{0x800});
}

TEST_F(ResultCodeTextSessionTest, KeepsTheBareNameWhenTheServerCannotDescribeTheCode) {
  EXPECT_EQ(ResultCodeText(OPC_E_BADRIGHTS, &session), "OPC_E_BADRIGHTS");
  EXPECT_EQ(ResultCodeText(static_cast<HRESULT>(0xC0040203), &session), "Function Failed : C0040203h");
}

TEST_F(ResultCodeTextSessionTest, NeverAsksTheServerAboutOtherFacilities) {
  EXPECT_EQ(ResultCodeText(E_FAIL, &session), "E_FAIL\nUnspecified error");
  EXPECT_TRUE(server->requestedLocales.empty());
}

TEST(ResultCodeTextTest, InterfaceCodesWithoutAServerKeepTheBareName) {
  SessionDouble disconnected;
  struct Case {
    const CServerSession* session;
  };
  for (const Case& c : {Case{nullptr}, Case{&disconnected}}) {
    EXPECT_EQ(ResultCodeText(OPC_E_UNKNOWNITEMID, c.session), "OPC_E_UNKNOWNITEMID");
    // The system knows this FACILITY_ITF code, but only a server may say
    // what an interface code means.
    EXPECT_EQ(ResultCodeText(static_cast<HRESULT>(0x80040004), c.session), "OLE_E_NOCONNECTION");
  }
}

}  // namespace
