#include "safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "win/winerror.h"

namespace sample {
namespace {

constexpr size_t kMaximumFileSize = 256u << 20;

HRESULT writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return storageError(errno);
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return S_OK;
}

std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

void stage(void (*hook)(SaveStage), SaveStage at) {
  if (hook != nullptr) hook(at);
}

}  // namespace

HRESULT storageError(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return STG_E_PATHNOTFOUND;
    case EACCES:
    case EPERM:
    case EROFS:
      return STG_E_ACCESSDENIED;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return STG_E_MEDIUMFULL;
    case ENAMETOOLONG:
    case EISDIR:
      return STG_E_INVALIDNAME;
    case ENOMEM:
      return E_OUTOFMEMORY;
    default:
      return STG_E_WRITEFAULT;
  }
}

HRESULT readWholeFile(const std::string& path, std::string& content) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? STG_E_FILENOTFOUND : storageError(errno);
  content.clear();
  char buffer[65536];
  HRESULT result = S_OK;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof(buffer));
    if (got < 0) {
      if (errno == EINTR) continue;
      result = errno == EISDIR ? STG_E_INVALIDNAME : STG_E_READFAULT;
      break;
    }
    if (got == 0) break;
    content.append(buffer, static_cast<size_t>(got));
    if (content.size() > kMaximumFileSize) {
      result = STG_E_READFAULT;
      break;
    }
  }
  ::close(fd);
  return result;
}

HRESULT writeFileSafely(const std::string& path, std::string_view content, void (*hook)(SaveStage)) {
  if (path.empty()) return STG_E_INVALIDNAME;
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return storageError(errno);
  // The new file keeps the old one's permissions, or gets the usual ones.
  struct stat old {};
  ::fchmod(fd, ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
  stage(hook, SaveStage::TemporaryFileOpened);

  const size_t half = content.size() / 2;
  HRESULT result = writeAll(fd, content.data(), half);
  if (SUCCEEDED(result)) {
    stage(hook, SaveStage::HalfWritten);
    result = writeAll(fd, content.data() + half, content.size() - half);
  }
  if (SUCCEEDED(result) && ::fsync(fd) != 0) result = storageError(errno);
  if (::close(fd) != 0 && SUCCEEDED(result)) result = storageError(errno);
  if (SUCCEEDED(result)) {
    stage(hook, SaveStage::Written);
    if (::rename(temporary.c_str(), path.c_str()) != 0) result = storageError(errno);
  }
  if (FAILED(result)) {
    ::unlink(temporary.c_str());
    return result;
  }
  // Make the rename itself durable.
  const int directory = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directory >= 0) {
    ::fsync(directory);
    ::close(directory);
  }
  stage(hook, SaveStage::Replaced);
  return S_OK;
}

}  // namespace sample
