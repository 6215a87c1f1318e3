#pragma once
// The DCE/RPC client runtime over TCP: one connection to one server endpoint,
// presentation contexts bound on first use (bind, then alter_context), NTLMv2
// authentication with a MIC, signed or sealed requests split into fragments
// of the negotiated size, and responses reassembled and checked. Every wait
// is bounded by the settings' time-outs, so a server that stops answering
// ends a call with a status instead of a hang.

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ntlm/crypto.h"
#include "rpc/call.h"
#include "rpc/uuid.h"

namespace rpc {

// Who the client logs on as.
struct ClientIdentity {
  std::u16string user;
  std::u16string domain;
  ntlm::Digest ntHash{};
};

struct ClientSettings {
  // None sends no verifier at all; Connect authenticates the connection only;
  // PacketIntegrity signs every request and response, PacketPrivacy also
  // encrypts them. NTLMv1 is never offered.
  AuthLevel level = AuthLevel::PacketIntegrity;
  ClientIdentity identity;
  std::u16string workstation = u"VELMORA";
  std::chrono::milliseconds connectTimeout{5000};
  // The longest a call (sending the request and receiving all of the
  // answer) may take before the connection is given up.
  std::chrono::milliseconds callTimeout{30000};
  uint16_t maxFragmentSize = 5840;
};

enum class ClientStatus {
  Ok,
  Unreachable,       // no connection to the endpoint (refused, no route, name unknown)
  TimedOut,          // connecting or a call took longer than its time-out
  Disconnected,      // the server closed the connection or sent shutdown
  AccessDenied,      // logon refused, or the server answered with access denied
  UnknownInterface,  // the server does not offer the interface
  Fault,             // the server answered with a fault; see faultStatus
  ProtocolError,     // an answer that does not parse or whose signature is wrong
};

const char* toString(ClientStatus status);

struct ClientCallResult {
  ClientStatus status = ClientStatus::Ok;
  uint32_t faultStatus = 0;    // of a Fault
  std::vector<uint8_t> stub;   // the response stub of an Ok call
};

// Bytes every client connection of the process has sent and received so
// far, for measurements.
struct ClientTraffic {
  uint64_t sent = 0;
  uint64_t received = 0;
};
ClientTraffic clientTraffic();

class ClientConnection {
public:
  ~ClientConnection();
  ClientConnection(const ClientConnection&) = delete;
  ClientConnection& operator=(const ClientConnection&) = delete;

  struct Connected {
    std::unique_ptr<ClientConnection> connection;
    ClientStatus status = ClientStatus::Ok;
  };
  // Opens a TCP connection to host (a numeric address or a name the system
  // resolves) and port. Nothing is sent until the first call.
  static Connected connect(const std::string& host, uint16_t port, ClientSettings settings);

  // Calls opnum of the interface (bound on first use). One call runs at a
  // time on a connection; concurrent callers wait for each other. After a
  // time-out, a disconnect or a protocol error the connection is closed and
  // every later call fails with Disconnected.
  ClientCallResult call(const SyntaxId& interfaceId, uint16_t opnum, std::span<const uint8_t> stub,
                        std::optional<Uuid> object = std::nullopt);

  // Closes the connection from any thread; a call under way ends with
  // Disconnected.
  void abort();
  bool usable() const;
  // The address the connection reached (numeric), as DCOM bindings name it.
  const std::string& peerAddress() const { return peerAddress_; }

private:
  struct Impl;
  explicit ClientConnection(std::unique_ptr<Impl> impl, std::string peerAddress);

  std::unique_ptr<Impl> impl_;
  std::string peerAddress_;
};

}  // namespace rpc
