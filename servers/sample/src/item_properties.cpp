#include "item_properties.h"

#include "clock.h"
#include "opc/opcerror.h"
#include "opc/properties.h"

namespace sample {
namespace {

const char16_t* simulationName(Simulation simulation) {
  switch (simulation) {
    case Simulation::Ramp:
      return u"Ramp";
    case Simulation::Sine:
      return u"Sine";
    case Simulation::Random:
      return u"Random";
    case Simulation::Counter:
      return u"Counter";
    case Simulation::Toggle:
      return u"Toggle";
    case Simulation::Text:
      return u"Text";
    case Simulation::Wave:
      return u"Wave";
    case Simulation::Quality:
      return u"Quality";
    case Simulation::Temperature:
      return u"Temperature";
    case Simulation::None:
      break;
  }
  return u"";
}

// The name under which an analog property is an item of its own.
const char16_t* propertyItemName(DWORD id) {
  switch (id) {
    case OPC_PROP_UNIT:
      return u"EngineeringUnits";
    case OPC_PROP_HIEU:
      return u"HighEU";
    case OPC_PROP_LOEU:
      return u"LowEU";
    case OPC_PROP_HIRANGE:
      return u"HighIR";
    case OPC_PROP_LORANGE:
      return u"LowIR";
    default:
      return nullptr;
  }
}

bool hasProperty(const ItemDefinition& item, DWORD id) {
  for (const auto& property : availableProperties(item)) {
    if (property.id == id) return true;
  }
  return false;
}

}  // namespace

std::vector<PropertyInfo> availableProperties(const ItemDefinition& item) {
  std::vector<PropertyInfo> properties = {
      {OPC_PROP_CDT, OPC_PROPERTY_DESC_DATATYPE, VT_I2},
      {OPC_PROP_VALUE, OPC_PROPERTY_DESC_VALUE, item.canonicalType},
      {OPC_PROP_QUALITY, OPC_PROPERTY_DESC_QUALITY, VT_I2},
      {OPC_PROP_TIME, OPC_PROPERTY_DESC_TIMESTAMP, VT_DATE},
      {OPC_PROP_RIGHTS, OPC_PROPERTY_DESC_ACCESS_RIGHTS, VT_I4},
      {OPC_PROP_SCANRATE, OPC_PROPERTY_DESC_SCAN_RATE, VT_R4},
      {OPC_PROP_EUTYPE, OPC_PROPERTY_DESC_EU_TYPE, VT_I4},
  };
  if (item.units.type == OPC_ENUMERATED) properties.push_back({OPC_PROP_EUINFO, OPC_PROPERTY_DESC_EU_INFO, VT_ARRAY | VT_BSTR});
  if (item.analog()) properties.push_back({OPC_PROP_UNIT, OPC_PROPERTY_DESC_EU_UNITS, VT_BSTR});
  properties.push_back({OPC_PROP_DESC, OPC_PROPERTY_DESC_DESCRIPTION, VT_BSTR});
  if (item.analog()) {
    properties.push_back({OPC_PROP_HIEU, OPC_PROPERTY_DESC_HIGH_EU, VT_R8});
    properties.push_back({OPC_PROP_LOEU, OPC_PROPERTY_DESC_LOW_EU, VT_R8});
    properties.push_back({OPC_PROP_HIRANGE, OPC_PROPERTY_DESC_HIGH_IR, VT_R8});
    properties.push_back({OPC_PROP_LORANGE, OPC_PROPERTY_DESC_LOW_IR, VT_R8});
  }
  if (!item.closeLabel.empty()) {
    properties.push_back({OPC_PROP_CLOSE, OPC_PROPERTY_DESC_CLOSE_LABEL, VT_BSTR});
    properties.push_back({OPC_PROP_OPEN, OPC_PROPERTY_DESC_OPEN_LABEL, VT_BSTR});
  }
  if (item.simulation != Simulation::None) properties.push_back({kPropertySimulation, u"Simulation Kind", VT_BSTR});
  return properties;
}

HRESULT propertyValue(const ItemDefinition& item, const Sample& sample, DWORD id, DWORD scanRate, Variant& value) {
  if (!hasProperty(item, id)) return OPC_E_INVALID_PID;
  const double margin = (item.units.high - item.units.low) / 10;
  switch (id) {
    case OPC_PROP_CDT:
      value = makeI2(static_cast<SHORT>(item.canonicalType));
      return S_OK;
    case OPC_PROP_VALUE:
      if (!item.readable()) return OPC_E_BADRIGHTS;
      value = sample.value;
      return S_OK;
    case OPC_PROP_QUALITY:
      value = makeI2(static_cast<SHORT>(sample.quality));
      return S_OK;
    case OPC_PROP_TIME:
      value = makeDate(toOleDate(sample.timeStamp));
      return S_OK;
    case OPC_PROP_RIGHTS:
      value = makeI4(static_cast<LONG>(item.accessRights));
      return S_OK;
    case OPC_PROP_SCANRATE:
      value = makeR4(static_cast<FLOAT>(scanRate));
      return S_OK;
    case OPC_PROP_EUTYPE:
      value = makeI4(static_cast<LONG>(item.units.type));
      return S_OK;
    case OPC_PROP_EUINFO:
      value = engineeringUnitInfo(item);
      return S_OK;
    case OPC_PROP_UNIT:
      value = makeString(item.unitText);
      return S_OK;
    case OPC_PROP_DESC:
      value = makeString(item.description);
      return S_OK;
    case OPC_PROP_HIEU:
      value = makeR8(item.units.high);
      return S_OK;
    case OPC_PROP_LOEU:
      value = makeR8(item.units.low);
      return S_OK;
    case OPC_PROP_HIRANGE:
      value = makeR8(item.units.high + margin);
      return S_OK;
    case OPC_PROP_LORANGE:
      value = makeR8(item.units.low - margin);
      return S_OK;
    case OPC_PROP_CLOSE:
      value = makeString(item.closeLabel);
      return S_OK;
    case OPC_PROP_OPEN:
      value = makeString(item.openLabel);
      return S_OK;
    case kPropertySimulation:
      value = makeString(simulationName(item.simulation));
      return S_OK;
    default:
      return OPC_E_INVALID_PID;
  }
}

HRESULT propertyItemId(const AddressSpace& space, uint32_t item, DWORD id, std::u16string& itemId) {
  const ItemDefinition& definition = space.item(item);
  if (!hasProperty(definition, id)) return OPC_E_INVALID_PID;
  const char16_t* name = propertyItemName(id);
  if (name == nullptr) return E_FAIL;
  std::u16string candidate = definition.id + kPropertySeparator + name;
  if (!space.findItem(candidate)) return E_FAIL;
  itemId = std::move(candidate);
  return S_OK;
}

}  // namespace sample
