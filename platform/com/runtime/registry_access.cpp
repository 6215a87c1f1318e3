#include "registry_access.h"

#include <cstring>
#include <vector>

#include "com/allocator.h"
#include "win/registry.h"
#include "win/stringapi.h"

namespace com::detail {

std::string guidText(REFGUID guid) {
  OLECHAR wide[39];
  StringFromGUID2(guid, wide, 39);
  return std::string(wide, wide + 38);  // the braced form is ASCII
}

std::string classKeyPath(REFCLSID clsid) { return "CLSID\\" + guidText(clsid); }

LONG readDefaultValue(const std::string& keyPath, std::string& value) {
  // Most values (paths, names, identifiers) fit the first buffer; a longer
  // one is read again at the size the registry asks for, a second time if it
  // grew in between.
  std::vector<char> buffer(256);
  for (int attempt = 0; attempt < 3; ++attempt) {
    LONG size = static_cast<LONG>(buffer.size());
    const LONG result = RegQueryValueA(HKEY_CLASSES_ROOT, keyPath.c_str(), buffer.data(), &size);
    if (result == ERROR_MORE_DATA && size > static_cast<LONG>(buffer.size())) {
      buffer.resize(static_cast<size_t>(size));
      continue;
    }
    if (result == ERROR_SUCCESS) value.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
    return result;
  }
  return ERROR_MORE_DATA;
}

bool toUtf8(LPCOLESTR text, std::string& utf8) {
  if (text == nullptr) return false;
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return false;
  utf8.resize(static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), bytes, nullptr, nullptr);
  utf8.pop_back();  // the terminator
  return true;
}

HRESULT toTaskMemString(const std::string& text, LPOLESTR* copy) {
  const int units = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  if (units <= 0) return E_FAIL;
  *copy = static_cast<LPOLESTR>(CoTaskMemAlloc(static_cast<size_t>(units) * sizeof(OLECHAR)));
  if (*copy == nullptr) return E_OUTOFMEMORY;
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, *copy, units);
  return S_OK;
}

}  // namespace com::detail
