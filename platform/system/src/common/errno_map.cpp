#include "common/errno_map.h"

#include <cerrno>

#include "win/winerror.h"

namespace win {

namespace {

struct ErrnoMapping {
  int error;
  DWORD code;
};

constexpr ErrnoMapping kErrnoTable[] = {
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EACCES, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED},
    {EROFS, ERROR_ACCESS_DENIED},
    {EISDIR, ERROR_ACCESS_DENIED},
    {ENOSPC, ERROR_DISK_FULL},
    {EDQUOT, ERROR_DISK_FULL},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {ENAMETOOLONG, ERROR_INVALID_NAME},
    {EINVAL, ERROR_INVALID_PARAMETER},
};

}  // namespace

DWORD win32ErrorFromErrno(int error, DWORD fallback) {
  for (const ErrnoMapping& mapping : kErrnoTable) {
    if (mapping.error == error) return mapping.code;
  }
  return fallback;
}

}  // namespace win
