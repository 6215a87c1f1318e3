#include "registry/store_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "common/errno_map.h"
#include "common/file_io.h"
#include "win/winerror.h"

namespace win::registry {

namespace {

// A store beyond this size is not a registry anyone wrote by hand or by
// registration; refusing it keeps a stray large file from exhausting memory.
constexpr off_t kMaxStoreSize = 256 * 1024 * 1024;

// What identifies one version of the file. The parsed version keeps its file
// open, so its inode cannot be freed and handed to a newer version: a match
// of device, inode, size and both time stamps means the same content.
struct FileIdentity {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};

  static FileIdentity of(const struct stat& info) {
    return {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
  }
  bool operator==(const FileIdentity& other) const {
    return exists == other.exists && device == other.device && inode == other.inode &&
           size == other.size && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec && changed.tv_sec == other.changed.tv_sec &&
           changed.tv_nsec == other.changed.tv_nsec;
  }
};

struct CachedVersion {
  std::string path;
  FileIdentity identity;
  std::shared_ptr<const StoreSnapshot> snapshot;
  int pinnedFd = -1;
};

class StoreCache {
 public:
  DWORD read(const std::string& path, std::shared_ptr<const StoreSnapshot>& out) {
    FileIdentity current;
    struct stat info;
    if (::stat(path.c_str(), &info) == 0) {
      current = FileIdentity::of(info);
    } else if (errno != ENOENT) {
      return win32ErrorFromErrno(errno, ERROR_CANTREAD);
    }
    std::lock_guard lock(mutex_);
    if (cached_.snapshot && cached_.path == path && cached_.identity == current) {
      out = cached_.snapshot;
      return ERROR_SUCCESS;
    }
    return load(path, out);
  }

  // Installs the version that this process has just written.
  void install(const std::string& path, int fd, std::shared_ptr<const StoreSnapshot> snapshot) {
    struct stat info;
    std::lock_guard lock(mutex_);
    if (::fstat(fd, &info) != 0) {
      ::close(fd);
      return;
    }
    unpin();
    cached_ = {path, FileIdentity::of(info), std::move(snapshot), fd};
  }

 private:
  DWORD load(const std::string& path, std::shared_ptr<const StoreSnapshot>& out) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      if (errno != ENOENT) return win32ErrorFromErrno(errno, ERROR_CANTREAD);
      unpin();
      cached_ = {path, FileIdentity{}, std::make_shared<const StoreSnapshot>(), -1};
      out = cached_.snapshot;
      return ERROR_SUCCESS;
    }
    struct stat info;
    std::string text;
    DWORD result = ::fstat(fd, &info) == 0 ? ERROR_SUCCESS : ERROR_CANTREAD;
    if (result == ERROR_SUCCESS && (!S_ISREG(info.st_mode) || info.st_size > kMaxStoreSize)) {
      result = ERROR_CANTREAD;
    }
    if (result == ERROR_SUCCESS) result = readAll(fd, text);
    if (result != ERROR_SUCCESS) {
      ::close(fd);
      return result;
    }
    auto snapshot = std::make_shared<StoreSnapshot>();
    snapshot->problems = applyRegText(text, snapshot->root);
    unpin();
    cached_ = {path, FileIdentity::of(info), std::move(snapshot), fd};
    out = cached_.snapshot;
    return ERROR_SUCCESS;
  }

  void unpin() {
    if (cached_.pinnedFd >= 0) ::close(cached_.pinnedFd);
    cached_.pinnedFd = -1;
  }

  std::mutex mutex_;
  CachedVersion cached_;  // guarded by mutex_
};

// Never destroyed: handles may still be used from other libraries' static
// destructors at exit.
StoreCache& cache() {
  static StoreCache* instance = new StoreCache;
  return *instance;
}

std::string nonEmptyEnv(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string homeDirectory() {
  std::string home = nonEmptyEnv("HOME");
  if (!home.empty()) return home;
  struct passwd entry;
  struct passwd* found = nullptr;
  char buffer[4096];
  if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir) {
    return found->pw_dir;
  }
  return {};
}

}  // namespace

std::string storePath() {
  std::string path = nonEmptyEnv("VELMORA_REGISTRY");
  if (!path.empty()) return path;
  std::string config = nonEmptyEnv("XDG_CONFIG_HOME");
  // The XDG rules ignore a relative XDG_CONFIG_HOME.
  if (config.empty() || config.front() != '/') {
    const std::string home = homeDirectory();
    if (home.empty()) return {};
    config = home + "/.config";
  }
  return config + "/Velmora/registry.reg";
}

DWORD readStore(std::shared_ptr<const StoreSnapshot>& snapshot) {
  const std::string path = storePath();
  if (path.empty()) return ERROR_PATH_NOT_FOUND;
  return cache().read(path, snapshot);
}

DWORD modifyStore(const StoreChange& change) {
  std::string path = storePath();
  if (path.empty()) return ERROR_PATH_NOT_FOUND;
  // A store that is a symbolic link (a configuration kept elsewhere) is
  // replaced at its target, so that the link survives the rewrite.
  if (char* resolved = ::realpath(path.c_str(), nullptr)) {
    path = resolved;
    std::free(resolved);
  }
  DWORD result = createDirectories(parentDirectory(path));
  if (result != ERROR_SUCCESS) return result;

  FileLock lock(path + ".lock");
  if (lock.result() != ERROR_SUCCESS) return lock.result();
  std::shared_ptr<const StoreSnapshot> current;
  result = cache().read(path, current);
  if (result != ERROR_SUCCESS) return result;
  if (!current->problems.empty()) return ERROR_REGISTRY_CORRUPT;

  auto next = std::make_shared<StoreSnapshot>();
  next->root = current->root;
  bool changed = false;
  result = change(next->root, changed);
  if (result != ERROR_SUCCESS || !changed) return result;

  removeAbandonedTempFiles(path);
  int fd = -1;
  result = replaceFile(path, writeRegText(next->root, {}), &fd);
  if (result != ERROR_SUCCESS) return result;
  cache().install(path, fd, std::move(next));
  return ERROR_SUCCESS;
}

}  // namespace win::registry
