// Import, export and checking of the store (win/registry_store.h).

#include "win/registry_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/errno_map.h"
#include "common/file_io.h"
#include "registry/store_file.h"
#include "win/winerror.h"

using namespace win::registry;

namespace win {

namespace {

StoreKind kindOf(RegistryStore store) { return store == RegistryStore::System ? StoreKind::System : StoreKind::User; }

void copyProblems(const std::vector<TextProblem>& from, std::vector<RegistryProblem>* to) {
  if (!to) return;
  to->clear();
  for (const TextProblem& problem : from) to->push_back({problem.line, problem.message});
}

LONG readFile(const std::string& path, std::string& text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return static_cast<LONG>(win32ErrorFromErrno(errno, ERROR_CANTREAD));
  const DWORD result = readAll(fd, text);
  ::close(fd);
  return static_cast<LONG>(result);
}

}  // namespace

WIN_API std::string registryStorePath(RegistryStore store) { return storePath(kindOf(store)); }

WIN_API void setRegistryWriteStore(RegistryStore store) { setWriteStore(kindOf(store)); }

WIN_API RegistryStore registryWriteStore() {
  return writeStore() == StoreKind::System ? RegistryStore::System : RegistryStore::User;
}

WIN_API LONG registryKeyOrigin(const char* keyPath, RegistryKeyOrigin& origin) {
  origin = {};
  KeyPath path;
  if (splitPath(keyPath, path) != PathError::None) return ERROR_BAD_PATHNAME;
  for (const StoreKind kind : {StoreKind::User, StoreKind::System}) {
    std::shared_ptr<const StoreSnapshot> snapshot;
    if (readOneStore(kind, snapshot) != ERROR_SUCCESS) continue;
    const bool found = findKey(snapshot->root, path) != nullptr;
    (kind == StoreKind::User ? origin.user : origin.system) = found;
  }
  return origin.user || origin.system ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

WIN_API LONG importRegistryText(std::string_view text, std::vector<RegistryProblem>* problems) {
  if (problems) problems->clear();
  return static_cast<LONG>(modifyStore([&](RegistryKey& root, bool& changed) -> DWORD {
    const std::vector<TextProblem> found = applyRegText(text, root);
    if (!found.empty()) {
      copyProblems(found, problems);
      return ERROR_INVALID_DATA;
    }
    changed = true;
    return ERROR_SUCCESS;
  }));
}

WIN_API LONG importRegistryFile(const std::string& path, std::vector<RegistryProblem>* problems) {
  if (problems) problems->clear();
  std::string text;
  const LONG result = readFile(path, text);
  if (result != ERROR_SUCCESS) return result;
  return importRegistryText(text, problems);
}

WIN_API LONG exportRegistryText(const char* keyPath, std::string& text) {
  KeyPath path;
  switch (splitPath(keyPath, path)) {
    case PathError::None:
      break;
    case PathError::BadPath:
      return ERROR_BAD_PATHNAME;
    default:
      return ERROR_INVALID_PARAMETER;
  }
  std::shared_ptr<const StoreSnapshot> snapshot;
  const LONG result = static_cast<LONG>(readStore(snapshot));
  if (result != ERROR_SUCCESS) return result;
  // The section names take the keys' own spelling, not the caller's.
  const RegistryKey* key = &snapshot->root;
  for (std::string& name : path) {
    key = key->findSubkey(name);
    if (!key) return ERROR_FILE_NOT_FOUND;
    name = key->name();
  }
  text = writeRegText(*key, path);
  return ERROR_SUCCESS;
}

WIN_API LONG exportRegistryFile(const std::string& path, const char* keyPath) {
  std::string text;
  const LONG result = exportRegistryText(keyPath, text);
  if (result != ERROR_SUCCESS) return result;
  return static_cast<LONG>(replaceFile(path, text));
}

WIN_API LONG checkRegistryStore(std::vector<RegistryProblem>& problems) {
  problems.clear();
  std::shared_ptr<const StoreSnapshot> snapshot;
  const LONG result = static_cast<LONG>(readStore(snapshot));
  if (result != ERROR_SUCCESS) return result;
  copyProblems(snapshot->problems, &problems);
  return ERROR_SUCCESS;
}

}  // namespace win
