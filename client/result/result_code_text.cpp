#include "result/result_code_text.h"

#include <array>
#include <cstdio>

#include "com/allocator.h"
#include "format/wide_text.h"
#include "session/server_session.h"
#include "win/message.h"

namespace {

struct CodeName {
  DWORD code;
  const char* name;
};

constexpr std::array<CodeName, 27> kCodeNames = {{
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
}};

// Servers and the system describe codes in the default language of the
// machine they run on.
constexpr LCID kServerLocale = LOCALE_SYSTEM_DEFAULT;
constexpr DWORD kSystemLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT);

std::string codeName(HRESULT code) {
  const DWORD value = static_cast<DWORD>(code);
  for (const CodeName& entry : kCodeNames) {
    if (entry.code == value) return entry.name;
  }
  char text[32];
  std::snprintf(text, sizeof text, "Function Failed : %Xh", static_cast<unsigned>(value));
  return text;
}

// The server's own description of one of its interface codes, or empty.
std::string serverDescription(HRESULT code, const CServerSession* session) {
  if (session == nullptr || session->GetServer() == nullptr) return {};
  LPWSTR description = nullptr;
  if (FAILED(session->GetServer()->GetErrorString(code, kServerLocale, &description))) return {};
  std::string text = format::WideToText(description);
  // A connected session always holds the allocator; the task heap is the
  // same either way.
  if (IMalloc* allocator = session->GetTaskAllocator()) {
    allocator->Free(description);
  } else {
    CoTaskMemFree(description);
  }
  return text;
}

// The system's message for the code without its closing line breaks, or
// empty.
std::string systemDescription(HRESULT code) {
  LPSTR message = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(code), kSystemLanguage, reinterpret_cast<LPSTR>(&message), 0, nullptr);
  if (length == 0 || message == nullptr) return {};
  std::string text(message, length);
  LocalFree(message);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return text;
}

}  // namespace

std::string ResultCodeText(HRESULT code, const CServerSession* session) {
  std::string text = codeName(code);
  const std::string description = HRESULT_FACILITY(code) == FACILITY_ITF ? serverDescription(code, session)
                                                                         : systemDescription(code);
  if (!description.empty()) text += "\n" + description;
  return text;
}

bool ResultCodeOfText(const std::string& shortForm, HRESULT& code) {
  for (const CodeName& entry : kCodeNames) {
    if (shortForm == entry.name) {
      code = static_cast<HRESULT>(entry.code);
      return true;
    }
  }
  static constexpr char kPrefix[] = "Function Failed : ";
  constexpr std::size_t kPrefixLength = sizeof kPrefix - 1;
  if (shortForm.size() <= kPrefixLength + 1 || shortForm.compare(0, kPrefixLength, kPrefix) != 0 ||
      shortForm.back() != 'h') {
    return false;
  }
  const std::string digits = shortForm.substr(kPrefixLength, shortForm.size() - kPrefixLength - 1);
  if (digits.size() > 8) return false;
  DWORD value = 0;
  for (char c : digits) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return false;
    value = value * 16 + static_cast<DWORD>(digit);
  }
  code = static_cast<HRESULT>(value);
  return true;
}
