#pragma once

// A network for tests, behind the same seam as the real one: each level's
// entries (or its failure) are given by the name of the container they are
// under, "" for the top. The provider notes which levels were asked.
//
//   auto network = std::make_shared<ScriptedNetwork>();
//   network->add("", networkEntry("Plant Network"));
//   network->add("Plant Network", domainEntry("PLANT"));
//   network->add("PLANT", serverEntry("\\\\PLC-7"));
//   ScopedNetworkProvider installed(network);

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "win/network_provider.h"

namespace win::testing {

class ScriptedNetwork : public NetworkProvider {
 public:
  void add(const std::string& parent, NetworkEntry entry);
  void fail(const std::string& parent, DWORD error);
  DWORD enumerate(const NETRESOURCEA* parent, std::vector<NetworkEntry>& entries) override;
  // The containers asked for, in order ("" for the top).
  std::vector<std::string> asked() const;

 private:
  mutable std::mutex mutex_;  // guards everything below
  std::map<std::string, std::vector<NetworkEntry>> levels_;
  std::map<std::string, DWORD> failures_;
  std::vector<std::string> asked_;
};

// Entries of each kind: containers except for shares and generic entries.
NetworkEntry networkEntry(const std::string& name);
NetworkEntry domainEntry(const std::string& name);
NetworkEntry serverEntry(const std::string& name);
NetworkEntry shareEntry(const std::string& name);
NetworkEntry genericEntry(const std::string& name, bool container = false);

// Installs a provider while it lives, then restores the one before.
class ScopedNetworkProvider {
 public:
  explicit ScopedNetworkProvider(std::shared_ptr<NetworkProvider> provider)
      : previous_(setNetworkProvider(std::move(provider))) {}
  ~ScopedNetworkProvider() { setNetworkProvider(previous_); }
  ScopedNetworkProvider(const ScopedNetworkProvider&) = delete;
  ScopedNetworkProvider& operator=(const ScopedNetworkProvider&) = delete;

 private:
  std::shared_ptr<NetworkProvider> previous_;
};

}  // namespace win::testing
