#include "registry/store_file.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
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
StoreCache& cache(StoreKind kind) {
  static StoreCache* instances = new StoreCache[2];
  return instances[kind == StoreKind::System ? 1 : 0];
}

// Lays over's keys and values over base's, recursively; over wins where both
// have a value of the same name.
void overlay(RegistryKey& base, const RegistryKey& over) {
  for (const RegistryValue& value : over.values()) base.setValue(value.name, value.data);
  for (const RegistryKey& subkey : over.subkeys()) overlay(base.subkey(subkey.name()), subkey);
}

// The last merged view, rebuilt only when either store's version changed.
class MergedView {
 public:
  std::shared_ptr<const StoreSnapshot> of(std::shared_ptr<const StoreSnapshot> user,
                                          std::shared_ptr<const StoreSnapshot> system, StoreKind writes) {
    std::lock_guard lock(mutex_);
    if (merged_ && user == user_ && system == system_ && writes == writes_) return merged_;
    auto merged = std::make_shared<StoreSnapshot>();
    merged->root = system->root;
    overlay(merged->root, user->root);
    merged->problems = (writes == StoreKind::System ? system : user)->problems;
    user_ = std::move(user);
    system_ = std::move(system);
    writes_ = writes;
    merged_ = std::move(merged);
    return merged_;
  }

 private:
  std::mutex mutex_;
  std::shared_ptr<const StoreSnapshot> user_;    // guarded by mutex_
  std::shared_ptr<const StoreSnapshot> system_;  // guarded by mutex_
  StoreKind writes_ = StoreKind::User;           // guarded by mutex_
  std::shared_ptr<const StoreSnapshot> merged_;  // guarded by mutex_
};

MergedView& mergedView() {
  static MergedView* instance = new MergedView;
  return *instance;
}

std::atomic<StoreKind> selectedWriteStore{StoreKind::User};

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

std::string userStorePath() {
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

// An installed library finds the machine-wide store from its own folder, so
// that an installation moved or staged elsewhere (a package being built, a
// DESTDIR) reads the store that came with it. A library in a build tree does
// not sit in the installed folder and has no machine-wide store.
std::string findInstalledSystemStore() {
#if defined(VELMORA_INSTALL_PRIVATE_LIBDIR)
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&findInstalledSystemStore), &info) == 0 || !info.dli_fname) return {};
  // The loader names a library found through a run path as the path was
  // written ("bin/../lib/velmora/..."); the real path has the folder names.
  char* real = ::realpath(info.dli_fname, nullptr);
  if (!real) return {};
  std::string folder = parentDirectory(real);
  std::free(real);
  const std::string suffix = "/" VELMORA_INSTALL_PRIVATE_LIBDIR;
  if (folder.size() <= suffix.size() || folder.compare(folder.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return {};
  }
  folder.resize(folder.size() - suffix.size());
  // An installation under a folder named usr keeps its configuration in the
  // etc folder beside it (/usr -> /etc), as the file-system layout has it;
  // any other prefix (/usr/local, /opt/velmora) in its own etc folder.
  const std::size_t slash = folder.rfind('/');
  const bool isUsr = folder.compare(slash == std::string::npos ? 0 : slash + 1, std::string::npos, "usr") == 0;
  if (isUsr) folder.resize(slash == std::string::npos ? 0 : slash);
  return folder + "/etc/velmora/registry.reg";
#else
  return {};
#endif
}

// The library does not move while it is loaded: found once.
const std::string& installedSystemStorePath() {
  static const std::string* const path = new std::string(findInstalledSystemStore());
  return *path;
}

}  // namespace

std::string storePath(StoreKind kind) {
  if (kind == StoreKind::User) return userStorePath();
  std::string path = nonEmptyEnv("VELMORA_SYSTEM_REGISTRY");
  return path.empty() ? installedSystemStorePath() : path;
}

StoreKind writeStore() { return selectedWriteStore.load(); }

void setWriteStore(StoreKind kind) { selectedWriteStore.store(kind); }

DWORD readOneStore(StoreKind kind, std::shared_ptr<const StoreSnapshot>& snapshot) {
  const std::string path = storePath(kind);
  if (path.empty()) {
    // No home folder is an error only where the writes would go.
    if (kind == writeStore()) return ERROR_PATH_NOT_FOUND;
    static const auto* const kEmpty =
        new std::shared_ptr<const StoreSnapshot>(std::make_shared<const StoreSnapshot>());
    snapshot = *kEmpty;
    return ERROR_SUCCESS;
  }
  return cache(kind).read(path, snapshot);
}

DWORD readStore(std::shared_ptr<const StoreSnapshot>& snapshot) {
  const StoreKind writes = writeStore();
  const StoreKind other = writes == StoreKind::User ? StoreKind::System : StoreKind::User;
  std::shared_ptr<const StoreSnapshot> written;
  std::shared_ptr<const StoreSnapshot> read;
  const DWORD result = readOneStore(writes, written);
  if (result != ERROR_SUCCESS) return result;
  // The store that takes no writes can be unreadable (a permission an
  // administrator set) without making the other unusable.
  if (readOneStore(other, read) != ERROR_SUCCESS) read = std::make_shared<const StoreSnapshot>();
  if (read->root.subkeys().empty() && read->root.values().empty()) {
    snapshot = std::move(written);
    return ERROR_SUCCESS;
  }
  if (writes == StoreKind::User) {
    snapshot = mergedView().of(std::move(written), std::move(read), writes);
  } else {
    snapshot = mergedView().of(std::move(read), std::move(written), writes);
  }
  return ERROR_SUCCESS;
}

DWORD modifyStore(const StoreChange& change) {
  const StoreKind kind = writeStore();
  std::string path = storePath(kind);
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
  result = cache(kind).read(path, current);
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
  cache(kind).install(path, fd, std::move(next));
  return ERROR_SUCCESS;
}

}  // namespace win::registry
