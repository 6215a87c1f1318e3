#include "group_registry.h"

#include <string>

#include "group.h"
#include "opc/opcerror.h"

namespace sample {

OPCHANDLE GroupRegistry::reserveHandle() {
  std::lock_guard lock(mutex_);
  OPCHANDLE handle = nextHandle_++;
  if (nextHandle_ == 0) nextHandle_ = 1;
  return handle;
}

bool GroupRegistry::nameInUse(std::u16string_view name, OPCHANDLE except) const {
  for (const auto& [handle, entry] : entries_) {
    if (handle != except && entry.name == name) return true;
  }
  return false;
}

HRESULT GroupRegistry::add(std::u16string name, com::Ptr<Group> group, std::shared_ptr<GroupState> state) {
  std::lock_guard lock(mutex_);
  if (name.empty()) {
    do {
      name = u"Group";
      for (char c : std::to_string(++generatedNames_)) name.push_back(static_cast<char16_t>(c));
    } while (nameInUse(name, 0));
  } else if (nameInUse(name, 0)) {
    return OPC_E_DUPLICATENAME;
  }
  const OPCHANDLE handle = state->serverHandle;
  entries_.emplace(handle, GroupEntry{handle, std::move(name), std::move(group), std::move(state)});
  return S_OK;
}

HRESULT GroupRegistry::rename(OPCHANDLE handle, std::u16string_view name) {
  if (name.empty()) return E_INVALIDARG;
  std::lock_guard lock(mutex_);
  auto found = entries_.find(handle);
  if (found == entries_.end()) return E_FAIL;
  if (nameInUse(name, handle)) return OPC_E_DUPLICATENAME;
  found->second.name = name;
  return S_OK;
}

std::optional<std::u16string> GroupRegistry::nameOf(OPCHANDLE handle) const {
  std::lock_guard lock(mutex_);
  auto found = entries_.find(handle);
  if (found == entries_.end()) return std::nullopt;
  return found->second.name;
}

std::optional<GroupEntry> GroupRegistry::find(OPCHANDLE handle) const {
  std::lock_guard lock(mutex_);
  auto found = entries_.find(handle);
  if (found == entries_.end()) return std::nullopt;
  return found->second;
}

std::optional<GroupEntry> GroupRegistry::findByName(std::u16string_view name, GroupScope scope) const {
  std::lock_guard lock(mutex_);
  for (const auto& [handle, entry] : entries_) {
    if (entry.name == name && inScope(*entry.state, scope)) return entry;
  }
  return std::nullopt;
}

std::optional<GroupEntry> GroupRegistry::take(OPCHANDLE handle) {
  std::lock_guard lock(mutex_);
  auto found = entries_.find(handle);
  if (found == entries_.end()) return std::nullopt;
  GroupEntry entry = std::move(found->second);
  entries_.erase(found);
  return entry;
}

std::vector<GroupEntry> GroupRegistry::takeAll() {
  std::vector<GroupEntry> all;
  std::lock_guard lock(mutex_);
  all.reserve(entries_.size());
  for (auto& [handle, entry] : entries_) all.push_back(std::move(entry));
  entries_.clear();
  return all;
}

std::vector<GroupEntry> GroupRegistry::list(GroupScope scope) const {
  std::vector<GroupEntry> all;
  std::lock_guard lock(mutex_);
  for (const auto& [handle, entry] : entries_) {
    if (inScope(*entry.state, scope)) all.push_back(entry);
  }
  return all;
}

std::vector<std::shared_ptr<GroupState>> GroupRegistry::states() const {
  std::vector<std::shared_ptr<GroupState>> all;
  std::lock_guard lock(mutex_);
  all.reserve(entries_.size());
  for (const auto& [handle, entry] : entries_) all.push_back(entry.state);
  return all;
}

size_t GroupRegistry::size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

}  // namespace sample
