#pragma once

// NDR 2.0 (little-endian, IEEE floats, ASCII) in both directions.
//
// Every wire type is described once, by a function
//
//   template <class W> void walk(W& w, T& value);
//
// that names the type's members in wire order through the walker's calls
// (w.u32(x), w.align(8), w.unique(p, ...), w.conformantArray(v, ...) and so
// on). The Encoder writes each member it is handed; the Decoder reads into
// it. So a stub, a proxy and a test all use the same description and cannot
// drift apart. Descriptions live beside their types (ADL finds them);
// descriptions of types this layer does not own (GUID, CY, FILETIME) live in
// namespace ndr.
//
// The pieces: the pointee queue (ndr/pointees.h), the calls a description
// makes (ndr/walker_calls.h), the Encoder (ndr/encoder.h) and the Decoder
// (ndr/decoder.h). This header brings them together with the descriptions
// of the primitive types and the encode() and decode() entry points.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <type_traits>
#include <vector>

#include "ndr/decoder.h"
#include "ndr/encoder.h"
#include "ndr/error.h"
#include "ndr/pointees.h"

struct GUID;

namespace ndr {

// Descriptions of the primitive types and of GUID (a structure of u32, u16,
// u16 and eight bytes, aligned to 4).
template <class W, class T>
  requires std::is_arithmetic_v<T>
void walk(W& w, T& v) {
  w.scalar(v);
}
void walk(Encoder& w, GUID& g);
void walk(Decoder& w, GUID& g);

// Encodes what body(Encoder&) describes, appending to out. The body is one
// construct: pointees it leaves deferred are written at its end.
template <class F>
std::optional<Error> encode(std::vector<std::uint8_t>& out, F&& body, InterfaceMarshaler* marshaler = nullptr) {
  Encoder encoder(out);
  encoder.setMarshaler(marshaler);
  encoder.construct([&] { body(encoder); });
  return encoder.error();
}

// Decodes what body(Decoder&) describes from in. Bytes after the last item
// are ignored (peers append verification trailers and filler); consumed
// reports how many were used.
template <class F>
std::optional<Error> decode(std::span<const std::uint8_t> in, F&& body, std::size_t* consumed = nullptr,
                            InterfaceMarshaler* marshaler = nullptr) {
  Decoder decoder(in);
  decoder.setMarshaler(marshaler);
  decoder.construct([&] { body(decoder); });
  if (consumed) *consumed = decoder.position();
  return decoder.error();
}

}  // namespace ndr
