#pragma once
// The protocol state of one connection, without any I/O: PDUs from the client
// go in, PDUs to send and calls to run come out. The server runtime drives it
// from a socket; the tests drive it from the captures.
//
// Threads: receive() is called by one thread at a time (the connection's
// reader). respond() may run on other threads, but calls of it must be
// serialised with each other and in the order their PDUs are sent, since
// signing and sealing number the messages.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "association_groups.h"
#include "ntlm/acceptor.h"
#include "ntlm/session.h"
#include "rpc/call.h"
#include "rpc/pdu.h"
#include "rpc/reassembly.h"
#include "rpc/settings.h"

namespace rpc::detail {

struct ConnectionInfo {
  uint64_t id = 0;
  std::string localAddress;
  uint16_t localPort = 0;
  std::string peerAddress;
};

// What the server lends every connection.
struct Environment {
  ServerSettings settings;
  std::function<std::shared_ptr<InterfaceHandler>(const SyntaxId&)> resolve;
  std::function<std::shared_ptr<const ntlm::CredentialStore>()> credentials;
  ntlm::AcceptorSettings acceptor;  // names; challenge and clock sources for tests
  AssociationGroups* groups = nullptr;
  std::function<void(const std::string&)> log;
};

// One security context (per auth_context_id) of a connection.
struct AuthContext {
  enum class State { Negotiating, Established, Failed };
  uint32_t contextId = 0;
  uint8_t authType = 0;
  AuthLevel level = AuthLevel::None;
  State state = State::Negotiating;
  std::unique_ptr<ntlm::Acceptor> acceptor;
  std::unique_ptr<ntlm::Session> session;
  SecurityContext security;
};

struct ReadyCall {
  uint32_t callId = 0;
  uint16_t contextId = 0;
  std::shared_ptr<InterfaceHandler> handler;
  std::shared_ptr<AuthContext> auth;  // null when the call carried no protection
  AuthLevel level = AuthLevel::None;
  CallContext context;
  std::vector<uint8_t> stub;
};

class Association {
public:
  Association(const Environment& environment, ConnectionInfo connection);
  ~Association();

  struct Step {
    std::vector<std::vector<uint8_t>> replies;  // to send now, in order
    std::vector<ReadyCall> calls;               // to run
    bool close = false;                         // close after sending the replies
  };

  // Processes one whole PDU from the client (frag_length bytes).
  Step receive(std::span<const uint8_t> bytes);
  // Writes the pieces given to the connection, in order, as one write;
  // false when it failed.
  using Sender = std::function<bool(std::span<const std::span<const uint8_t>>)>;
  // Sends the PDUs that answer a call, signed or sealed as the call was, in
  // one or more batches of whole PDUs. False when a send failed (the rest
  // is not sent).
  bool respond(const ReadyCall& call, const CallResult& result, const Sender& send);
  // A fault for a call that never reached its handler.
  std::vector<uint8_t> fault(uint32_t callId, uint16_t contextId, uint32_t status, bool didNotExecute) const;

  // The largest fragment the client may send now.
  uint16_t maxReceiveFragment() const;
  // True while the connection has not bound or an NTLM handshake is open.
  bool awaitingHandshake() const;
  // True when the client announced at bind that it may send a call before
  // the answer to the previous one (concurrent multiplexing).
  bool multiplexed() const { return multiplexed_; }
  const ConnectionInfo& connection() const { return connection_; }

private:
  struct PresentationContext {
    SyntaxId abstractSyntax;
    std::shared_ptr<InterfaceHandler> handler;
  };

  Step onBind(const Pdu& pdu, std::span<const uint8_t> bytes);
  Step onAuth3(const Pdu& pdu);
  Step onRequest(const Pdu& pdu, std::span<const uint8_t> bytes);
  std::vector<ContextResult> negotiateContexts(const BindBody& body);
  // Runs the NTLM leg a bind or alter_context carries; the token to return,
  // or nothing (with `refused` set when the leg is unacceptable).
  std::optional<std::vector<uint8_t>> authLeg(const AuthVerifier& verifier, bool& refused);
  void log(const std::string& text) const;
  std::string peer() const;

  const Environment& environment_;
  ConnectionInfo connection_;
  bool bound_ = false;
  bool multiplexed_ = false;
  uint32_t group_ = 0;
  uint16_t maxXmit_ = 0;
  uint16_t maxRecv_ = 0;
  std::map<uint16_t, PresentationContext> contexts_;
  std::map<uint32_t, std::shared_ptr<AuthContext>> auth_;
  Reassembler reassembler_;
  // Calls refused on an earlier fragment whose remaining fragments are dropped.
  std::set<uint32_t> discarding_;
};

}  // namespace rpc::detail
