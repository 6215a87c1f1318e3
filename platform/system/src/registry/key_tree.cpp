#include "registry/key_tree.h"

#include <algorithm>
#include <utility>

namespace win::registry {

namespace {

char foldChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string foldName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = foldChar(c);
  return folded;
}

bool namesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (foldChar(a[i]) != foldChar(b[i])) return false;
  }
  return true;
}

RegistryKey::RegistryKey(std::string_view name) : name_(name), foldedName_(foldName(name)) {}

std::vector<RegistryKey>::const_iterator RegistryKey::lowerBound(std::string_view folded) const {
  return std::lower_bound(subkeys_.begin(), subkeys_.end(), folded,
                          [](const RegistryKey& key, std::string_view f) { return key.foldedName_ < f; });
}

const RegistryKey* RegistryKey::findSubkey(std::string_view name) const {
  const std::string folded = foldName(name);
  auto it = lowerBound(folded);
  return (it != subkeys_.end() && it->foldedName_ == folded) ? &*it : nullptr;
}

RegistryKey* RegistryKey::findSubkey(std::string_view name) {
  return const_cast<RegistryKey*>(std::as_const(*this).findSubkey(name));
}

RegistryKey& RegistryKey::subkey(std::string_view name, bool* created) {
  std::string folded = foldName(name);
  // Files are written in sorted order, so reading one appends at the end:
  // check that case first to keep loading linear.
  if (subkeys_.empty() || subkeys_.back().foldedName_ < folded) {
    if (created) *created = true;
    return subkeys_.emplace_back(name);
  }
  auto it = subkeys_.begin() + (lowerBound(folded) - subkeys_.cbegin());
  if (it != subkeys_.end() && it->foldedName_ == folded) {
    if (created) *created = false;
    return *it;
  }
  if (created) *created = true;
  return *subkeys_.emplace(it, name);
}

bool RegistryKey::removeSubkey(std::string_view name) {
  const std::string folded = foldName(name);
  auto it = lowerBound(folded);
  if (it == subkeys_.end() || it->foldedName_ != folded) return false;
  subkeys_.erase(it);
  return true;
}

void RegistryKey::clear() {
  values_.clear();
  subkeys_.clear();
}

const RegistryValue* RegistryKey::findValue(std::string_view name) const {
  for (const RegistryValue& value : values_) {
    if (namesEqual(value.name, name)) return &value;
  }
  return nullptr;
}

bool RegistryKey::setValue(std::string_view name, std::string_view data) {
  for (RegistryValue& value : values_) {
    if (namesEqual(value.name, name)) {
      if (value.data == data) return false;
      value.data = data;
      return true;
    }
  }
  values_.push_back({std::string(name), std::string(data)});
  return true;
}

bool RegistryKey::removeValue(std::string_view name) {
  auto it = std::find_if(values_.begin(), values_.end(),
                         [&](const RegistryValue& value) { return namesEqual(value.name, name); });
  if (it == values_.end()) return false;
  values_.erase(it);
  return true;
}

std::size_t RegistryKey::countKeys() const {
  std::size_t count = 1;
  for (const RegistryKey& key : subkeys_) count += key.countKeys();
  return count;
}

const RegistryKey* findKey(const RegistryKey& root, const KeyPath& path) {
  const RegistryKey* key = &root;
  for (const std::string& name : path) {
    key = key->findSubkey(name);
    if (!key) return nullptr;
  }
  return key;
}

RegistryKey* findKey(RegistryKey& root, const KeyPath& path) {
  return const_cast<RegistryKey*>(findKey(std::as_const(root), path));
}

RegistryKey& createKey(RegistryKey& root, const KeyPath& path, bool* created) {
  RegistryKey* key = &root;
  bool any = false;
  for (const std::string& name : path) {
    bool made = false;
    key = &key->subkey(name, &made);
    any = any || made;
  }
  if (created) *created = any;
  return *key;
}

bool removeKey(RegistryKey& root, const KeyPath& path) {
  if (path.empty()) return false;
  KeyPath parentPath(path.begin(), path.end() - 1);
  RegistryKey* parent = findKey(root, parentPath);
  return parent && parent->removeSubkey(path.back());
}

PathError splitPath(const char* text, KeyPath& out) {
  out.clear();
  if (!text) return PathError::None;
  std::string_view rest(text);
  while (!rest.empty()) {
    const std::size_t cut = rest.find('\\');
    std::string_view name = rest.substr(0, cut);
    if (name.empty()) return PathError::BadPath;
    if (name.size() > kMaxKeyNameLength) return PathError::NameTooLong;
    if (out.size() == kMaxKeyDepth) return PathError::TooDeep;
    out.emplace_back(name);
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  return PathError::None;
}

bool isStorableName(std::string_view name) {
  return std::none_of(name.begin(), name.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

}  // namespace win::registry
