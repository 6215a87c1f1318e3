#pragma once

// The properties of the sample server's items (IOPCItemProperties). Every
// item has the properties of its value (1 to 7) and a description (101);
// enumerated items have their state texts (8), analog items their unit and
// limits (100, 102 to 105), two-state items their labels (106, 107) and
// simulated items the kind of simulation (5000). The unit and limits of an
// analog item are items of their own too, "<item ID>#<name>", which
// LookupItemIDs hands out.

#include <string>
#include <vector>

#include "address_space.h"
#include "value_store.h"

namespace sample {

inline constexpr DWORD kPropertySimulation = 5000;

struct PropertyInfo {
  DWORD id;
  const char16_t* description;
  VARTYPE type;
};

std::vector<PropertyInfo> availableProperties(const ItemDefinition& item);

// The value of one property: OPC_E_INVALID_PID when the item lacks it,
// OPC_E_BADRIGHTS for the value of an item that cannot be read.
HRESULT propertyValue(const ItemDefinition& item, const Sample& sample, DWORD id, DWORD scanRate, Variant& value);

// The ID of the item that carries a property: OPC_E_INVALID_PID when the
// item lacks the property, E_FAIL when the property has no item of its own.
HRESULT propertyItemId(const AddressSpace& space, uint32_t item, DWORD id, std::u16string& itemId);

}  // namespace sample
