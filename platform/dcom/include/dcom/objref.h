#pragma once

// OBJREF: a marshalled interface pointer, the bytes inside an
// MInterfacePointer. Packed little-endian, no NDR alignment:
//   signature "MEOW" · flags (exactly one kind) · iid · the kind's body.
// STDOBJREF names the exporter (OXID), the object (OID) and the interface
// (IPID) with the references handed over; the custom form carries a class
// and opaque data (the activation properties travel that way).

#include <optional>
#include <span>
#include <vector>

#include "dcom/dual_string_array.h"
#include "dcom/ids.h"
#include "ndr/ole.h"

namespace dcom {

inline constexpr std::uint32_t kObjRefSignature = 0x574F454D;  // "MEOW"

enum ObjRefKind : std::uint32_t {
  kObjRefStandard = 0x1,
  kObjRefHandler = 0x2,
  kObjRefCustom = 0x4,
  kObjRefExtended = 0x8,
};

// STDOBJREF flags: an object marked so is not pinged and never expires.
inline constexpr std::uint32_t kSorfNoPing = 0x1000;

struct StdObjRef {
  std::uint32_t flags = 0;
  std::uint32_t publicRefs = 0;
  Oxid oxid = 0;
  Oid oid = 0;
  Ipid ipid{};
};
// Packed, 40 bytes (as inside an OBJREF).
void walkPacked(ndr::Encoder& w, StdObjRef& std);
void walkPacked(ndr::Decoder& w, StdObjRef& std);
// NDR, aligned to 8 (as inside a REMQIRESULT).
template <class W>
void walk(W& w, StdObjRef& s) {
  w.align(8);
  w.u32(s.flags);
  w.u32(s.publicRefs);
  w.u64(s.oxid);
  w.u64(s.oid);
  w.item(s.ipid);
}

// An extended OBJREF's data element.
struct ObjRefDataElement {
  GUID id{};
  std::vector<std::uint8_t> data;  // cbSize bytes; sent padded to cbRounded
};

struct ObjRef {
  std::uint32_t kind = kObjRefStandard;
  IID iid{};
  // Standard, handler, extended.
  StdObjRef std;
  DualStringArray resolverAddress;
  // Handler, custom.
  CLSID clsid{};
  // Custom.
  std::uint32_t extensionSize = 0;  // cbExtension; ignored when read
  std::uint32_t reserved = 0;       // any value when read
  std::vector<std::uint8_t> objectData;
  // Extended.
  std::vector<ObjRefDataElement> elements;
};

// Reads an OBJREF from exactly the bytes of an MInterfacePointer. Bytes after
// a standard or handler OBJREF's bindings are ignored; a custom OBJREF's data
// runs to the end. nullopt (RPC_E_INVALID_OBJREF) for a wrong signature, not
// exactly one kind, a NULL iid or data that end early.
std::optional<ObjRef> decodeObjRef(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> encodeObjRef(const ObjRef& ref);

}  // namespace dcom
