#pragma once

// The seam behind the network enumeration (win/network.h): where the
// entries of each level come from. The process starts with the DNS service
// discovery provider (Avahi); tests install a scripted one.

#include <memory>
#include <string>
#include <vector>

#include "win/export.h"
#include "win/network.h"

namespace win {

struct NetworkEntry {
  DWORD displayType = RESOURCEDISPLAYTYPE_GENERIC;
  DWORD usage = 0;  // RESOURCEUSAGE_CONTAINER for entries that hold others
  DWORD type = RESOURCETYPE_ANY;
  std::string remoteName;  // empty: the entry has no name of its own
  std::string comment;
  std::string provider;
};

class WIN_API NetworkProvider {
 public:
  virtual ~NetworkProvider();
  // The entries directly under parent (null: the top of the network), or
  // an error such as ERROR_NO_NETWORK when the level cannot be read. Called
  // on the thread that opens the enumeration; it may take a while.
  virtual DWORD enumerate(const NETRESOURCEA* parent, std::vector<NetworkEntry>& entries) = 0;
};

// Installs the provider for the whole process and returns the one it
// replaces; null restores the DNS service discovery provider. Open
// enumerations keep what they read.
WIN_API std::shared_ptr<NetworkProvider> setNetworkProvider(std::shared_ptr<NetworkProvider> provider);

}  // namespace win
