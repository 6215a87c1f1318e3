#pragma once

// Reading class registrations under HKEY_CLASSES_ROOT, and the text
// conversions that go with it.

#include <string>

#include "com/guid.h"

namespace com::detail {

// The braced text form of a GUID as 8-bit text.
std::string guidText(REFGUID guid);

// "CLSID\{...}": the key of a class below HKEY_CLASSES_ROOT.
std::string classKeyPath(REFCLSID clsid);

// Reads the default value of HKEY_CLASSES_ROOT\keyPath. ERROR_FILE_NOT_FOUND
// when the key does not exist; a key without a default value reads as "".
LONG readDefaultValue(const std::string& keyPath, std::string& value);

// UTF-16 to UTF-8; false for a null text.
bool toUtf8(LPCOLESTR text, std::string& utf8);

// A UTF-16 copy of text from the task allocator.
HRESULT toTaskMemString(const std::string& text, LPOLESTR* copy);

}  // namespace com::detail
