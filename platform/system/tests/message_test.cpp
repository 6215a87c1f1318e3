#include "win/message.h"

#include <gtest/gtest.h>

#include <string>

#include "win/lasterror.h"
#include "win/winerror.h"

namespace {

constexpr DWORD kSystemFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
constexpr DWORD kSystemDefault = MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT);

// The system's text for code as the client asks for it, or "error N".
std::string systemText(DWORD code, DWORD language = kSystemDefault) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(kSystemFlags | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code, language,
                                      reinterpret_cast<LPSTR>(&text), 0, nullptr);
  if (length == 0) {
    EXPECT_EQ(text, nullptr);
    return "error " + std::to_string(GetLastError());
  }
  std::string result(text, length);
  LocalFree(text);
  return result;
}

TEST(SystemMessageTable, GivesThePlatformsTexts) {
  struct Case {
    DWORD code;
    std::string text;
  } cases[] = {
      {0x80004005, "Unspecified error\r\n"},
      {0x80004001, "Not implemented\r\n"},
      {0x80004002, "No such interface supported\r\n"},
      {0x80004003, "Invalid pointer\r\n"},
      {0x80004004, "Operation aborted\r\n"},
      {0x8000FFFF, "Catastrophic failure\r\n"},
      {0x8007000E, "Not enough memory resources are available to complete this operation.\r\n"},
      {0x80070057, "The parameter is incorrect.\r\n"},
      {0x80070005, "Access is denied.\r\n"},
      {0x80070006, "The handle is invalid.\r\n"},
      {0x800401F0, "CoInitialize has not been called.\r\n"},
      {0x800401F3, "Invalid class string\r\n"},
      {0x80040154, "Class not registered\r\n"},
      {0x80040110, "Class does not support aggregation (or class object is remote)\r\n"},
      {0x80040111, "ClassFactory cannot supply requested class\r\n"},
      {0x80010119, "Security must be initialized before any interfaces are marshalled or unmarshalled. It "
                   "cannot be changed once initialized.\r\n"},
      {0x80010106, "Cannot change thread mode after it is set.\r\n"},
      {0x80010108, "The object invoked has disconnected from its clients.\r\n"},
      {0x80020005, "Type mismatch.\r\n"},
      {0x8002000A, "Out of present range.\r\n"},
      {0x80020008, "Bad variable type.\r\n"},
      {0x8002000B, "Invalid index.\r\n"},
      {0x8002000C, "Unknown language.\r\n"},
      {0x80040003, "This implementation doesn't take advises\r\n"},
      {0x80040004, "There is no connection for this connection ID\r\n"},
      {0x80040064, "Invalid FORMATETC structure\r\n"},
      {0x80040066, "Invalid STDGMEDIUM structure\r\n"},
      {0x80030002, "%1 could not be found.\r\n"},
      {0x80080005, "Server execution failed\r\n"},
      // Win32 codes, plain and as HRESULT_FROM_WIN32.
      {0, "The operation completed successfully.\r\n"},
      {2, "The system cannot find the file specified.\r\n"},
      {5, "Access is denied.\r\n"},
      {87, "The parameter is incorrect.\r\n"},
      {1722, "The RPC server is unavailable.\r\n"},
      {0x800706BA, "The RPC server is unavailable.\r\n"},
      {0x80070002, "The system cannot find the file specified.\r\n"},
      {0x800703E5, "Overlapped I/O operation is in progress.\r\n"},
      // No text: unknown codes, other facilities' forms of Win32 codes, and
      // interface codes that only their server can describe.
      {0x12345678, "error 317"},
      {0x80071234, "error 317"},
      {0x800806BA, "error 317"},
      {0x000706BA, "error 317"},
      {0xC0040007, "error 317"},  // OPC_E_UNKNOWNITEMID
      {0x0004000D, "error 317"},  // OPC_S_UNSUPPORTEDRATE
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.code);
    EXPECT_EQ(systemText(c.code), c.text);
  }
}

TEST(SystemMessageTable, ServesTheLanguagesThatTakeEnglish) {
  struct Case {
    DWORD language;
    std::string text;
  } cases[] = {
      {0, "Unspecified error\r\n"},
      {MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), "Unspecified error\r\n"},
      {MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT), "Unspecified error\r\n"},
      {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), "Unspecified error\r\n"},
      {0x0809, "Unspecified error\r\n"},
      {0x0407, "error 1815"},
      {0x12345, "error 1815"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.language);
    EXPECT_EQ(systemText(0x80004005, c.language), c.text);
  }
}

