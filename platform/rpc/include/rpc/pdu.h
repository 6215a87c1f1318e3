#pragma once
// The PDUs of connection-oriented DCE/RPC: their decoded form, one decoder for
// a whole PDU and encoders for every type. The decoder reads only the bytes it
// is given and reports a malformed PDU as an error value; the decoded form
// refers into the caller's buffer, which must outlive it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "rpc/uuid.h"

namespace rpc {

enum class PduType : uint8_t {
  Request = 0,
  Response = 2,
  Fault = 3,
  Bind = 11,
  BindAck = 12,
  BindNak = 13,
  AlterContext = 14,
  AlterContextResponse = 15,
  Auth3 = 16,
  Shutdown = 17,
  CoCancel = 18,
  Orphaned = 19,
};

// pfc_flags bits.
namespace pfc {
inline constexpr uint8_t kFirstFragment = 0x01;
inline constexpr uint8_t kLastFragment = 0x02;
inline constexpr uint8_t kPendingCancel = 0x04;  // request, response
inline constexpr uint8_t kSupportHeaderSign = 0x04;  // bind, alter_context and their answers
inline constexpr uint8_t kConcurrentMultiplex = 0x10;
inline constexpr uint8_t kDidNotExecute = 0x20;
inline constexpr uint8_t kMaybe = 0x40;
inline constexpr uint8_t kObjectUuid = 0x80;
}  // namespace pfc

inline constexpr size_t kHeaderSize = 16;
inline constexpr size_t kSecTrailerSize = 8;
// Every receiver takes fragments of at least this size.
inline constexpr uint16_t kMinimumFragmentSize = 1432;
// Little-endian integers, ASCII characters, IEEE floats: the only data
// representation this runtime speaks.
inline constexpr uint32_t kLittleEndianDrep = 0x00000010;

struct Header {
  uint8_t versionMinor = 0;
  PduType type = PduType::Request;
  uint8_t flags = pfc::kFirstFragment | pfc::kLastFragment;
  uint32_t drep = kLittleEndianDrep;
  uint16_t fragLength = 0;
  uint16_t authLength = 0;
  uint32_t callId = 0;
};

// The sec_trailer before the auth_value.
struct SecTrailer {
  uint8_t authType = 0;
  uint8_t authLevel = 0;
  uint8_t padLength = 0;
  uint8_t reserved = 0;
  uint32_t contextId = 0;
};

struct ContextElement {
  uint16_t contextId = 0;
  SyntaxId abstractSyntax;
  std::vector<SyntaxId> transferSyntaxes;
};

// bind and alter_context.
struct BindBody {
  uint16_t maxXmitFrag = 0;
  uint16_t maxRecvFrag = 0;
  uint32_t assocGroupId = 0;
  std::vector<ContextElement> contexts;
};

enum class ContextResultCode : uint16_t {
  Acceptance = 0,
  UserRejection = 1,
  ProviderRejection = 2,
  NegotiateAck = 3,
};

enum class ProviderReason : uint16_t {
  NotSpecified = 0,
  AbstractSyntaxNotSupported = 1,
  TransferSyntaxesNotSupported = 2,
  LocalLimitExceeded = 3,
};

struct ContextResult {
  ContextResultCode result = ContextResultCode::Acceptance;
  uint16_t reason = 0;
  SyntaxId transferSyntax;
};

// bind_ack and alter_context_resp.
struct BindAckBody {
  uint16_t maxXmitFrag = 0;
  uint16_t maxRecvFrag = 0;
  uint32_t assocGroupId = 0;
  std::string secondaryAddress;  // without the terminating NUL
  std::vector<ContextResult> results;
};

enum class BindNakReason : uint16_t {
  NotSpecified = 0,
  TemporaryCongestion = 1,
  LocalLimitExceeded = 2,
  ProtocolVersionNotSupported = 4,
  AuthenticationTypeNotRecognized = 8,
  InvalidChecksum = 9,
};

struct BindNakBody {
  BindNakReason reason = BindNakReason::NotSpecified;
  std::vector<std::pair<uint8_t, uint8_t>> versions;  // (major, minor)
};

struct RequestBody {
  uint32_t allocHint = 0;
  uint16_t contextId = 0;
  uint16_t opnum = 0;
  std::optional<Uuid> object;
  std::span<const uint8_t> stub;
};

struct ResponseBody {
  uint32_t allocHint = 0;
  uint16_t contextId = 0;
  uint8_t cancelCount = 0;
  std::span<const uint8_t> stub;
};

struct FaultBody {
  uint32_t allocHint = 0;
  uint16_t contextId = 0;
  uint8_t cancelCount = 0;
  uint32_t status = 0;
};

// auth3 carries only its 4 pad bytes before the trailer; shutdown, co_cancel
// and orphaned have no body the server needs.
struct EmptyBody {};

using Body = std::variant<EmptyBody, BindBody, BindAckBody, BindNakBody, RequestBody, ResponseBody,
                          FaultBody>;

struct AuthVerifier {
  SecTrailer trailer;
  std::span<const uint8_t> value;
  size_t trailerOffset = 0;  // offset of the sec_trailer in the PDU
};

struct Pdu {
  Header header;
  Body body;
  std::optional<AuthVerifier> auth;
  // For request and response: where the stub and the auth pad after it lie in
  // the PDU. Privacy protects exactly these bytes.
  size_t stubOffset = 0;
  size_t stubAndPadLength = 0;
};

enum class DecodeError {
  Truncated,             // fewer bytes than the header or frag_length says
  BadVersion,            // not protocol 5.0/5.1
  UnsupportedDataRepresentation,
  BadFragmentLength,     // frag_length below the header or above the bytes given
  BadAuthLength,         // verifier does not fit into the PDU
  BadBody,               // body fields inconsistent with the PDU size
  UnknownType,
};

const char* toString(DecodeError error);

template <typename T>
struct Decoded {
  std::optional<T> value;
  DecodeError error = DecodeError::Truncated;

