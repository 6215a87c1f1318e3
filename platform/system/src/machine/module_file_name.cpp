// GetModuleFileNameA (win/module.h).

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "common/errno_map.h"
#include "win/lasterror.h"
#include "win/module.h"
#include "win/winerror.h"

extern "C" WIN_API DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  if (module != nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (fileName == nullptr || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  // readlink neither terminates nor says whether it cut, so read into a
  // buffer that is grown until the path fits with room to spare.
  std::vector<char> path(4096);
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length < 0) {
      SetLastError(win::win32ErrorFromErrno(errno, ERROR_FILE_NOT_FOUND));
      return 0;
    }
    if (static_cast<std::size_t>(length) < path.size()) {
      path.resize(static_cast<std::size_t>(length));
      break;
    }
    path.resize(path.size() * 2);
  }
  if (path.size() >= size) {
    std::memcpy(fileName, path.data(), size - 1);
    fileName[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(fileName, path.data(), path.size());
  fileName[path.size()] = '\0';
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(path.size());
}
