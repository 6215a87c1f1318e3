#pragma once

// The OLE Automation types as they travel in NDR, converted to and from the
// COM stand-in's own values:
//
//  - VARIANT: a unique pointer to a wireVARIANT (clSize, vt, a tagged arm).
//  - BSTR: a unique pointer to a FLAGGED_WORD_BLOB (byte count, word count,
//    the words, no terminator); a NULL BSTR is a blob of 0xFFFFFFFF bytes.
//  - SAFEARRAY: cDims, features, element size, the element type in the high
//    word of cLocks, a union of element arrays by kind, and the bounds (last
//    dimension first, as COM keeps them in memory).
//  - CY (8 bytes), DATE (a double), DECIMAL (16 bytes), FILETIME (two u32,
//    aligned to 4) and HRESULT (an i32).
//
// Decoders take what real peers send: any padding and referent ids, any
// clSize (it is recomputed when sending), a VT_BOOL of one byte at the end
// of the data, wReserved fields of any content.
//
// Decoding into a VARIANT, BSTR or SAFEARRAY* replaces what it holds, which
// must therefore be initialised (VariantInit, nullptr). The decoded value
// owns what it points to, also after a failed decode, so VariantClear,
// SysFreeString or SafeArrayDestroy always clean up. A value sent by
// reference (VT_BYREF) arrives as the value it refers to, since nothing on
// the receiving side would own the referenced storage.

#include <span>
#include <vector>

#include "com/oleauto.h"
#include "ndr/walker.h"

namespace ndr {

// MInterfacePointer: the OBJREF of one interface, as an opaque block.
struct InterfacePointer {
  std::vector<std::uint8_t> data;
};

template <class W>
void walk(W& w, InterfacePointer& pointer) {
  std::uint32_t count = static_cast<std::uint32_t>(pointer.data.size());
  w.maxCount(count);
  std::uint32_t length = count;
  w.u32(length);
  if (length != count) w.fail(Status::invalid);
  w.elements(pointer.data, count, 1);
}

// Turns interfaces inside values into OBJREFs and back. The exporter (for a
// server) or the proxy manager (for a client) provides it.
class InterfaceMarshaler {
 public:
  virtual ~InterfaceMarshaler() = default;
  // The OBJREF that hands one reference to object's interface iid to the
  // peer.
  virtual HRESULT marshal(IUnknown* object, REFIID iid, std::vector<std::uint8_t>& objref) = 0;
  // An interface for an OBJREF received, with one reference the caller
  // releases.
  virtual HRESULT unmarshal(std::span<const std::uint8_t> objref, REFIID iid, IUnknown** object) = 0;
};

void walk(Encoder& w, CY& value);
void walk(Decoder& w, CY& value);
// scale 0..28 and sign 0 or 0x80, or the decode fails.
void walk(Encoder& w, DECIMAL& value);
void walk(Decoder& w, DECIMAL& value);
void walk(Encoder& w, FILETIME& value);
void walk(Decoder& w, FILETIME& value);

// A VARIANT parameter or member ([in] VARIANT, [out] VARIANT*, an element
// of a VARIANT array). A NULL pointer on the wire gives VT_EMPTY.
void walk(Encoder& w, VARIANT& value);
void walk(Decoder& w, VARIANT& value);

// A BSTR parameter or member.
void bstr(Encoder& w, BSTR& value);
void bstr(Decoder& w, BSTR& value);

// A SAFEARRAY* as a VARIANT's arm carries it (two unique pointers to the
// array). expected is the element type the array must hold, or VT_EMPTY
// for any.
void safeArray(Encoder& w, SAFEARRAY*& value, VARTYPE expected = VT_EMPTY);
void safeArray(Decoder& w, SAFEARRAY*& value, VARTYPE expected = VT_EMPTY);

// An interface pointer member ([unique] MInterfacePointer* of iid) through
// the walker's marshaler.
void interfacePointer(Encoder& w, IUnknown*& value, REFIID iid);
void interfacePointer(Decoder& w, IUnknown*& value, REFIID iid);

// Whether vt may appear in a wireVARIANT.
bool isWireVariantType(VARTYPE vt);

// clSize as this side sends it: the VARIANT's bytes with its pointees, in
// units of eight, rounded up.
inline std::uint32_t variantSizeUnits(std::size_t bytes) { return static_cast<std::uint32_t>((bytes + 7) / 8); }

}  // namespace ndr
