// CY, DECIMAL and FILETIME: fixed-size values with their own alignment.

#include "ndr/ole.h"

namespace ndr {
namespace {

template <class W>
void walkCy(W& w, CY& value) {
  w.i64(value.int64);
}

// DECIMAL keeps its 16 bytes in wire order already (reserved word, scale,
// sign, high 32 bits, low 64 bits); the structure aligns to 8 for the last.
template <class W>
void walkDecimal(W& w, DECIMAL& value) {
  w.align(8);
  w.u16(value.wReserved);
  w.u8(value.s.scale);
  w.u8(value.s.sign);
  w.u32(value.Hi32);
  w.u64(value.Lo64);
  if (W::kDecoding && w.ok() && (value.s.scale > 28 || (value.s.sign != 0 && value.s.sign != DECIMAL_NEG))) {
    w.fail(Status::invalid);
  }
}

// Two DWORDs: aligned to 4, not 8.
template <class W>
void walkFiletime(W& w, FILETIME& value) {
  w.u32(value.dwLowDateTime);
  w.u32(value.dwHighDateTime);
}

}  // namespace

void walk(Encoder& w, CY& value) { walkCy(w, value); }
void walk(Decoder& w, CY& value) { walkCy(w, value); }
void walk(Encoder& w, DECIMAL& value) { walkDecimal(w, value); }
void walk(Decoder& w, DECIMAL& value) { walkDecimal(w, value); }
void walk(Encoder& w, FILETIME& value) { walkFiletime(w, value); }
void walk(Decoder& w, FILETIME& value) { walkFiletime(w, value); }

}  // namespace ndr
