// GetComputerNameA/W (win/computer.h).

#include <unistd.h>

#include <algorithm>
#include <string>

#include "common/utf.h"
#include "machine/computer_name_rule.h"
#include "win/computer.h"
#include "win/lasterror.h"
#include "win/winerror.h"

namespace {

// The kernel's host name; no name service is involved.
std::string computerName() {
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  return win::computerNameFromHostName(host);
}

template <typename Unit>
BOOL copyName(const std::basic_string<Unit>& name, Unit* buffer, LPDWORD size) {
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto needed = static_cast<DWORD>(name.size() + 1);
  if (*size < needed) {
    *size = needed;
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  if (!buffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::copy(name.c_str(), name.c_str() + needed, buffer);
  *size = needed - 1;
  return TRUE;
}

}  // namespace

extern "C" {

WIN_API BOOL GetComputerNameA(LPSTR buffer, LPDWORD size) { return copyName(computerName(), buffer, size); }

WIN_API BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size) {
  return copyName(win::utf8ToUtf16(computerName()), buffer, size);
}

}  // extern "C"
