#pragma once

// What the registry (HKEY_CLASSES_ROOT) says about the classes of this
// machine: their identifiers, the categories they implement and require,
// their ProgIDs and description, and whether they carry the "OPC" mark of
// OPC Data Access 1.0 registration (a subkey "OPC" of their ProgID's key).

#include <optional>
#include <string>
#include <vector>

#include "com/guid.h"

namespace serverlist {

struct RegisteredClass {
  CLSID clsid = GUID_NULL;
  std::vector<CATID> implemented;
  std::vector<CATID> required;
  bool hasOpcMark = false;
};

// Every class under CLSID whose key name is a class identifier, in the
// registry's order.
std::vector<RegisteredClass> registeredClasses();

struct ClassDetails {
  std::string progId;  // the version-independent ProgID when there is one
  std::string description;
  std::string versionedProgId;     // the ProgID value itself ("" when none)
  std::string independentProgId;   // the VersionIndependentProgID ("" when none)
};

// Nothing when the class is not registered.
std::optional<ClassDetails> classDetails(REFCLSID clsid);

}  // namespace serverlist
