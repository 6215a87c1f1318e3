#include "registered_classes.h"

#include "win/registry.h"
#include "win/winerror.h"

namespace serverlist {
namespace {

// An open registry key that closes itself.
class Key {
 public:
  Key(HKEY parent, const std::string& name, REGSAM rights) {
    if (RegOpenKeyExA(parent, name.c_str(), 0, rights, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  explicit operator bool() const { return key_ != nullptr; }
  HKEY get() const { return key_; }

  std::vector<std::string> subkeys() const {
    std::vector<std::string> names;
    char name[256];
    for (DWORD index = 0; RegEnumKeyA(key_, index, name, sizeof(name)) == ERROR_SUCCESS; ++index) {
      names.emplace_back(name);
    }
    return names;
  }

  // The default value of a subkey ("" for the key itself).
  std::optional<std::string> defaultValue(const char* subkey = "") const {
    LONG size = 0;
    if (RegQueryValueA(key_, subkey, nullptr, &size) != ERROR_SUCCESS || size <= 0) return std::nullopt;
    std::string value(static_cast<size_t>(size), '\0');
    if (RegQueryValueA(key_, subkey, value.data(), &size) != ERROR_SUCCESS) return std::nullopt;
    value.resize(value.find('\0') == std::string::npos ? value.size() : value.find('\0'));
    return value;
  }

 private:
  HKEY key_ = nullptr;
};

std::optional<GUID> parseGuid(const std::string& text) {
  if (text.size() != 38) return std::nullopt;
  OLECHAR wide[39];
  for (size_t i = 0; i < text.size(); ++i) wide[i] = static_cast<unsigned char>(text[i]);
  wide[38] = 0;
  GUID guid;
  if (FAILED(CLSIDFromString(wide, &guid))) return std::nullopt;
  return guid;
}

std::string textOf(REFGUID guid) {
  OLECHAR wide[39];
  StringFromGUID2(guid, wide, 39);
  return std::string(wide, wide + 38);
}

std::vector<CATID> categories(const Key& classKey, const char* kind) {
  std::vector<CATID> found;
  Key key(classKey.get(), kind, KEY_ENUMERATE_SUB_KEYS);
  if (!key) return found;
  for (const auto& name : key.subkeys()) {
    if (auto category = parseGuid(name)) found.push_back(*category);
  }
  return found;
}

bool hasOpcMark(const std::optional<std::string>& progId) {
  if (!progId || progId->empty()) return false;
  Key mark(HKEY_CLASSES_ROOT, *progId + "\\OPC", KEY_QUERY_VALUE);
  return static_cast<bool>(mark);
}

}  // namespace

std::vector<RegisteredClass> registeredClasses() {
  std::vector<RegisteredClass> classes;
  Key root(HKEY_CLASSES_ROOT, "CLSID", KEY_ENUMERATE_SUB_KEYS);
  if (!root) return classes;
  for (const auto& name : root.subkeys()) {
    auto clsid = parseGuid(name);
    if (!clsid) continue;
    Key classKey(root.get(), name, KEY_READ);
    if (!classKey) continue;
    RegisteredClass entry;
    entry.clsid = *clsid;
    entry.implemented = categories(classKey, "Implemented Categories");
    entry.required = categories(classKey, "Required Categories");
    entry.hasOpcMark = hasOpcMark(classKey.defaultValue("VersionIndependentProgID")) ||
                       hasOpcMark(classKey.defaultValue("ProgID"));
    classes.push_back(std::move(entry));
  }
  return classes;
}

std::optional<ClassDetails> classDetails(REFCLSID clsid) {
  Key classKey(HKEY_CLASSES_ROOT, "CLSID\\" + textOf(clsid), KEY_READ);
  if (!classKey) return std::nullopt;
  ClassDetails details;
  details.description = classKey.defaultValue().value_or("");
  details.independentProgId = classKey.defaultValue("VersionIndependentProgID").value_or("");
  details.versionedProgId = classKey.defaultValue("ProgID").value_or("");
  details.progId = details.independentProgId.empty() ? details.versionedProgId : details.independentProgId;
  return details;
}

}  // namespace serverlist
