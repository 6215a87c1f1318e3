#include "win/testing/scripted_network.h"

#include "win/winerror.h"

namespace win::testing {
namespace {

NetworkEntry entry(const std::string& name, DWORD displayType, DWORD usage) {
  NetworkEntry e;
  e.displayType = displayType;
  e.usage = usage;
  e.remoteName = name;
  e.provider = "Scripted Network";
  return e;
}

}  // namespace

void ScriptedNetwork::add(const std::string& parent, NetworkEntry entry) {
  std::lock_guard<std::mutex> guard(mutex_);
  levels_[parent].push_back(std::move(entry));
}

void ScriptedNetwork::fail(const std::string& parent, DWORD error) {
  std::lock_guard<std::mutex> guard(mutex_);
  failures_[parent] = error;
}

DWORD ScriptedNetwork::enumerate(const NETRESOURCEA* parent, std::vector<NetworkEntry>& entries) {
  const std::string name = parent != nullptr && parent->lpRemoteName != nullptr ? parent->lpRemoteName : "";
  std::lock_guard<std::mutex> guard(mutex_);
  asked_.push_back(name);
  if (const auto failure = failures_.find(name); failure != failures_.end()) return failure->second;
  if (const auto level = levels_.find(name); level != levels_.end()) entries = level->second;
  return NO_ERROR;
}

std::vector<std::string> ScriptedNetwork::asked() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return asked_;
}

NetworkEntry networkEntry(const std::string& name) {
  return entry(name, RESOURCEDISPLAYTYPE_NETWORK, RESOURCEUSAGE_CONTAINER);
}
NetworkEntry domainEntry(const std::string& name) {
  return entry(name, RESOURCEDISPLAYTYPE_DOMAIN, RESOURCEUSAGE_CONTAINER);
}
NetworkEntry serverEntry(const std::string& name) {
  return entry(name, RESOURCEDISPLAYTYPE_SERVER, RESOURCEUSAGE_CONTAINER);
}
NetworkEntry shareEntry(const std::string& name) {
  return entry(name, RESOURCEDISPLAYTYPE_SHARE, RESOURCEUSAGE_CONNECTABLE);
}
NetworkEntry genericEntry(const std::string& name, bool container) {
  return entry(name, RESOURCEDISPLAYTYPE_GENERIC, container ? RESOURCEUSAGE_CONTAINER : RESOURCEUSAGE_CONNECTABLE);
}

}  // namespace win::testing
