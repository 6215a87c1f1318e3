// The layout of the sample address space. Each branch shows one aspect of
// an OPC server that a client should be able to handle: simulated values
// that change on their own, static items of every value type, access
// rights, access paths, engineering units, and a branch of many items for
// measuring.

#include <string>

#include "address_space.h"
#include "opc/properties.h"
#include "opc/quality.h"

namespace sample {
namespace {

ItemDefinition item(std::u16string_view name, VARTYPE type, DWORD rights, Variant value,
                    std::u16string_view description) {
  ItemDefinition definition;
  definition.name = name;
  definition.canonicalType = type;
  definition.accessRights = rights;
  definition.initialValue = std::move(value);
  definition.description = description;
  return definition;
}

ItemDefinition simulated(std::u16string_view name, VARTYPE type, Simulation simulation, Variant value,
                         std::u16string_view description) {
  ItemDefinition definition = item(name, type, OPC_READABLE, std::move(value), description);
  definition.simulation = simulation;
  return definition;
}

ItemDefinition analog(ItemDefinition definition, double low, double high, std::u16string_view unit) {
  definition.units.type = OPC_ANALOG;
  definition.units.low = low;
  definition.units.high = high;
  definition.unitText = unit;
  return definition;
}

ItemDefinition enumerated(ItemDefinition definition, std::initializer_list<std::u16string_view> states) {
  definition.units.type = OPC_ENUMERATED;
  for (auto state : states) definition.units.states.emplace_back(state);
  return definition;
}

ItemDefinition twoState(ItemDefinition definition, std::u16string_view close, std::u16string_view open) {
  definition.closeLabel = close;
  definition.openLabel = open;
  return definition;
}

ItemDefinition withPaths(ItemDefinition definition, std::initializer_list<std::u16string_view> paths) {
  for (auto path : paths) definition.accessPaths.emplace_back(path);
  return definition;
}

constexpr DWORD kRead = OPC_READABLE;
constexpr DWORD kWrite = OPC_WRITEABLE;
constexpr DWORD kReadWrite = OPC_READABLE | OPC_WRITEABLE;

void addSimulation(AddressSpace& space) {
  const uint32_t branch = space.addBranch(AddressSpace::kRoot, u"Simulation");
  space.addItem(branch, simulated(u"Ramp", VT_R8, Simulation::Ramp, makeR8(0), u"Rises from 0 to 100 in ten seconds"));
  space.addItem(branch, analog(simulated(u"Sine", VT_R8, Simulation::Sine, makeR8(0),
                                         u"Sine wave, amplitude 100, period 20 seconds"),
                               -100, 100, u""));
  space.addItem(branch, simulated(u"Random", VT_I4, Simulation::Random, makeI4(0), u"Random integer from 0 to 1000"));
  space.addItem(branch, simulated(u"Counter", VT_UI4, Simulation::Counter, makeUI4(0),
                                  u"Counts the simulation steps"));
  space.addItem(branch, twoState(simulated(u"Toggle", VT_BOOL, Simulation::Toggle, makeBool(false),
                                           u"Changes state every second"),
                                 u"On", u"Off"));
  space.addItem(branch, simulated(u"Text", VT_BSTR, Simulation::Text, makeString(u"Alpha"),
                                  u"A new word every two seconds"));
  space.addItem(branch, simulated(u"Wave", VT_ARRAY | VT_R4, Simulation::Wave,
                                  makeR4Array({0, 0, 0, 0, 0, 0, 0, 0}), u"Eight samples of a travelling sine wave"));
  space.addItem(branch, simulated(u"Quality", VT_I4, Simulation::Quality, makeI4(OPC_QUALITY_GOOD),
                                  u"Cycles through qualities; the value is the quality word"));
}

void addStatic(AddressSpace& space) {
  const uint32_t branch = space.addBranch(AddressSpace::kRoot, u"Static");
  // One read/write item per scalar value type, named after the type.
  space.addItem(branch, item(u"I1", VT_I1, kReadWrite, makeI1(-12), u"Static 1-byte signed integer"));
  space.addItem(branch, item(u"I2", VT_I2, kReadWrite, makeI2(-1234), u"Static 2-byte signed integer"));
  space.addItem(branch, item(u"I4", VT_I4, kReadWrite, makeI4(-123456), u"Static 4-byte signed integer"));
  space.addItem(branch, item(u"R4", VT_R4, kReadWrite, makeR4(1.5f), u"Static 4-byte real"));
  space.addItem(branch, item(u"R8", VT_R8, kReadWrite, makeR8(3.25), u"Static 8-byte real"));
  space.addItem(branch, item(u"UI1", VT_UI1, kReadWrite, makeUI1(200), u"Static 1-byte unsigned integer"));
  space.addItem(branch, item(u"UI2", VT_UI2, kReadWrite, makeUI2(60000), u"Static 2-byte unsigned integer"));
  space.addItem(branch, item(u"UI4", VT_UI4, kReadWrite, makeUI4(4000000000u), u"Static 4-byte unsigned integer"));
  space.addItem(branch, item(u"INT", VT_INT, kReadWrite, makeInt(-42), u"Static machine integer"));
  space.addItem(branch, item(u"UINT", VT_UINT, kReadWrite, makeUint(42), u"Static machine unsigned integer"));
  space.addItem(branch, twoState(item(u"BOOL", VT_BOOL, kReadWrite, makeBool(true), u"Static boolean"),
                                 u"Closed", u"Open"));
  space.addItem(branch, item(u"CY", VT_CY, kReadWrite, makeCurrency(123456789), u"Static currency (12345.6789)"));
  // 1 January 2000, noon.
  space.addItem(branch, item(u"DATE", VT_DATE, kReadWrite, makeDate(36526.5), u"Static date"));
  space.addItem(branch, item(u"BSTR", VT_BSTR, kReadWrite, makeString(u"Hello OPC"), u"Static string"));
  space.addItem(branch, item(u"ERROR", VT_ERROR, kReadWrite, makeError(E_FAIL), u"Static error code"));
  space.addItem(branch, item(u"DECIMAL", VT_DECIMAL, kReadWrite, makeDecimal(1234567, 3),
                             u"Static decimal (1234.567)"));

  const uint32_t arrays = space.addBranch(branch, u"Arrays");
  space.addItem(arrays, item(u"Real4Array", VT_ARRAY | VT_R4, kReadWrite, makeR4Array({1.5f, 2.5f, 3.5f}),
                             u"Array of 4-byte reals"));
  space.addItem(arrays, item(u"StringArray", VT_ARRAY | VT_BSTR, kReadWrite,
                             makeStringArray({u"alpha", u"beta", u"gamma"}), u"Array of strings"));
  space.addItem(arrays, item(u"VariantArray", VT_ARRAY | VT_VARIANT, kReadWrite,
                             makeVariantArray({makeI4(42), makeString(u"text"), makeR8(2.5), makeBool(true)}),
                             u"Array of values of mixed types"));
}

void addAccess(AddressSpace& space) {
  const uint32_t branch = space.addBranch(AddressSpace::kRoot, u"Access");
  space.addItem(branch, item(u"ReadOnly", VT_I4, kRead, makeI4(1234), u"Can be read, not written"));
  space.addItem(branch, item(u"WriteOnly", VT_I4, kWrite, makeI4(0), u"Can be written, not read"));
}

void addPaths(AddressSpace& space) {
  const uint32_t branch = space.addBranch(AddressSpace::kRoot, u"Paths");
  space.addItem(branch, withPaths(item(u"Level", VT_R8, kReadWrite, makeR8(2.75), u"Tank level, on two lines"),
                                  {u"Line1", u"Line2"}));
  space.addItem(branch, withPaths(item(u"Flow", VT_R8, kReadWrite, makeR8(12.5), u"Flow, on three lines"),
                                  {u"Line1", u"Line2", u"Line3"}));
}

void addAnalog(AddressSpace& space) {
  const uint32_t branch = space.addBranch(AddressSpace::kRoot, u"Analog");
  const uint32_t temperature = space.addItem(
      branch, analog(simulated(u"Temperature", VT_R8, Simulation::Temperature, makeR8(50),
                               u"Simulated temperature, a slow sine between the limits"),
                     -50, 150, u"degC"));
  const uint32_t pressure = space.addItem(
      branch, analog(item(u"Pressure", VT_R4, kReadWrite, makeR4(5), u"Pressure set by writing"), 0, 10, u"bar"));
  // The recommended properties of analog items are items of their own too.
  for (uint32_t owner : {temperature, pressure}) {
    const ItemDefinition& definition = space.item(owner);
    const double low = definition.units.low;
    const double high = definition.units.high;
    const double margin = (high - low) / 10;
    const std::u16string unit = definition.unitText;
    space.addPropertyItem(owner, OPC_PROP_UNIT, u"EngineeringUnits", makeString(unit), VT_BSTR);
    space.addPropertyItem(owner, OPC_PROP_HIEU, u"HighEU", makeR8(high), VT_R8);
    space.addPropertyItem(owner, OPC_PROP_LOEU, u"LowEU", makeR8(low), VT_R8);
    space.addPropertyItem(owner, OPC_PROP_HIRANGE, u"HighIR", makeR8(high + margin), VT_R8);
    space.addPropertyItem(owner, OPC_PROP_LORANGE, u"LowIR", makeR8(low - margin), VT_R8);
  }
}

void addEnumerated(AddressSpace& space) {
  const uint32_t branch = space.addBranch(AddressSpace::kRoot, u"Enumerated");
  space.addItem(branch, enumerated(item(u"Valve", VT_I2, kReadWrite, makeI2(0), u"Valve state"),
                                   {u"Closed", u"Open", u"Moving", u"Fault"}));
  space.addItem(branch, enumerated(item(u"Mode", VT_I4, kReadWrite, makeI4(1), u"Operating mode"),
                                   {u"Manual", u"Automatic", u"Cascade"}));
}

void addManyItems(AddressSpace& space, uint32_t count) {
  const uint32_t branch = space.addBranch(AddressSpace::kRoot, u"ManyItems");
  for (uint32_t index = 0; index < count; ++index) {
    std::u16string name = u"Item";
    for (char c : std::to_string(index)) name.push_back(static_cast<char16_t>(c));
    space.addItem(branch, item(name, VT_I4, kReadWrite, makeI4(static_cast<LONG>(index)), u""));
  }
}

}  // namespace

std::shared_ptr<AddressSpace> buildSampleAddressSpace(uint32_t manyItemCount) {
  auto space = std::make_shared<AddressSpace>();
  addSimulation(*space);
  addStatic(*space);
  addAccess(*space);
  addPaths(*space);
  addAnalog(*space);
  addEnumerated(*space);
  addManyItems(*space, manyItemCount);
  space->finish();
  return space;
}

}  // namespace sample
