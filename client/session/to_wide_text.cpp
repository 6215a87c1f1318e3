#include "session/to_wide_text.h"

#include <new>

#include "win/stringapi.h"
#include "win/winerror.h"

HRESULT ToWideText(LPCSTR text, std::u16string& wide) {
  wide.clear();
  if (text == nullptr || *text == '\0') return S_OK;
  // Counting and converting both refuse invalid input, so a text converts
  // whole or not at all. Letters outside ASCII are fine: the code page is
  // UTF-8, where one character may take several bytes.
  const int count = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (count <= 0) return E_FAIL;
  try {
    wide.resize(static_cast<std::size_t>(count));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  const int written = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide.data(), count);
  if (written != count) {
    wide.clear();
    return E_FAIL;
  }
  wide.pop_back();  // the terminator, which the string keeps on its own
  return S_OK;
}