TEST(FormatMessage, FillsACallersBufferOnlyWhenItFits) {
  char buffer[20];
  // "Unspecified error\r\n" is 19 characters and its terminator.
  EXPECT_EQ(FormatMessageA(kSystemFlags, nullptr, 0x80004005, 0, buffer, 20, nullptr), 19u);
  EXPECT_STREQ(buffer, "Unspecified error\r\n");
  EXPECT_EQ(FormatMessageA(kSystemFlags, nullptr, 0x80004005, 0, buffer, 19, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(FormatMessageA(kSystemFlags, nullptr, 0x80004005, 0, nullptr, 0, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(FormatMessageA(kSystemFlags, nullptr, 0x80004005, 0, nullptr, 20, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 0x80004005, 0, buffer, 20, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 0x80004005, 0,
                           buffer, 20, nullptr),
            0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
}

TEST(FormatMessage, AllocatesAtLeastTheSizeAskedFor) {
  WCHAR* wide = nullptr;
  const DWORD length = FormatMessageW(kSystemFlags | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, 0x800706BA, 0x800,
                                      reinterpret_cast<LPWSTR>(&wide), 200, nullptr);
  ASSERT_EQ(length, 32u);
  EXPECT_EQ(std::u16string(wide), u"The RPC server is unavailable.\r\n");
  wide[199] = u'x';  // the block holds the 200 characters asked for
  EXPECT_EQ(LocalFree(wide), nullptr);
  EXPECT_EQ(FormatMessageW(kSystemFlags | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, 0x800706BA, 0, nullptr, 0,
                           nullptr),
            0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

std::string expandA(const char* text, const DWORD_PTR* arguments, DWORD extraFlags = 0) {
  char* out = nullptr;
  DWORD flags = FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER | extraFlags;
  if (arguments) flags |= FORMAT_MESSAGE_ARGUMENT_ARRAY;
  const DWORD length = FormatMessageA(flags, text, 0, 0, reinterpret_cast<LPSTR>(&out), 0,
                                      reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(arguments)));
  if (length == 0) return "error " + std::to_string(GetLastError());
  std::string result(out, length);
  LocalFree(out);
  return result;
}

TEST(FormatMessage, ExpandsEscapesAndInserts) {
  const char* name = "server.so";
  const DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(name), 42, static_cast<DWORD_PTR>(-7), 0xBEEF};
  struct Case {
    const char* text;
    const DWORD_PTR* arguments;
    DWORD flags;
    std::string expected;
  } cases[] = {
      {"%1 is not a valid Win32 application.", arguments, 0, "server.so is not a valid Win32 application."},
      {"%2!u! of %2!04d!, %3!d!, %4!X!, %4!#x!", arguments, 0, "42 of 0042, -7, BEEF, 0xbeef"},
      {"[%1!12s!][%1!-10.6s!]", arguments, 0, "[   server.so][server    ]"},
      {"100%% sure%.%!%tend%n", nullptr, 0, "100% sure.!\tend\r\n"},
      {"stop here%0 not this", nullptr, 0, "stop here"},
      {"one\r\ntwo\r\n", nullptr, FORMAT_MESSAGE_MAX_WIDTH_MASK, "one two"},
      {"%1 ignored%n", nullptr, FORMAT_MESSAGE_IGNORE_INSERTS, "%1 ignored%n"},
      {"kept %1\r\n", nullptr, FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK, "kept %1"},
      {"needs %1", nullptr, 0, "error 87"},
      {"bad %1!q!", arguments, 0, "error 87"},
      {"open %1!s", arguments, 0, "error 87"},
      {"huge %2!99999d!", arguments, 0, "error 87"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(expandA(c.text, c.arguments, c.flags), c.expected);
  }
}

DWORD formatWithList(LPSTR buffer, DWORD size, const char* text, ...) {
  va_list list;
  va_start(list, text);
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_STRING, text, 0, 0, buffer, size, &list);
  va_end(list);
  return length;
}

TEST(FormatMessage, TakesInsertsFromAVaList) {
  char buffer[64];
  ASSERT_GT(formatWithList(buffer, sizeof buffer, "%2 then %1 and %2", "first", "second"), 0u);
  EXPECT_STREQ(buffer, "second then first and second");
}

TEST(FormatMessage, WideInsertsAreWideStrings) {
  const char16_t* name = u"gr\u00fc\u00dfe";
  const DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(name), reinterpret_cast<DWORD_PTR>("narrow")};
  WCHAR buffer[64];
  ASSERT_GT(FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, u"%1: %2!S!", 0, 0, buffer,
                           64, reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(arguments))),
            0u);
  EXPECT_EQ(std::u16string(buffer), u"gr\u00fc\u00dfe: narrow");
}

TEST(LocalMemory, AllocatesAndFrees) {
  auto* zeroed = static_cast<unsigned char*>(LocalAlloc(LPTR, 16));
  ASSERT_NE(zeroed, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(zeroed[i], 0);
  EXPECT_EQ(LocalFree(zeroed), nullptr);
  void* empty = LocalAlloc(LMEM_FIXED, 0);
  EXPECT_NE(empty, nullptr);
  LocalFree(empty);
  EXPECT_EQ(LocalFree(nullptr), nullptr);
  EXPECT_EQ(LocalAlloc(0x0002 /* LMEM_MOVEABLE */, 8), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