  explicit operator bool() const { return value.has_value(); }
  static Decoded failure(DecodeError e) { return Decoded{std::nullopt, e}; }
};

// Reads the common header of a PDU at the start of `bytes` (at least 16
// bytes), checking version, data representation and that frag_length covers
// at least the header. A stream reader uses it to learn how much to read.
Decoded<Header> decodeHeader(std::span<const uint8_t> bytes);

// Decodes one whole PDU; `bytes` must hold exactly frag_length bytes.
Decoded<Pdu> decodePdu(std::span<const uint8_t> bytes);

// What the encoders put after the body when a PDU is authenticated. The
// auth_value is `value` as given, or `valueLength` zero bytes to be filled in
// later (a signature).
struct VerifierSpec {
  SecTrailer trailer;
  std::span<const uint8_t> value;
  size_t valueLength = 0;  // used when value is empty
};

// The layout of an authenticated PDU that a security provider needs to sign
// or seal it in place.
struct ProtectionLayout {
  size_t stubOffset = 0;
  size_t stubAndPadLength = 0;
  size_t trailerOffset = 0;
  size_t signatureOffset = 0;
  size_t signatureLength = 0;
};
ProtectionLayout protectionLayout(const Pdu& pdu);

// Encodes a PDU of the header's type with the given body; fills in
// frag_length, auth_length and the trailer's pad length. Request and response
// stubs are padded to 16 bytes from the stub start when a verifier follows,
// other bodies to 4. `layout`, when given, receives where the protected parts
// ended up.
std::vector<uint8_t> encodePdu(const Header& header, const Body& body,
                               const std::optional<VerifierSpec>& verifier = std::nullopt,
                               ProtectionLayout* layout = nullptr);
// The same, appended to `bytes`; the layout counts from the PDU's first
// byte. Returns the PDU's length.
size_t appendPdu(std::vector<uint8_t>& bytes, const Header& header, const Body& body,
                 const std::optional<VerifierSpec>& verifier = std::nullopt, ProtectionLayout* layout = nullptr);

// A request or response PDU whose stub is sent from where it lies: what
// precedes the stub (headLength bytes) and what follows it (tailLength:
// padding, sec_trailer, room for the signature) are appended to `bytes`
// one after the other. The layout counts from the PDU's first byte as if
// it were whole. For other PDUs the whole PDU is the head.
struct PduFrame {
  size_t headLength = 0;
  size_t tailLength = 0;
};
PduFrame appendPduFrame(std::vector<uint8_t>& bytes, const Header& header, const Body& body,
                        const std::optional<VerifierSpec>& verifier = std::nullopt,
                        ProtectionLayout* layout = nullptr);

// Bytes of a request or response PDU before its stub, so that a sender can
// split a stub into fragments of at most a negotiated size.
size_t stubHeaderSize(PduType type, bool hasObject);

}  // namespace rpc
