// OBJREF in its four kinds.

#include "dcom/objref.h"

namespace dcom {
namespace {

constexpr std::uint32_t kExtendedSignature = 0x4E535956;

template <class W>
void walkStd(W& w, StdObjRef& s) {
  w.packed(s.flags);
  w.packed(s.publicRefs);
  w.packed(s.oxid);
  w.packed(s.oid);
  w.packedGuid(s.ipid);
}

template <class W>
void walkElement(W& w, ObjRefDataElement& e) {
  w.packedGuid(e.id);
  std::uint32_t size = static_cast<std::uint32_t>(e.data.size());
  std::uint32_t rounded = (size + 7) & ~7u;
  w.packed(size);
  w.packed(rounded);
  if (!w.ok()) return;
  if (size > rounded) {
    w.fail(ndr::Status::invalid);
    return;
  }
  if constexpr (W::kDecoding) {
    auto bytes = w.take(rounded);
    e.data.assign(bytes.begin(), bytes.begin() + std::min<std::size_t>(size, bytes.size()));
  } else {
    std::vector<std::uint8_t> padded = e.data;
    padded.resize(rounded);
    w.bytes(padded.data(), padded.size());
  }
}

template <class W>
void walkObjRef(W& w, ObjRef& ref) {
  std::uint32_t signature = kObjRefSignature;
  w.packed(signature);
  w.packed(ref.kind);
  w.packedGuid(ref.iid);
  if (!w.ok()) return;
  if (signature != kObjRefSignature || ref.iid == GUID_NULL) {
    w.fail(ndr::Status::invalid);
    return;
  }
  switch (ref.kind) {
    case kObjRefStandard:
      walkStd(w, ref.std);
      walkPacked(w, ref.resolverAddress);
      return;
    case kObjRefHandler:
      walkStd(w, ref.std);
      w.packedGuid(ref.clsid);
      walkPacked(w, ref.resolverAddress);
      return;
    case kObjRefCustom:
      w.packedGuid(ref.clsid);
      w.packed(ref.extensionSize);
      w.packed(ref.reserved);
      if constexpr (W::kDecoding) {
        auto rest = w.take(w.remaining());
        ref.objectData.assign(rest.begin(), rest.end());
      } else {
        w.bytes(ref.objectData.data(), ref.objectData.size());
      }
      return;
    case kObjRefExtended: {
      walkStd(w, ref.std);
      std::uint32_t first = kExtendedSignature;
      w.packed(first);
      walkPacked(w, ref.resolverAddress);
      std::uint32_t count = static_cast<std::uint32_t>(ref.elements.size());
      std::uint32_t second = kExtendedSignature;
      w.packed(count);
      w.packed(second);
      if (!w.ok()) return;
      if (first != kExtendedSignature || second != kExtendedSignature) {
        w.fail(ndr::Status::invalid);
        return;
      }
      // Each element takes at least 24 bytes.
      if constexpr (W::kDecoding) {
        if (!w.canHold(count, 24)) return;
        ref.elements.resize(count);
      }
      for (auto& element : ref.elements) walkElement(w, element);
      return;
    }
    default:
      w.fail(ndr::Status::invalid);
      return;
  }
}

}  // namespace

void walkPacked(ndr::Encoder& w, StdObjRef& s) { walkStd(w, s); }
void walkPacked(ndr::Decoder& w, StdObjRef& s) { walkStd(w, s); }

std::optional<ObjRef> decodeObjRef(std::span<const std::uint8_t> bytes) {
  ObjRef ref;
  ndr::Decoder decoder(bytes);
  walkObjRef(decoder, ref);
  if (!decoder.ok()) return std::nullopt;
  return ref;
}

std::vector<std::uint8_t> encodeObjRef(const ObjRef& ref) {
  std::vector<std::uint8_t> out;
  ndr::Encoder encoder(out);
  // The walk takes its value by reference for both directions; encoding
  // only reads it.
  walkObjRef(encoder, const_cast<ObjRef&>(ref));
  encoder.finish();
  return out;
}

}  // namespace dcom
