// FormatMessageA/W over the system message table (win/message.h).

#include <algorithm>
#include <string>

#include "common/utf.h"
#include "message/message_inserts.h"
#include "message/message_table.h"
#include "win/lasterror.h"
#include "win/message.h"
#include "win/winerror.h"

namespace {

constexpr DWORD kKnownFlags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                              FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE |
                              FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY |
                              FORMAT_MESSAGE_MAX_WIDTH_MASK;

DWORD fail(DWORD error) {
  SetLastError(error);
  return 0;
}

// The table is English: it serves any language identifier that accepts
// English, the neutral and default identifiers included.
bool tableServesLanguage(DWORD languageId) {
  if (languageId > 0xFFFF) return false;
  const WORD primary = PRIMARYLANGID(languageId);
  const WORD sublanguage = SUBLANGID(languageId);
  if (primary == LANG_NEUTRAL) {
    return sublanguage == SUBLANG_NEUTRAL || sublanguage == SUBLANG_DEFAULT || sublanguage == SUBLANG_SYS_DEFAULT;
  }
  return primary == LANG_ENGLISH;
}

// Finds the message text (UTF-8) for the flags; 0 or a Win32 error.
DWORD messageSource(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, bool wide,
                    std::string& text) {
  if (flags & FORMAT_MESSAGE_FROM_STRING) {
    if (!source) return ERROR_INVALID_PARAMETER;
    text = wide ? win::utf16ToUtf8(static_cast<LPCWSTR>(source)) : std::string(static_cast<LPCSTR>(source));
    return ERROR_SUCCESS;
  }
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM)) {
    // Modules carry no message tables here.
    return (flags & FORMAT_MESSAGE_FROM_HMODULE) ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_INVALID_PARAMETER;
  }
  if (!tableServesLanguage(languageId)) return ERROR_RESOURCE_LANG_NOT_FOUND;
  const char* message = win::systemMessageText(messageId);
  if (!message) return ERROR_MR_MID_NOT_FOUND;
  // Every message of the table ends in a line break.
  text = std::string(message) + "\r\n";
  return ERROR_SUCCESS;
}

template <typename Unit>
DWORD deliver(const std::basic_string<Unit>& text, DWORD flags, Unit* buffer, DWORD size) {
  const std::size_t needed = text.size() + 1;
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    auto** out = reinterpret_cast<Unit**>(buffer);
    if (!out) return fail(ERROR_INVALID_PARAMETER);
    *out = nullptr;
    const std::size_t count = std::max<std::size_t>(needed, size);
    auto* block = static_cast<Unit*>(LocalAlloc(LMEM_FIXED, count * sizeof(Unit)));
    if (!block) return fail(ERROR_NOT_ENOUGH_MEMORY);
    std::copy(text.c_str(), text.c_str() + needed, block);
    *out = block;
    return static_cast<DWORD>(text.size());
  }
  if (!buffer && size > 0) return fail(ERROR_INVALID_PARAMETER);
  if (size < needed) return fail(ERROR_INSUFFICIENT_BUFFER);
  std::copy(text.c_str(), text.c_str() + needed, buffer);
  return static_cast<DWORD>(text.size());
}

std::string asNarrow(std::string text) { return text; }
std::u16string asWide(const std::string& text) { return win::utf8ToUtf16(text); }

template <typename Unit, typename Convert>
DWORD formatMessage(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, Unit* buffer, DWORD size,
                    va_list* arguments, Convert convert) {
  constexpr bool wide = sizeof(Unit) == 2;
  if (flags & ~kKnownFlags) return fail(ERROR_INVALID_PARAMETER);
  std::string text;
  const DWORD error = messageSource(flags, source, messageId, languageId, wide, text);
  if (error != ERROR_SUCCESS) return fail(error);
  const bool dropLineBreaks = (flags & FORMAT_MESSAGE_MAX_WIDTH_MASK) == FORMAT_MESSAGE_MAX_WIDTH_MASK;
  if (flags & FORMAT_MESSAGE_IGNORE_INSERTS) {
    if (dropLineBreaks) text = win::withoutLineBreaks(text);
  } else {
    win::InsertArguments inserts;
    if (arguments && (flags & FORMAT_MESSAGE_ARGUMENT_ARRAY)) {
      inserts = win::InsertArguments(reinterpret_cast<const DWORD_PTR*>(arguments));
    } else if (arguments) {
      inserts = win::InsertArguments(arguments);
    }
    std::string expanded;
    if (!win::expandMessage(text, inserts, wide, dropLineBreaks, expanded)) return fail(ERROR_INVALID_PARAMETER);
    text = std::move(expanded);
  }
  return deliver(convert(text), flags, buffer, size);
}

}  // namespace

extern "C" {

WIN_API DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                             DWORD size, va_list* arguments) {
  return formatMessage(flags, source, messageId, languageId, buffer, size, arguments, asNarrow);
}

WIN_API DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                             DWORD size, va_list* arguments) {
  return formatMessage(flags, source, messageId, languageId, buffer, size, arguments, asWide);
}

}  // extern "C"
