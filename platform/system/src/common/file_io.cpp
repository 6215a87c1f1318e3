#include "common/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "common/errno_map.h"
#include "win/winerror.h"

namespace win {

namespace {

std::atomic<unsigned> tempCounter{0};

DWORD writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return win32ErrorFromErrno(errno, ERROR_CANTWRITE);
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return ERROR_SUCCESS;
}

// Makes a rename in dir durable. Failure to flush a folder is not reported:
// some file systems refuse fsync on folders, and the rename itself is done.
void syncDirectory(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

DWORD readAll(int fd, std::string& out) {
  out.clear();
  char buffer[65536];
  off_t offset = 0;
  while (true) {
    const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
    if (got < 0) {
      if (errno == EINTR) continue;
      return win32ErrorFromErrno(errno, ERROR_CANTREAD);
    }
    if (got == 0) return ERROR_SUCCESS;
    out.append(buffer, static_cast<std::size_t>(got));
    offset += got;
  }
}

DWORD createDirectories(const std::string& dir) {
  struct stat info;
  if (dir.empty() || ::stat(dir.c_str(), &info) == 0) {
    return dir.empty() || S_ISDIR(info.st_mode) ? ERROR_SUCCESS : ERROR_PATH_NOT_FOUND;
  }
  const std::string parent = parentDirectory(dir);
  if (parent != dir) {
    const DWORD result = createDirectories(parent);
    if (result != ERROR_SUCCESS) return result;
  }
  if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) {
    return win32ErrorFromErrno(errno, ERROR_PATH_NOT_FOUND);
  }
  return ERROR_SUCCESS;
}

std::string parentDirectory(const std::string& path) {
  std::size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  const std::size_t slash = path.rfind('/', end - 1);
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string fileName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string tempFilePrefix(const std::string& path) { return fileName(path) + ".tmp."; }

DWORD replaceFile(const std::string& path, std::string_view text, int* keptFd) {
  const std::string dir = parentDirectory(path);
  const std::string temp = dir + "/" + tempFilePrefix(path) + std::to_string(::getpid()) + "." +
                           std::to_string(tempCounter.fetch_add(1));
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    // Creating a file fails with ENOENT only when its folder is missing.
    return errno == ENOENT ? ERROR_PATH_NOT_FOUND : win32ErrorFromErrno(errno, ERROR_CANTWRITE);
  }

  DWORD result = writeAll(fd, text);
  struct stat old;
  if (result == ERROR_SUCCESS && ::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
  if (result == ERROR_SUCCESS && ::fsync(fd) != 0) result = win32ErrorFromErrno(errno, ERROR_CANTWRITE);
  if (result == ERROR_SUCCESS && ::rename(temp.c_str(), path.c_str()) != 0) {
    result = win32ErrorFromErrno(errno, ERROR_CANTWRITE);
  }
  if (result != ERROR_SUCCESS) {
    ::close(fd);
    ::unlink(temp.c_str());
    return result;
  }
  syncDirectory(dir);
  if (keptFd) {
    *keptFd = fd;
  } else {
    ::close(fd);
  }
  return ERROR_SUCCESS;
}

void removeAbandonedTempFiles(const std::string& path) {
  const std::string dir = parentDirectory(path);
  const std::string prefix = tempFilePrefix(path);
  DIR* listing = ::opendir(dir.c_str());
  if (!listing) return;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name(entry->d_name);
    if (name.substr(0, prefix.size()) == prefix) ::unlinkat(::dirfd(listing), entry->d_name, 0);
  }
  ::closedir(listing);
}

FileLock::FileLock(const std::string& lockPath) : result_(ERROR_SUCCESS) {
  fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    result_ = win32ErrorFromErrno(errno, ERROR_CANTWRITE);
    return;
  }
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno != EINTR) {
      result_ = win32ErrorFromErrno(errno, ERROR_CANTWRITE);
      return;
    }
  }
}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace win
