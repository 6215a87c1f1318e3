// Feeds arbitrary bytes to the decoders of what DCOM peers send: NDR values,
// the OLE wire types, OBJREFs, activation property blobs and the request
// stubs of the system interfaces. The first byte picks the decoder, the rest
// is its input. Whatever the input, a decoder returns a value or an error
// and leaves nothing allocated behind.

#include <cstddef>
#include <cstdint>
#include <span>

#include "dcom/activation_properties.h"
#include "dcom/methods.h"
#include "dcom/objref.h"
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

void decodeObjRef(std::span<const std::uint8_t> data) {
  auto ref = dcom::decodeObjRef(data);
  if (ref && ref->kind == dcom::kObjRefCustom) {
    dcom::ActivationProperties properties;
    dcom::decodeActivationProperties(ref->objectData, properties);
  }
}

void decodeActivationBlob(std::span<const std::uint8_t> data) {
  dcom::ActivationProperties properties;
  dcom::decodeActivationProperties(data, properties);
}

template <class T>
void decodeRequest(std::span<const std::uint8_t> data) {
  T in;
  ndr::decode(data, [&](auto& w) { walkIn(w, in); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) return 0;
  std::span<const std::uint8_t> data(bytes + 1, size - 1);
  switch (bytes[0] % 11) {
    case 0: decodeVariants(data); break;
    case 1: decodeStrings(data); break;
    case 2: decodeObjRef(data); break;
    case 3: decodeActivationBlob(data); break;
    case 4: decodeRequest<dcom::RemoteCreateInstanceIn>(data); break;
    case 5: decodeRequest<dcom::RemoteActivationIn>(data); break;
    case 6: decodeRequest<dcom::ResolveOxidIn>(data); break;
    case 7: decodeRequest<dcom::ComplexPingIn>(data); break;
    case 8: decodeRequest<dcom::RemQueryInterfaceIn>(data); break;
    case 9: decodeRequest<dcom::RemRefsIn>(data); break;
    default: decodeRequest<dcom::RemQueryInterface2In>(data); break;
  }
  return 0;
}
