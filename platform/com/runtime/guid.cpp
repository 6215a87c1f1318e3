#include "com/guid.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdio>

#include "com/allocator.h"
#include "com/progid.h"

namespace {

constexpr int kBracedLength = 38;  // {8-4-4-4-12}

int hexValue(OLECHAR c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads `digits` hex digits at text[pos...] into value; false on a non-digit.
bool readHex(LPCOLESTR text, int pos, int digits, unsigned long long& value) {
  value = 0;
  for (int k = 0; k < digits; ++k) {
    int v = hexValue(text[pos + k]);
    if (v < 0) return false;
    value = (value << 4) | static_cast<unsigned>(v);
  }
  return true;
}

HRESULT parseBraced(LPCOLESTR text, GUID* guid, HRESULT failure) {
  if (guid == nullptr) return E_INVALIDARG;
  if (text == nullptr) return failure;
  for (int k = 0; k < kBracedLength; ++k) {
    if (text[k] == u'\0') return failure;
  }
  if (text[0] != u'{' || text[9] != u'-' || text[14] != u'-' || text[19] != u'-' || text[24] != u'-' ||
      text[37] != u'}' || text[38] != u'\0') {
    return failure;
  }
  unsigned long long v;
  GUID parsed{};
  if (!readHex(text, 1, 8, v)) return failure;
  parsed.Data1 = static_cast<DWORD>(v);
  if (!readHex(text, 10, 4, v)) return failure;
  parsed.Data2 = static_cast<WORD>(v);
  if (!readHex(text, 15, 4, v)) return failure;
  parsed.Data3 = static_cast<WORD>(v);
  static constexpr int kBytePositions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int k = 0; k < 8; ++k) {
    if (!readHex(text, kBytePositions[k], 2, v)) return failure;
    parsed.Data4[k] = static_cast<BYTE>(v);
  }
  *guid = parsed;
  return S_OK;
}

}  // namespace

extern "C" {

COM_API int StringFromGUID2(REFGUID guid, LPOLESTR text, int size) {
  if (text == nullptr || size < kBracedLength + 1) return 0;
  char buffer[kBracedLength + 1];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  for (int k = 0; k <= kBracedLength; ++k) text[k] = static_cast<OLECHAR>(buffer[k]);
  return kBracedLength + 1;
}

COM_API HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
  if (clsid != nullptr && text != nullptr && text[0] != u'{') {
    return FAILED(CLSIDFromProgID(text, clsid)) ? CO_E_CLASSSTRING : S_OK;
  }
  return parseBraced(text, clsid, CO_E_CLASSSTRING);
}

COM_API HRESULT IIDFromString(LPCOLESTR text, LPIID iid) { return parseBraced(text, iid, E_INVALIDARG); }

COM_API HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text) {
  if (text == nullptr) return E_INVALIDARG;
  *text = static_cast<LPOLESTR>(CoTaskMemAlloc((kBracedLength + 1) * sizeof(OLECHAR)));
  if (*text == nullptr) return E_OUTOFMEMORY;
  StringFromGUID2(clsid, *text, kBracedLength + 1);
  return S_OK;
}

COM_API HRESULT StringFromIID(REFIID iid, LPOLESTR* text) { return StringFromCLSID(iid, text); }

COM_API HRESULT CoCreateGuid(GUID* guid) {
  if (guid == nullptr) return E_INVALIDARG;
  GUID fresh;
  auto* bytes = reinterpret_cast<unsigned char*>(&fresh);
  size_t filled = 0;
  while (filled < sizeof fresh) {
    const ssize_t got = getrandom(bytes + filled, sizeof fresh - filled, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
    }
    filled += static_cast<size_t>(got);
  }
  // Version 4 (random) in the high nibble of Data3, variant 10xx in Data4[0].
  fresh.Data3 = static_cast<WORD>((fresh.Data3 & 0x0FFF) | 0x4000);
  fresh.Data4[0] = static_cast<BYTE>((fresh.Data4[0] & 0x3F) | 0x80);
  *guid = fresh;
  return S_OK;
}

}  // extern "C"
