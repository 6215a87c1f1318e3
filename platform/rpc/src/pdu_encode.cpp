#include <type_traits>

#include "byte_io.h"
#include "rpc/pdu.h"

namespace rpc {
namespace {

using detail::ByteWriter;

void writeBind(ByteWriter& out, const BindBody& body) {
  out.u16(body.maxXmitFrag);
  out.u16(body.maxRecvFrag);
  out.u32(body.assocGroupId);
  out.u8(static_cast<uint8_t>(body.contexts.size()));
  out.zeros(3);
  for (const auto& element : body.contexts) {
    out.u16(element.contextId);
    out.u8(static_cast<uint8_t>(element.transferSyntaxes.size()));
    out.u8(0);
    out.syntax(element.abstractSyntax);
    for (const auto& transfer : element.transferSyntaxes) out.syntax(transfer);
  }
}

void writeBindAck(ByteWriter& out, const BindAckBody& body, bool withAddress) {
  out.u16(body.maxXmitFrag);
  out.u16(body.maxRecvFrag);
  out.u32(body.assocGroupId);
  if (withAddress) {
    out.u16(static_cast<uint16_t>(body.secondaryAddress.size() + 1));
    out.bytes(std::span(reinterpret_cast<const uint8_t*>(body.secondaryAddress.data()),
                        body.secondaryAddress.size()));
    out.u8(0);
  } else {
    out.u16(0);
  }
  out.alignTo(4);
  out.u8(static_cast<uint8_t>(body.results.size()));
  out.zeros(3);
  for (const auto& result : body.results) {
    out.u16(static_cast<uint16_t>(result.result));
    out.u16(result.reason);
    out.syntax(result.transferSyntax);
  }
}

// Writes the whole PDU, or with withStub false all of it but the stub.
PduFrame writePdu(std::vector<uint8_t>& bytes, const Header& header, const Body& body,
                  const std::optional<VerifierSpec>& verifier, ProtectionLayout* layout, bool withStub) {
  const size_t start = bytes.size();
  ByteWriter out(bytes);
  size_t headLength = 0;
  auto stub = [&](std::span<const uint8_t> data) {
    if (withStub) {
      out.bytes(data);
    } else {
      headLength = out.size();
      out.gap(data.size());
    }
  };
  out.u8(5);
  out.u8(header.versionMinor);
  out.u8(static_cast<uint8_t>(header.type));
  uint8_t flags = header.flags;
  if (const auto* request = std::get_if<RequestBody>(&body)) {
    flags = request->object ? (flags | pfc::kObjectUuid) : (flags & ~pfc::kObjectUuid);
  }
  out.u8(flags);
  out.u32(header.drep);
  out.u16(0);  // frag_length, patched below
  out.u16(0);  // auth_length, patched below
  out.u32(header.callId);

  size_t stubOffset = 0;
  bool stubBody = false;
  std::visit(
      [&](const auto& value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, RequestBody>) {
          out.u32(value.allocHint);
          out.u16(value.contextId);
          out.u16(value.opnum);
          if (value.object) out.uuid(*value.object);
          stubOffset = out.size();
          stubBody = true;
          stub(value.stub);
        } else if constexpr (std::is_same_v<T, ResponseBody>) {
          out.u32(value.allocHint);
          out.u16(value.contextId);
          out.u8(value.cancelCount);
          out.u8(0);
          stubOffset = out.size();
          stubBody = true;
          stub(value.stub);
        } else if constexpr (std::is_same_v<T, FaultBody>) {
          out.u32(value.allocHint);
          out.u16(value.contextId);
          out.u8(value.cancelCount);
          out.u8(0);
          out.u32(value.status);
          out.u32(0);
        } else if constexpr (std::is_same_v<T, BindBody>) {
          writeBind(out, value);
        } else if constexpr (std::is_same_v<T, BindAckBody>) {
          writeBindAck(out, value, header.type == PduType::BindAck);
        } else if constexpr (std::is_same_v<T, BindNakBody>) {
          out.u16(static_cast<uint16_t>(value.reason));
          out.u8(static_cast<uint8_t>(value.versions.size()));
          for (auto [major, minor] : value.versions) {
            out.u8(major);
            out.u8(minor);
          }
        } else if (header.type == PduType::Auth3) {
          out.zeros(4);
        }
      },
      body);

  uint16_t authLength = 0;
  ProtectionLayout where;
  if (verifier) {
    size_t before = out.size();
    if (stubBody) {
      out.alignTo(16, stubOffset);
    } else {
      out.alignTo(4);
    }
    auto padLength = static_cast<uint8_t>(out.size() - before);
    where.stubOffset = stubOffset;
    where.stubAndPadLength = stubBody ? out.size() - stubOffset : 0;
    where.trailerOffset = out.size();
    out.u8(verifier->trailer.authType);
    out.u8(verifier->trailer.authLevel);
    out.u8(padLength);
    out.u8(verifier->trailer.reserved);
    out.u32(verifier->trailer.contextId);
    where.signatureOffset = out.size();
    if (!verifier->value.empty()) {
      out.bytes(verifier->value);
    } else {
      out.zeros(verifier->valueLength);
    }
    where.signatureLength = out.size() - where.signatureOffset;
    authLength = static_cast<uint16_t>(where.signatureLength);
  } else if (stubBody) {
    where.stubOffset = stubOffset;
    where.stubAndPadLength = out.size() - stubOffset;
  }
  out.patch16(8, static_cast<uint16_t>(out.size()));
  out.patch16(10, authLength);
  if (layout) *layout = where;
  const size_t written = bytes.size() - start;
  if (withStub || !stubBody) return {written, 0};
  return {headLength, written - headLength};
}

}  // namespace

size_t stubHeaderSize(PduType type, bool hasObject) {
  return kHeaderSize + 8 + (type == PduType::Request && hasObject ? 16 : 0);
}

std::vector<uint8_t> encodePdu(const Header& header, const Body& body,
                               const std::optional<VerifierSpec>& verifier,
                               ProtectionLayout* layout) {
  std::vector<uint8_t> bytes;
  bytes.reserve(128);
  appendPdu(bytes, header, body, verifier, layout);
  return bytes;
}

size_t appendPdu(std::vector<uint8_t>& bytes, const Header& header, const Body& body,
                 const std::optional<VerifierSpec>& verifier, ProtectionLayout* layout) {
  return writePdu(bytes, header, body, verifier, layout, true).headLength;
}

PduFrame appendPduFrame(std::vector<uint8_t>& bytes, const Header& header, const Body& body,
                        const std::optional<VerifierSpec>& verifier, ProtectionLayout* layout) {
  return writePdu(bytes, header, body, verifier, layout, false);
}

}  // namespace rpc
