#pragma once

// The in-memory form of HKEY_CLASSES_ROOT: a tree of keys, each with string
// values. Key and value names compare case-insensitively but keep the case
// they were created with. Subkeys are kept sorted by their folded name, which
// gives enumeration by index a stable order and lookups a binary search per
// path level.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace win::registry {

// Folds ASCII letters to lower case; other bytes (UTF-8 included) compare as
// they are.
std::string foldName(std::string_view name);
bool namesEqual(std::string_view a, std::string_view b);

// A string value. The empty name is the key's default value.
struct RegistryValue {
  std::string name;
  std::string data;
};

class RegistryKey {
 public:
  RegistryKey() = default;
  explicit RegistryKey(std::string_view name);

  const std::string& name() const { return name_; }
  const std::string& foldedName() const { return foldedName_; }

  const std::vector<RegistryKey>& subkeys() const { return subkeys_; }
  const RegistryKey* findSubkey(std::string_view name) const;
  RegistryKey* findSubkey(std::string_view name);
  // Returns the subkey, creating it with this spelling when missing; created
  // tells whether it was.
  RegistryKey& subkey(std::string_view name, bool* created = nullptr);
  bool removeSubkey(std::string_view name);
  void clear();

  // Values in the order they were first set; the default value, when set,
  // may sit anywhere among them.
  const std::vector<RegistryValue>& values() const { return values_; }
  const RegistryValue* findValue(std::string_view name) const;
  // Returns true when the stored data changed.
  bool setValue(std::string_view name, std::string_view data);
  bool removeValue(std::string_view name);

  // Number of keys in this subtree, this key included.
  std::size_t countKeys() const;

 private:
  std::vector<RegistryKey>::const_iterator lowerBound(std::string_view folded) const;

  std::string name_;
  std::string foldedName_;
  std::vector<RegistryValue> values_;
  std::vector<RegistryKey> subkeys_;
};

// A key path below HKEY_CLASSES_ROOT as its components; empty is the root.
using KeyPath = std::vector<std::string>;

const RegistryKey* findKey(const RegistryKey& root, const KeyPath& path);
RegistryKey* findKey(RegistryKey& root, const KeyPath& path);
// Creates every missing key along path; created tells whether any was.
RegistryKey& createKey(RegistryKey& root, const KeyPath& path, bool* created = nullptr);
// Removes the key at path with its subtree; false when it does not exist.
// The root itself cannot be removed.
bool removeKey(RegistryKey& root, const KeyPath& path);

// The longest key name the registry accepts, in bytes.
inline constexpr std::size_t kMaxKeyNameLength = 255;

// The deepest nesting the registry accepts. It also bounds the recursion of
// everything that walks a subtree.
inline constexpr std::size_t kMaxKeyDepth = 512;

enum class PathError { None, BadPath, NameTooLong, TooDeep };

// Splits a subkey text such as "CLSID\{...}\InprocServer32" into components.
// Null or empty text names the key itself. A trailing backslash is accepted;
// a leading one or an empty component ("a\\b") is BadPath; more than
// kMaxKeyDepth components is TooDeep.
PathError splitPath(const char* text, KeyPath& out);

// Whether a name can be stored in the text form: no control characters.
bool isStorableName(std::string_view name);

}  // namespace win::registry
