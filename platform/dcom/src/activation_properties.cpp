// The activation property blob: header, then each property as its own
// serialized stream.

#include "dcom/activation_properties.h"

#include "dcom/objref.h"

namespace dcom {
namespace {

constexpr std::size_t kStreamHeaderBytes = 16;

struct CustomHeader {
  std::uint32_t totalSize = 0;
  std::uint32_t headerSize = 0;
  std::uint32_t reserved = 0;
  std::uint32_t destinationContext = 2;
  CLSID classInfoClsid{};
  std::vector<CLSID> clsids;
  std::vector<std::uint32_t> sizes;
  std::unique_ptr<std::uint32_t> reserved2;
};

template <class W>
void walk(W& w, CustomHeader& h) {
  w.align(4);
  w.u32(h.totalSize);
  w.u32(h.headerSize);
  w.u32(h.reserved);
  w.u32(h.destinationContext);
  std::uint32_t count = static_cast<std::uint32_t>(h.clsids.size());
  w.u32(count);
  w.item(h.classInfoClsid);
  w.sizedPointer(h.clsids, count, 16);
  w.sizedPointer(h.sizes, count, 4);
  w.unique(h.reserved2);
}

template <class T>
std::optional<ndr::Error> readProperty(std::span<const std::uint8_t> stream, std::optional<T>& slot) {
  slot.emplace();
  return deserializeType(stream, [&](ndr::Decoder& w) { w.param(*slot); });
}

template <class T>
void writeProperty(std::optional<T>& slot, const CLSID& clsid, std::vector<CLSID>& clsids,
                   std::vector<std::vector<std::uint8_t>>& streams) {
  clsids.push_back(clsid);
  streams.push_back(serializeType([&](auto& w) { w.param(*slot); }));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::optional<ndr::Error> deserializeType(std::span<const std::uint8_t> stream,
                                          const std::function<void(ndr::Decoder&)>& body) {
  if (stream.size() < kStreamHeaderBytes) return ndr::Error{ndr::Status::truncated, stream.size()};
  // Version 1, little-endian, an 8-byte common header; the fillers and the
  // private header's length (which peers fill in differently) are not used.
  if (stream[0] != 1 || stream[2] != 8 || stream[3] != 0) return ndr::Error{ndr::Status::invalid, 0};
  if (stream[1] != 0x10) return ndr::Error{ndr::Status::unsupported, 1};
  auto error = ndr::decode(stream.subspan(kStreamHeaderBytes), body);
  if (error) error->offset += kStreamHeaderBytes;
  return error;
}

std::optional<ndr::Error> decodeActivationProperties(std::span<const std::uint8_t> blob,
                                                     ActivationProperties& properties) {
  properties = ActivationProperties{};
  if (blob.size() < 8) return ndr::Error{ndr::Status::truncated, blob.size()};
  const std::span<const std::uint8_t> rest = blob.subspan(8);
  CustomHeader header;
  if (auto error = deserializeType(rest, [&](ndr::Decoder& w) { w.param(header); })) {
    error->offset += 8;
    return error;
  }
  // The arrays are read after the header's own members, so their sizes are
  // checked once the whole header is in.
  const std::size_t count = header.clsids.size();
  if (count == 0 || count > kMaxActivationProperties || header.sizes.size() != count) {
    return ndr::Error{ndr::Status::invalid, 8};
  }
  properties.destinationContext = header.destinationContext;
  std::uint64_t end = header.headerSize;
  for (std::uint32_t size : header.sizes) end += size;
  if (header.headerSize < kStreamHeaderBytes || end > rest.size()) {
    return ndr::Error{ndr::Status::invalid, 8};
  }
  std::size_t at = header.headerSize;
  for (std::size_t i = 0; i < header.clsids.size(); ++i) {
    const CLSID& clsid = header.clsids[i];
    const std::span<const std::uint8_t> stream = rest.subspan(at, header.sizes[i]);
    std::optional<ndr::Error> error;
    if (clsid == kClsidInstantiationInfo) {
      error = readProperty(stream, properties.instantiation);
    } else if (clsid == kClsidActivationContextInfo) {
      error = readProperty(stream, properties.context);
    } else if (clsid == kClsidServerLocationInfo) {
      error = readProperty(stream, properties.location);
    } else if (clsid == kClsidScmRequestInfo) {
      error = readProperty(stream, properties.scmRequest);
    } else if (clsid == kClsidScmReplyInfo) {
      error = readProperty(stream, properties.scmReply);
    } else if (clsid == kClsidPropsOutInfo) {
      error = readProperty(stream, properties.propsOut);
    } else {
      properties.others.push_back({clsid, std::vector<std::uint8_t>(stream.begin(), stream.end())});
    }
    if (error) {
      error->offset += 8 + at;
      return error;
    }
    properties.order.push_back(clsid);
    at += header.sizes[i];
  }
  return std::nullopt;
}

std::vector<std::uint8_t> encodeActivationProperties(ActivationProperties& properties) {
  std::vector<CLSID> order = properties.order;
  if (order.empty()) {
    if (properties.instantiation) order.push_back(kClsidInstantiationInfo);
    if (properties.context) order.push_back(kClsidActivationContextInfo);
    if (properties.location) order.push_back(kClsidServerLocationInfo);
    if (properties.scmRequest) order.push_back(kClsidScmRequestInfo);
    if (properties.propsOut) order.push_back(kClsidPropsOutInfo);
    if (properties.scmReply) order.push_back(kClsidScmReplyInfo);
    for (const auto& raw : properties.others) order.push_back(raw.clsid);
  }
  CustomHeader header;
  header.destinationContext = properties.destinationContext;
  std::vector<std::vector<std::uint8_t>> streams;
  std::size_t nextRaw = 0;
  for (const CLSID& clsid : order) {
    if (clsid == kClsidInstantiationInfo && properties.instantiation) {
      writeProperty(properties.instantiation, clsid, header.clsids, streams);
    } else if (clsid == kClsidActivationContextInfo && properties.context) {
      writeProperty(properties.context, clsid, header.clsids, streams);
    } else if (clsid == kClsidServerLocationInfo && properties.location) {
      writeProperty(properties.location, clsid, header.clsids, streams);
    } else if (clsid == kClsidScmRequestInfo && properties.scmRequest) {
      writeProperty(properties.scmRequest, clsid, header.clsids, streams);
    } else if (clsid == kClsidScmReplyInfo && properties.scmReply) {
      writeProperty(properties.scmReply, clsid, header.clsids, streams);
    } else if (clsid == kClsidPropsOutInfo && properties.propsOut) {
      writeProperty(properties.propsOut, clsid, header.clsids, streams);
    } else {
      for (; nextRaw < properties.others.size(); ++nextRaw) {
        if (properties.others[nextRaw].clsid == clsid) {
          header.clsids.push_back(clsid);
          streams.push_back(properties.others[nextRaw++].serialized);
          break;
        }
      }
    }
  }
  std::uint32_t sum = 0;
  for (const auto& stream : streams) {
    header.sizes.push_back(static_cast<std::uint32_t>(stream.size()));
    sum += static_cast<std::uint32_t>(stream.size());
  }
  // The header's length depends only on the number of properties, so a
  // first pass measures it.
  const std::size_t headerBytes = serializeType([&](auto& w) { w.param(header); }).size();
  header.headerSize = static_cast<std::uint32_t>(headerBytes);
  header.totalSize = header.headerSize + sum;
  std::vector<std::uint8_t> blob;
  put32(blob, header.totalSize);
  put32(blob, 0);
  auto headerStream = serializeType([&](auto& w) { w.param(header); });
  blob.insert(blob.end(), headerStream.begin(), headerStream.end());
  for (const auto& stream : streams) blob.insert(blob.end(), stream.begin(), stream.end());
  return blob;
}

std::vector<std::uint8_t> activationObjRef(ActivationProperties& properties, bool reply) {
  ObjRef ref;
  ref.kind = kObjRefCustom;
  ref.iid = reply ? kIidIActivationPropertiesOut : kIidIActivationPropertiesIn;
  ref.clsid = reply ? kClsidActivationPropertiesOut : kClsidActivationPropertiesIn;
  ref.objectData = encodeActivationProperties(properties);
  return encodeObjRef(ref);
}

}  // namespace dcom
