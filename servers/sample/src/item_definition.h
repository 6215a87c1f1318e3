#pragma once

// What the address space knows about one item: its identity, type, rights,
// engineering units, access paths and descriptive properties, and how its
// value is produced. Definitions never change once the address space is
// built, so every thread may read them without a lock.

#include <cstdint>
#include <string>
#include <vector>

#include "opc/types.h"
#include "variant.h"

namespace sample {

// How the simulation produces an item's value (None: the value changes only
// when a client writes it).
enum class Simulation : uint8_t {
  None,
  Ramp,         // 0 to 100 in ten seconds, then again
  Sine,         // amplitude 100, period 20 seconds
  Random,       // a new integer from 0 to 1000 at every step
  Counter,      // one more at every step
  Toggle,       // flips every second
  Text,         // a word from a short list, a new one every 20 steps
  Wave,         // eight samples of a sine wave that travels along the array
  Quality,      // a new quality every 20 steps; the value is the quality word
  Temperature,  // a slow sine between the item's engineering-unit limits
};

struct EngineeringUnits {
  OPCEUTYPE type = OPC_NOENUM;
  double low = 0;   // OPC_ANALOG: the limits
  double high = 0;
  std::vector<std::u16string> states;  // OPC_ENUMERATED: the text of each value
};

inline constexpr uint32_t kNoItem = UINT32_MAX;

struct ItemDefinition {
  std::u16string id;    // fully qualified item ID
  std::u16string name;  // the leaf's name within its branch
  VARTYPE canonicalType = VT_EMPTY;
  DWORD accessRights = OPC_READABLE | OPC_WRITEABLE;
  EngineeringUnits units;
  std::u16string unitText;  // the engineering unit of an analog item ("bar")
  std::u16string description;
  std::u16string closeLabel;  // labels of a two-state item
  std::u16string openLabel;
  std::vector<std::u16string> accessPaths;
  Simulation simulation = Simulation::None;
  Variant initialValue;
  // A hidden item that carries a property of another item (see
  // IOPCItemProperties::LookupItemIDs): the owner's index and the property.
  uint32_t propertyOwner = kNoItem;
  DWORD propertyId = 0;

  bool readable() const { return (accessRights & OPC_READABLE) != 0; }
  bool writeable() const { return (accessRights & OPC_WRITEABLE) != 0; }
  bool browsable() const { return propertyOwner == kNoItem; }
  bool analog() const { return units.type == OPC_ANALOG && units.high > units.low; }
};

}  // namespace sample

namespace sample {

// The item's engineering-unit information as OPCITEMATTRIBUTES carries it:
// for OPC_ANALOG the low and high limit as a VT_ARRAY | VT_R8 of two; for
// OPC_ENUMERATED the state texts as a VT_ARRAY | VT_BSTR; otherwise
// VT_EMPTY. Throws std::bad_alloc.
Variant engineeringUnitInfo(const ItemDefinition& item);

}  // namespace sample
