#pragma once

// The value records of a data-change stream ("OPCSTMFORMATDATA" and
// "OPCSTMFORMATDATATIME"), decoded into VARIANTs.
//
// A record starts with the 16-byte VARIANT of a 32-bit build: the type at
// offset 0, the value at offset 8. What a pointer in it stands for follows:
// a string's 32-bit byte length, its UTF-16 text and a 2-byte zero; an
// array's 16-byte descriptor, its one bound (32-bit element count, 32-bit
// lower bound) and its elements (raw data, strings as above, or value
// records of their own for VT_VARIANT). Integers are little-endian.

#include <cstddef>

#include "com/oleauto.h"

// How deep values may nest in one record: the record's own value is level 1,
// and each element of a VARIANT array lies one level below the array. Deeper
// records are refused, so that a hostile stream cannot exhaust the stack.
inline constexpr int kMaxStreamNesting = 16;

// Decodes the record at `position`, which must lie in the stream that ends
// at `end`, into `destination`, and returns the number of bytes the record
// occupied.
//
// Returns -1 with `destination` set to VT_EMPTY, and everything built for
// the value released, when the record is damaged or cannot be represented:
// it (or any of its strings or elements) runs past `end`, a string's byte
// length is odd, an array's element count cannot fit in the bytes left,
// VARIANT arrays nest deeper than kMaxStreamNesting, or the type is not one
// a stream can carry (a reference, an interface, an unknown code or flag).
//
// `destination` is overwritten without being cleared first: pass an empty
// or uninitialised VARIANT. Nothing is read outside [position, end).
std::ptrdiff_t DecodeStreamVariant(VARIANT* destination, const BYTE* position, const BYTE* end);
