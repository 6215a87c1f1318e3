#pragma once
// What an interface handler sees of a call and what it returns. Handlers run
// on the runtime's worker threads, possibly several at once (calls on one
// connection and across connections), so they must be thread-safe.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "rpc/uuid.h"

namespace rpc {

enum class AuthLevel : uint8_t {
  Default = 0,
  None = 1,
  Connect = 2,
  Call = 3,
  Packet = 4,
  PacketIntegrity = 5,
  PacketPrivacy = 6,
};

const char* toString(AuthLevel level);

// Who is calling. Unauthenticated calls have level None and no names.
struct SecurityContext {
  AuthLevel level = AuthLevel::None;
  bool authenticated = false;
  std::string user;  // UTF-8, as the client sent it
  std::string domain;
};

struct CallContext {
  SyntaxId interfaceId;        // abstract syntax of the presentation context
  uint16_t opnum = 0;
  std::optional<Uuid> object;  // the request's object UUID (DCOM: the IPID)
  SecurityContext security;
  uint32_t associationGroup = 0;
  uint64_t connectionId = 0;   // unique per connection in this process
  std::string localAddress;    // the address the client reached, e.g. "127.0.0.1"
  uint16_t localPort = 0;
  std::string peerAddress;
};

// Fault statuses of the runtime, also for handlers.
inline constexpr uint32_t kFaultOpRangeError = 0x1C010002;
inline constexpr uint32_t kFaultUnknownInterface = 0x1C010003;
inline constexpr uint32_t kFaultProtocolError = 0x1C01000B;
inline constexpr uint32_t kFaultServerTooBusy = 0x1C010014;
inline constexpr uint32_t kFaultUnsupportedType = 0x1C010017;
inline constexpr uint32_t kFaultBadStubData = 0x000006F7;
inline constexpr uint32_t kFaultAccessDenied = 0x00000005;

struct CallResult {
  uint32_t faultStatus = 0;   // 0: `stub` is the response; otherwise a fault with this status
  std::vector<uint8_t> stub;  // NDR 2.0, little-endian

  static CallResult fault(uint32_t status) { return CallResult{status, {}}; }
  static CallResult response(std::vector<uint8_t> stub) { return CallResult{0, std::move(stub)}; }
};

// The stub is the whole, unsealed request stub without auth padding; it may
// carry bytes after the last parameter, which a handler ignores.
class InterfaceHandler {
public:
  virtual ~InterfaceHandler() = default;
  virtual CallResult call(const CallContext& context, std::span<const uint8_t> stub) = 0;
};

}  // namespace rpc
