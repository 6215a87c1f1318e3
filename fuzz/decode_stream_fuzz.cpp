// Walks a data-change stream's value records one after another, as the
// advise sink does, and shows each value as the advise dialog does. The
// decoder must never read outside the input, must refuse what it cannot
// decode with -1 and an empty value, and must hand out only values that
// clear and format cleanly.

#include <cstddef>
#include <cstdint>

#include "format/stream_variant.h"
#include "format/variant_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const BYTE* at = data;
  const BYTE* const end = data + size;
  while (at < end) {
    VARIANT value;
    const std::ptrdiff_t used = DecodeStreamVariant(&value, at, end);
    if (used < 0) {
      if (value.vt != VT_EMPTY) __builtin_trap();
      break;
    }
    if (used == 0 || used > end - at) __builtin_trap();
    VariantToLines(value, "Data[%u]    : ");
    if (FAILED(VariantClear(&value))) __builtin_trap();
    at += used;
  }
  return 0;
}
