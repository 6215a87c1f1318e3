#pragma once

// The configuration file of the sample server (IPersistFile): its groups
// with their state and items, as UTF-8 text a user can read:
//
//   Pelkor.DataSample configuration 1
//   group "Line 1" public=0 active=1 rate=1000 bias=-60 deadband=0 locale=2048 client=1
//   item "Simulation.Ramp" path="" active=1 client=7 type=0 blob=""
//
// Strings are quoted, with \\, \", \n, \r and \t escapes; a blob is
// written in hexadecimal. Empty lines and lines starting with "#" are
// ignored. Anything else makes the whole file invalid.

#include <string>
#include <string_view>
#include <vector>

#include "group_state.h"

namespace sample {

struct SavedItem {
  std::u16string itemId;
  std::u16string accessPath;
  bool active = true;
  OPCHANDLE clientHandle = 0;
  VARTYPE requestedType = VT_EMPTY;
  std::vector<BYTE> blob;
};

struct SavedGroup {
  std::u16string name;
  bool isPublic = false;
  GroupSettings settings;
  std::vector<SavedItem> items;
};

struct Configuration {
  std::vector<SavedGroup> groups;
};

std::string formatConfiguration(const Configuration& configuration);

// OPC_E_INVALIDCONFIGFILE when the text is not a configuration.
HRESULT parseConfiguration(std::string_view text, Configuration& configuration);

}  // namespace sample
