#include <algorithm>

#include "byte_io.h"
#include "rpc/pdu.h"

namespace rpc {
namespace {

using detail::ByteReader;

bool isKnownType(uint8_t type) {
  switch (static_cast<PduType>(type)) {
    case PduType::Request:
    case PduType::Response:
    case PduType::Fault:
    case PduType::Bind:
    case PduType::BindAck:
    case PduType::BindNak:
    case PduType::AlterContext:
    case PduType::AlterContextResponse:
    case PduType::Auth3:
    case PduType::Shutdown:
    case PduType::CoCancel:
    case PduType::Orphaned:
      return true;
  }
  return false;
}

std::optional<BindBody> decodeBind(ByteReader& in) {
  BindBody body;
  body.maxXmitFrag = in.u16();
  body.maxRecvFrag = in.u16();
  body.assocGroupId = in.u32();
  uint8_t count = in.u8();
  in.skip(3);
  for (uint8_t i = 0; i < count && in.ok(); ++i) {
    ContextElement element;
    element.contextId = in.u16();
    uint8_t transfers = in.u8();
    in.skip(1);
    element.abstractSyntax = in.syntax();
    // Each syntax takes 20 bytes, so the count is checked against what is
    // left before anything is stored.
    if (in.remaining() < size_t{transfers} * 20) return std::nullopt;
    for (uint8_t t = 0; t < transfers; ++t) element.transferSyntaxes.push_back(in.syntax());
    body.contexts.push_back(std::move(element));
  }
  if (!in.ok()) return std::nullopt;
  return body;
}

std::optional<BindAckBody> decodeBindAck(ByteReader& in) {
  BindAckBody body;
  body.maxXmitFrag = in.u16();
  body.maxRecvFrag = in.u16();
  body.assocGroupId = in.u32();
  uint16_t addressLength = in.u16();
  auto address = in.take(addressLength);
  if (!address.empty()) {
    // The length counts the terminating NUL.
    auto end = std::find(address.begin(), address.end(), uint8_t{0});
    body.secondaryAddress.assign(address.begin(), end);
  }
  in.alignTo(4);
  uint8_t count = in.u8();
  in.skip(3);
  if (in.remaining() < size_t{count} * 24) return std::nullopt;
  for (uint8_t i = 0; i < count; ++i) {
    ContextResult result;
    result.result = static_cast<ContextResultCode>(in.u16());
    result.reason = in.u16();
    result.transferSyntax = in.syntax();
    body.results.push_back(result);
  }
  if (!in.ok()) return std::nullopt;
  return body;
}

std::optional<BindNakBody> decodeBindNak(ByteReader& in) {
  BindNakBody body;
  body.reason = static_cast<BindNakReason>(in.u16());
  if (!in.ok()) return std::nullopt;
  if (in.remaining() > 0) {
    uint8_t count = in.u8();
    if (in.remaining() < size_t{count} * 2) return std::nullopt;
    for (uint8_t i = 0; i < count; ++i) {
      uint8_t major = in.u8();
      uint8_t minor = in.u8();
      body.versions.emplace_back(major, minor);
    }
  }
  return body;
}

}  // namespace

const char* toString(DecodeError error) {
  switch (error) {
    case DecodeError::Truncated: return "truncated PDU";
    case DecodeError::BadVersion: return "unsupported protocol version";
    case DecodeError::UnsupportedDataRepresentation: return "unsupported data representation";
    case DecodeError::BadFragmentLength: return "bad fragment length";
    case DecodeError::BadAuthLength: return "bad authentication length";
    case DecodeError::BadBody: return "malformed PDU body";
    case DecodeError::UnknownType: return "unknown PDU type";
  }
  return "unknown error";
}

Decoded<Header> decodeHeader(std::span<const uint8_t> bytes) {
  using Result = Decoded<Header>;
  if (bytes.size() < kHeaderSize) return Result::failure(DecodeError::Truncated);
  if (bytes[0] != 5 || bytes[1] > 1) return Result::failure(DecodeError::BadVersion);
  // Only the integer and character format bytes and the float byte mean
  // anything; the last two are reserved.
  if (bytes[4] != 0x10 || bytes[5] != 0) {
    return Result::failure(DecodeError::UnsupportedDataRepresentation);
  }
  ByteReader in(bytes);
  Header header;
  in.skip(1);
  header.versionMinor = in.u8();
  uint8_t type = in.u8();
  header.flags = in.u8();
  header.drep = in.u32();
  header.fragLength = in.u16();
  header.authLength = in.u16();
  header.callId = in.u32();
  if (!isKnownType(type)) return Result::failure(DecodeError::UnknownType);
  header.type = static_cast<PduType>(type);
  if (header.fragLength < kHeaderSize) return Result::failure(DecodeError::BadFragmentLength);
  if (header.authLength != 0 &&
      size_t{header.authLength} + kSecTrailerSize > header.fragLength - kHeaderSize) {
    return Result::failure(DecodeError::BadAuthLength);
  }
  return Result{header, DecodeError::Truncated};
}

Decoded<Pdu> decodePdu(std::span<const uint8_t> bytes) {
  using Result = Decoded<Pdu>;
  auto header = decodeHeader(bytes);
  if (!header) return Result::failure(header.error);
  Pdu pdu;
  pdu.header = *header.value;
  if (bytes.size() < pdu.header.fragLength) return Result::failure(DecodeError::Truncated);
  if (bytes.size() > pdu.header.fragLength) return Result::failure(DecodeError::BadFragmentLength);

  size_t bodyEnd = bytes.size();
  if (pdu.header.authLength != 0) {
    AuthVerifier auth;
    auth.trailerOffset = bytes.size() - pdu.header.authLength - kSecTrailerSize;
    ByteReader trailer(bytes, auth.trailerOffset);
    auth.trailer.authType = trailer.u8();
    auth.trailer.authLevel = trailer.u8();
    auth.trailer.padLength = trailer.u8();
    auth.trailer.reserved = trailer.u8();
    auth.trailer.contextId = trailer.u32();
    auth.value = trailer.take(pdu.header.authLength);
    if (!trailer.ok()) return Result::failure(DecodeError::BadAuthLength);
    bodyEnd = auth.trailerOffset;
    pdu.auth = auth;
  }
  ByteReader in(bytes.first(bodyEnd), kHeaderSize);

  switch (pdu.header.type) {
    case PduType::Request: {
      RequestBody body;
      body.allocHint = in.u32();
      body.contextId = in.u16();
      body.opnum = in.u16();
      if (pdu.header.flags & pfc::kObjectUuid) body.object = in.uuid();
      if (!in.ok()) return Result::failure(DecodeError::BadBody);
      pdu.stubOffset = in.offset();
      pdu.stubAndPadLength = in.remaining();
      size_t pad = pdu.auth ? pdu.auth->trailer.padLength : 0;
      if (pad > pdu.stubAndPadLength) return Result::failure(DecodeError::BadAuthLength);
      body.stub = in.take(pdu.stubAndPadLength - pad);
      pdu.body = body;
      break;
    }
    case PduType::Response: {
      ResponseBody body;
      body.allocHint = in.u32();
      body.contextId = in.u16();
      body.cancelCount = in.u8();
      in.skip(1);
      if (!in.ok()) return Result::failure(DecodeError::BadBody);
      pdu.stubOffset = in.offset();
      pdu.stubAndPadLength = in.remaining();
      size_t pad = pdu.auth ? pdu.auth->trailer.padLength : 0;
      if (pad > pdu.stubAndPadLength) return Result::failure(DecodeError::BadAuthLength);
      body.stub = in.take(pdu.stubAndPadLength - pad);
      pdu.body = body;
      break;
    }
    case PduType::Fault: {
      FaultBody body;
      body.allocHint = in.u32();
      body.contextId = in.u16();
      body.cancelCount = in.u8();
      in.skip(1);
      body.status = in.u32();
      if (!in.ok()) return Result::failure(DecodeError::BadBody);
      pdu.body = body;
      break;
    }
    case PduType::Bind:
    case PduType::AlterContext: {
      auto body = decodeBind(in);
      if (!body) return Result::failure(DecodeError::BadBody);
      pdu.body = std::move(*body);
      break;
    }
    case PduType::BindAck:
    case PduType::AlterContextResponse: {
      auto body = decodeBindAck(in);
      if (!body) return Result::failure(DecodeError::BadBody);
      pdu.body = std::move(*body);
      break;
    }
    case PduType::BindNak: {
      auto body = decodeBindNak(in);
      if (!body) return Result::failure(DecodeError::BadBody);
      pdu.body = std::move(*body);
      break;
    }
    case PduType::Auth3:
    case PduType::Shutdown:
    case PduType::CoCancel:
    case PduType::Orphaned:
      pdu.body = EmptyBody{};
      break;
  }
  return Result{std::move(pdu), DecodeError::Truncated};
}

ProtectionLayout protectionLayout(const Pdu& pdu) {
  ProtectionLayout layout;
  layout.stubOffset = pdu.stubOffset;
  layout.stubAndPadLength = pdu.stubAndPadLength;
  if (pdu.auth) {
    layout.trailerOffset = pdu.auth->trailerOffset;
    layout.signatureOffset = pdu.auth->trailerOffset + kSecTrailerSize;
    layout.signatureLength = pdu.auth->value.size();
  }
  return layout;
}

}  // namespace rpc
