// The Reg* functions over the store file and the handle table.

#include <cstring>
#include <functional>
#include <string>

#include "registry/handle_table.h"
#include "registry/store_file.h"
#include "win/registry.h"
#include "win/winerror.h"

using namespace win::registry;

namespace {

// The longest value name the registry accepts.
constexpr std::size_t kMaxValueNameLength = 16383;

// What a call works on: the open key it starts from and the subkey path it
// names below it.
struct Target {
  KeyPath base;
  KeyPath relative;
  REGSAM access = 0;

  KeyPath fullPath() const {
    KeyPath path = base;
    path.insert(path.end(), relative.begin(), relative.end());
    return path;
  }
};

REGSAM grantedRights(REGSAM desired) {
  REGSAM access = desired;
  if (desired & (MAXIMUM_ALLOWED | GENERIC_ALL)) access |= KEY_ALL_ACCESS;
  if (desired & GENERIC_READ) access |= KEY_READ;
  if (desired & GENERIC_WRITE) access |= KEY_WRITE;
  return access;
}

LONG resolve(HKEY key, LPCSTR subKey, Target& target) {
  std::optional<OpenKey> open = findHandle(key);
  if (!open) return ERROR_INVALID_HANDLE;
  switch (splitPath(subKey, target.relative)) {
    case PathError::None:
      break;
    case PathError::BadPath:
      return ERROR_BAD_PATHNAME;
    case PathError::NameTooLong:
    case PathError::TooDeep:
      return ERROR_INVALID_PARAMETER;
  }
  if (open->path.size() + target.relative.size() > kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
  target.base = std::move(open->path);
  target.access = open->access;
  return ERROR_SUCCESS;
}

bool hasRights(const Target& target, REGSAM rights) { return (target.access & rights) == rights; }

// Finds the target in the current version of the store. The snapshot keeps
// the found key alive.
LONG readTarget(const Target& target, std::shared_ptr<const StoreSnapshot>& snapshot,
                const RegistryKey*& found) {
  const LONG result = static_cast<LONG>(readStore(snapshot));
  if (result != ERROR_SUCCESS) return result;
  const RegistryKey* base = findKey(snapshot->root, target.base);
  if (!base) return ERROR_KEY_DELETED;
  found = findKey(*base, target.relative);
  return found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

// Whether a key exists in the merged view of both stores.
bool inView(const KeyPath& path) {
  std::shared_ptr<const StoreSnapshot> snapshot;
  return readStore(snapshot) == ERROR_SUCCESS && findKey(snapshot->root, path) != nullptr;
}

// The key at path in the store that takes the writes. A key that only the
// other store has is made here on demand, so that a value set on it is kept
// in this store and laid over the other's; it is written only with a change.
RegistryKey* writableKey(RegistryKey& root, const KeyPath& path) {
  if (RegistryKey* key = findKey(root, path)) return key;
  return inView(path) ? &createKey(root, path) : nullptr;
}

// What removing the key at path from the write store answers when that
// store lacks it: the other store's keys cannot be removed from here.
DWORD missingKeyError(const KeyPath& path) { return inView(path) ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND; }

// Changes the target in the store under the writers' lock. With create the
// target's missing keys are made, which needs KEY_CREATE_SUB_KEY on the
// starting key; otherwise a missing target is ERROR_FILE_NOT_FOUND.
using KeyChange = std::function<LONG(RegistryKey& key, bool& changed)>;
LONG writeTarget(const Target& target, bool create, const KeyChange& change) {
  return static_cast<LONG>(modifyStore([&](RegistryKey& root, bool& changed) -> DWORD {
    RegistryKey* base = writableKey(root, target.base);
    if (!base) return ERROR_KEY_DELETED;
    RegistryKey* key = nullptr;
    if (create) {
      bool created = false;
      key = &createKey(*base, target.relative, &created);
      if (created && !hasRights(target, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
      changed = created;
    } else {
      key = writableKey(root, target.fullPath());
      if (!key) return ERROR_FILE_NOT_FOUND;
    }
    return static_cast<DWORD>(change(*key, changed));
  }));
}

bool storableNames(const KeyPath& path) {
  for (const std::string& name : path) {
    if (!isStorableName(name)) return false;
  }
  return true;
}

// Copies text with its terminator into a buffer of capacity bytes.
LONG copyTerminated(const std::string& text, char* out, DWORD capacity) {
  if (text.size() + 1 > capacity) return ERROR_MORE_DATA;
  std::memcpy(out, text.c_str(), text.size() + 1);
  return ERROR_SUCCESS;
}

// Data buffers: *size is the capacity on entry and the size needed,
// terminator included, on return; a null buffer asks for the size only.
LONG returnData(const std::string& text, LPBYTE data, LPDWORD size) {
  const auto needed = static_cast<DWORD>(text.size() + 1);
  if (!data) {
    if (size) *size = needed;
    return ERROR_SUCCESS;
  }
  const DWORD capacity = *size;
  *size = needed;
  return copyTerminated(text, reinterpret_cast<char*>(data), capacity);
}

LONG openKey(HKEY key, LPCSTR subKey, REGSAM desired, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Target target;
  LONG status = resolve(key, subKey, target);
  if (status != ERROR_SUCCESS) return status;
  std::shared_ptr<const StoreSnapshot> snapshot;
  const RegistryKey* found = nullptr;
  status = readTarget(target, snapshot, found);
  if (status != ERROR_SUCCESS) return status;
  *result = addHandle({target.fullPath(), grantedRights(desired)});
  return ERROR_SUCCESS;
}

}  // namespace

extern "C" {

WIN_API LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD /*options*/, REGSAM desired, PHKEY result) {
  return openKey(key, subKey, desired, result);
}

WIN_API LONG RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
  return openKey(key, subKey, MAXIMUM_ALLOWED, result);
}

WIN_API LONG RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Target target;
  LONG status = resolve(key, subKey, target);
  if (status != ERROR_SUCCESS) return status;
  if (!storableNames(target.relative)) return ERROR_INVALID_PARAMETER;
  // An existing key is opened without taking the writers' lock.
  std::shared_ptr<const StoreSnapshot> snapshot;
  const RegistryKey* found = nullptr;
  status = readTarget(target, snapshot, found);
  if (status == ERROR_FILE_NOT_FOUND) {
    status = writeTarget(target, true, [](RegistryKey&, bool&) { return ERROR_SUCCESS; });
  }
  if (status != ERROR_SUCCESS) return status;
  *result = addHandle({target.fullPath(), KEY_ALL_ACCESS});
  return ERROR_SUCCESS;
}

WIN_API LONG RegCloseKey(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return ERROR_SUCCESS;
  return closeHandle(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

WIN_API LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                           LPSTR className, LPDWORD classSize, FILETIME* lastWriteTime) {
  if (!name || !nameSize || reserved) return ERROR_INVALID_PARAMETER;
  Target target;
  LONG status = resolve(key, nullptr, target);
  if (status != ERROR_SUCCESS) return status;
  if (!hasRights(target, KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  std::shared_ptr<const StoreSnapshot> snapshot;
  const RegistryKey* found = nullptr;
  status = readTarget(target, snapshot, found);
  if (status == ERROR_FILE_NOT_FOUND) status = ERROR_KEY_DELETED;
  if (status != ERROR_SUCCESS) return status;
  if (index >= found->subkeys().size()) return ERROR_NO_MORE_ITEMS;
  const std::string& subkeyName = found->subkeys()[index].name();
  status = copyTerminated(subkeyName, name, *nameSize);
  if (status != ERROR_SUCCESS) return status;
  *nameSize = static_cast<DWORD>(subkeyName.size());
  if (className && classSize && *classSize > 0) className[0] = '\0';
  if (classSize) *classSize = 0;
  if (lastWriteTime) *lastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

WIN_API LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize) {
  DWORD size = nameSize;
  return RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
}

WIN_API LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize,
                           LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (!valueName || !valueNameSize || reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  Target target;
  LONG status = resolve(key, nullptr, target);
  if (status != ERROR_SUCCESS) return status;
  if (!hasRights(target, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  std::shared_ptr<const StoreSnapshot> snapshot;
  const RegistryKey* found = nullptr;
  status = readTarget(target, snapshot, found);
  if (status == ERROR_FILE_NOT_FOUND) status = ERROR_KEY_DELETED;
  if (status != ERROR_SUCCESS) return status;
  if (index >= found->values().size()) return ERROR_NO_MORE_ITEMS;
  const RegistryValue& value = found->values()[index];
  status = copyTerminated(value.name, valueName, *valueNameSize);
  if (status != ERROR_SUCCESS) return status;
  *valueNameSize = static_cast<DWORD>(value.name.size());
  if (type) *type = REG_SZ;
  return returnData(value.data, data, dataSize);
}

WIN_API LONG RegQueryValueA(HKEY key, LPCSTR subKey, LPSTR value, PLONG valueSize) {
  if (value && (!valueSize || *valueSize < 0)) return ERROR_INVALID_PARAMETER;
  Target target;
  LONG status = resolve(key, subKey, target);
  if (status != ERROR_SUCCESS) return status;
  if (target.relative.empty() && !hasRights(target, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  std::shared_ptr<const StoreSnapshot> snapshot;
  const RegistryKey* found = nullptr;
  status = readTarget(target, snapshot, found);
  if (status == ERROR_FILE_NOT_FOUND && target.relative.empty()) status = ERROR_KEY_DELETED;
  if (status != ERROR_SUCCESS) return status;
  static const std::string kEmpty;
  const RegistryValue* defaultValue = found->findValue("");
  DWORD size = valueSize ? static_cast<DWORD>(*valueSize) : 0;
  status = returnData(defaultValue ? defaultValue->data : kEmpty, reinterpret_cast<LPBYTE>(value),
                      valueSize ? &size : nullptr);
  if (valueSize) *valueSize = static_cast<LONG>(size);
  return status;
}

WIN_API LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                              LPBYTE data, LPDWORD dataSize) {
  if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  Target target;
  LONG status = resolve(key, nullptr, target);
  if (status != ERROR_SUCCESS) return status;
  if (!hasRights(target, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  std::shared_ptr<const StoreSnapshot> snapshot;
  const RegistryKey* found = nullptr;
  status = readTarget(target, snapshot, found);
  if (status == ERROR_FILE_NOT_FOUND) status = ERROR_KEY_DELETED;
  if (status != ERROR_SUCCESS) return status;
  const RegistryValue* value = found->findValue(valueName ? valueName : "");
  if (!value) return ERROR_FILE_NOT_FOUND;
  if (type) *type = REG_SZ;
  return returnData(value->data, data, dataSize);
}

WIN_API LONG RegSetValueA(HKEY key, LPCSTR subKey, DWORD type, LPCSTR data, DWORD /*dataSize*/) {
  if (type != REG_SZ || !data) return ERROR_INVALID_PARAMETER;
  Target target;
  const LONG status = resolve(key, subKey, target);
  if (status != ERROR_SUCCESS) return status;
  if (!storableNames(target.relative)) return ERROR_INVALID_PARAMETER;
  if (target.relative.empty() && !hasRights(target, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  const std::string text(data);
  return writeTarget(target, true, [&](RegistryKey& found, bool& changed) {
    changed = found.setValue("", text) || changed;
    return ERROR_SUCCESS;
  });
}

WIN_API LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD /*reserved*/, DWORD type,
                            const BYTE* data, DWORD dataSize) {
  if (!data && dataSize != 0) return ERROR_INVALID_PARAMETER;
  const std::string name = valueName ? valueName : "";
  if (name.size() > kMaxValueNameLength || !isStorableName(name)) return ERROR_INVALID_PARAMETER;
  if (type != REG_SZ) return ERROR_NOT_SUPPORTED;
  Target target;
  const LONG status = resolve(key, nullptr, target);
  if (status != ERROR_SUCCESS) return status;
  if (!hasRights(target, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  const char* bytes = reinterpret_cast<const char*>(data);
  const std::string text = bytes ? std::string(bytes, strnlen(bytes, dataSize)) : std::string();
  return writeTarget(target, false, [&](RegistryKey& found, bool& changed) {
    changed = found.setValue(name, text);
    return ERROR_SUCCESS;
  });
}

WIN_API LONG RegDeleteValueA(HKEY key, LPCSTR valueName) {
  Target target;
  const LONG status = resolve(key, nullptr, target);
  if (status != ERROR_SUCCESS) return status;
  if (!hasRights(target, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  const std::string name = valueName ? valueName : "";
  return writeTarget(target, false, [&](RegistryKey& found, bool& changed) -> LONG {
    changed = found.removeValue(name);
    return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

WIN_API LONG RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  Target target;
  const LONG status = resolve(key, subKey, target);
  if (status != ERROR_SUCCESS) return status;
  const KeyPath path = target.fullPath();
  if (path.empty()) return ERROR_ACCESS_DENIED;
  return static_cast<LONG>(modifyStore([&](RegistryKey& root, bool& changed) -> DWORD {
    if (!findKey(root, target.base) && !inView(target.base)) return ERROR_KEY_DELETED;
    const RegistryKey* found = findKey(root, path);
    if (!found) return missingKeyError(path);
    if (!found->subkeys().empty()) return ERROR_ACCESS_DENIED;
    changed = removeKey(root, path);
    return ERROR_SUCCESS;
  }));
}

WIN_API LONG RegDeleteTreeA(HKEY key, LPCSTR subKey) {
  Target target;
  const LONG status = resolve(key, subKey, target);
  if (status != ERROR_SUCCESS) return status;
  if (target.relative.empty()) {
    // Emptying the key the handle names: the root cannot be emptied at once.
    if (target.base.empty()) return ERROR_ACCESS_DENIED;
    if (!hasRights(target, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    return writeTarget(target, false, [](RegistryKey& found, bool& changed) -> LONG {
      changed = !found.values().empty() || !found.subkeys().empty();
      found.clear();
      return ERROR_SUCCESS;
    });
  }
  const KeyPath path = target.fullPath();
  return static_cast<LONG>(modifyStore([&](RegistryKey& root, bool& changed) -> DWORD {
    if (!findKey(root, target.base) && !inView(target.base)) return ERROR_KEY_DELETED;
    changed = removeKey(root, path);
    return changed ? ERROR_SUCCESS : missingKeyError(path);
  }));
}

}  // extern "C"
