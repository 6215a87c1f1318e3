// Feeds arbitrary bytes to the decoders of what DCOM peers send: NDR values
// and the OLE wire types. The first byte picks the decoder, the rest is its
// input. Whatever the input, a decoder returns a value or an error and
// leaves nothing allocated behind.

#include <cstddef>
#include <cstdint>
#include <span>

#include "ndr/ole.h"

namespace {

void decodeVariants(std::span<const std::uint8_t> data) {
  VARIANT values[2];
  VariantInit(&values[0]);
  VariantInit(&values[1]);
  ndr::decode(data, [&](auto& w) {
    w.param(values[0]);
    w.param(values[1]);
  });
  VariantClear(&values[0]);
  VariantClear(&values[1]);
}

void decodeStrings(std::span<const std::uint8_t> data) {
  BSTR text = nullptr;
  std::u16string wide;
  std::vector<std::uint32_t> numbers;
  ndr::decode(data, [&](auto& w) {
    ndr::bstr(w, text);
    w.wideString(wide);
    w.conformantArray(numbers, 4);
  });
  SysFreeString(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) return 0;
  std::span<const std::uint8_t> data(bytes + 1, size - 1);
  switch (bytes[0] % 2) {
    case 0:
      decodeVariants(data);
      break;
    default:
      decodeStrings(data);
      break;
  }
  return 0;
}
