#include "association.h"

#include <algorithm>
#include <cstdio>

namespace rpc::detail {
namespace {

constexpr uint8_t kAuthTypeNtlm = 10;
constexpr uint8_t kAuthTypeDefault = 0xFF;  // the server's choice, which is NTLM
constexpr size_t kMaxPresentationContexts = 1024;
// Some clients log on afresh with every alter_context, also when they switch
// back to an interface bound before, so a long session holds many contexts.
constexpr size_t kMaxAuthContexts = 256;
constexpr size_t kSignatureSize = 16;

std::string hex32(uint32_t value) {
  char text[12];
  std::snprintf(text, sizeof text, "0x%08x", value);
  return text;
}

uint32_t tokenType(std::span<const uint8_t> token) {
  if (token.size() < 12) return 0;
  return uint32_t{token[8]} | (uint32_t{token[9]} << 8) | (uint32_t{token[10]} << 16) | (uint32_t{token[11]} << 24);
}

// Levels between CONNECT and PKT_INTEGRITY protect nothing more than
// CONNECT on a connection, so they are raised to the next level that does.
AuthLevel effectiveLevel(uint8_t level) {
  if (level <= static_cast<uint8_t>(AuthLevel::None)) return AuthLevel::None;
  if (level == static_cast<uint8_t>(AuthLevel::Connect)) return AuthLevel::Connect;
  if (level >= static_cast<uint8_t>(AuthLevel::PacketPrivacy)) return AuthLevel::PacketPrivacy;
  return AuthLevel::PacketIntegrity;
}

}  // namespace


Association::Association(const Environment& environment, ConnectionInfo connection)
    : environment_(environment),
      connection_(std::move(connection)),
      reassembler_(environment.settings.maxReassembledSize, environment.settings.maxPendingCalls) {}

Association::~Association() {
  if (group_ != 0 && environment_.groups) environment_.groups->leave(group_);
}

void Association::log(const std::string& text) const {
  if (environment_.log) environment_.log(peer() + ": " + text);
}

std::string Association::peer() const { return "connection " + std::to_string(connection_.id) + " from " + connection_.peerAddress; }

uint16_t Association::maxReceiveFragment() const {
  if (bound_) return maxRecv_;
  return std::max(environment_.settings.maxFragmentSize, kMinimumFragmentSize);
}

bool Association::awaitingHandshake() const {
  if (!bound_) return true;
  return std::any_of(auth_.begin(), auth_.end(),
                     [](const auto& entry) { return entry.second->state == AuthContext::State::Negotiating; });
}

std::vector<uint8_t> Association::fault(uint32_t callId, uint16_t contextId, uint32_t status,
                                        bool didNotExecute) const {
  Header header;
  header.type = PduType::Fault;
  header.callId = callId;
  header.flags = pfc::kFirstFragment | pfc::kLastFragment | (didNotExecute ? pfc::kDidNotExecute : 0);
  FaultBody body;
  body.contextId = contextId;
  body.status = status;
  return encodePdu(header, body);
}

Association::Step Association::receive(std::span<const uint8_t> bytes) {
  Step step;
  auto decoded = decodePdu(bytes);
  if (!decoded) {
    log(std::string("malformed PDU (") + toString(decoded.error) + "), closing");
    auto header = decodeHeader(bytes);
    if (header) step.replies.push_back(fault(header.value->callId, 0, kFaultProtocolError, true));
    step.close = true;
    return step;
  }
  const Pdu& pdu = *decoded.value;
  if (pdu.header.fragLength > maxReceiveFragment()) {
    log("fragment of " + std::to_string(pdu.header.fragLength) + " bytes above the negotiated size, closing");
    step.replies.push_back(fault(pdu.header.callId, 0, kFaultProtocolError, true));
    step.close = true;
    return step;
  }
  switch (pdu.header.type) {
    case PduType::Bind:
    case PduType::AlterContext:
      return onBind(pdu, bytes);
    case PduType::Auth3:
      return onAuth3(pdu);
    case PduType::Request:
      return onRequest(pdu, bytes);
    case PduType::Orphaned:
      reassembler_.abandon(pdu.header.callId);
      discarding_.erase(pdu.header.callId);
      return step;
    case PduType::CoCancel:
      // Calls run to completion; the cancel is noted and the answer still goes out.
      return step;
    default:
      log("unexpected PDU type " + std::to_string(static_cast<int>(pdu.header.type)) + " from a client, closing");
      step.replies.push_back(fault(pdu.header.callId, 0, kFaultProtocolError, true));
      step.close = true;
      return step;
  }
}

std::vector<ContextResult> Association::negotiateContexts(const BindBody& body) {
  std::vector<ContextResult> results;
  for (const auto& element : body.contexts) {
    ContextResult result;
    result.result = ContextResultCode::ProviderRejection;
    auto feature = std::find_if(element.transferSyntaxes.begin(), element.transferSyntaxes.end(),
                                isBindTimeFeatureSyntax);
    if (feature != element.transferSyntaxes.end()) {
      // Of the features a client may offer, this server keeps the connection
      // when a call is orphaned; it does not multiplex security contexts.
      constexpr uint8_t kKeepConnectionOnOrphan = 0x02;
      result.result = ContextResultCode::NegotiateAck;
      result.reason = feature->uuid.bytes[8] & kKeepConnectionOnOrphan;
      results.push_back(result);
      continue;
    }
    bool hasNdr = std::find(element.transferSyntaxes.begin(), element.transferSyntaxes.end(), ndr20Syntax()) !=
                  element.transferSyntaxes.end();
    auto existing = contexts_.find(element.contextId);
    std::shared_ptr<InterfaceHandler> handler =
        environment_.resolve ? environment_.resolve(element.abstractSyntax) : nullptr;
    if (!handler) {
      result.reason = static_cast<uint16_t>(ProviderReason::AbstractSyntaxNotSupported);
    } else if (!hasNdr) {
      result.reason = static_cast<uint16_t>(ProviderReason::TransferSyntaxesNotSupported);
    } else if (existing != contexts_.end() && existing->second.abstractSyntax != element.abstractSyntax) {
      // A context id keeps the syntax it was first bound to.
      result.reason = static_cast<uint16_t>(ProviderReason::NotSpecified);
    } else if (existing == contexts_.end() && contexts_.size() >= kMaxPresentationContexts) {
      result.reason = static_cast<uint16_t>(ProviderReason::LocalLimitExceeded);
    } else {
      result.result = ContextResultCode::Acceptance;
      result.transferSyntax = ndr20Syntax();
      contexts_[element.contextId] = {element.abstractSyntax, std::move(handler)};
    }
    log(std::string(result.result == ContextResultCode::Acceptance ? "bound " : "refused ") +
        element.abstractSyntax.uuid.toString() + " v" + std::to_string(element.abstractSyntax.major) + "." +
        std::to_string(element.abstractSyntax.minor) + " as context " + std::to_string(element.contextId));
    results.push_back(result);
  }
  return results;
}

std::optional<std::vector<uint8_t>> Association::authLeg(const AuthVerifier& verifier, bool& refused) {
  refused = false;
  const SecTrailer& trailer = verifier.trailer;
  if (trailer.authType != kAuthTypeNtlm && trailer.authType != kAuthTypeDefault) {
    log("authentication type " + std::to_string(trailer.authType) + " not supported");
    refused = true;
    return std::nullopt;
  }
  uint32_t type = tokenType(verifier.value);
  auto found = auth_.find(trailer.contextId);
  if (type == 3 && found != auth_.end() && found->second->state == AuthContext::State::Negotiating) {
    // The third leg inside an alter_context instead of an auth3.
    Pdu auth3;
    auth3.auth = verifier;
    onAuth3(auth3);
    return std::vector<uint8_t>{};
  }
  if (type != 1) {
    // An alter_context may repeat the verifier of an established context;
    // there is nothing to answer then.
    if (found != auth_.end() && found->second->state == AuthContext::State::Established) {
      return std::vector<uint8_t>{};
    }
    log("unexpected NTLM message in a bind");
    refused = true;
    return std::nullopt;
  }
  if (found == auth_.end() && auth_.size() >= kMaxAuthContexts) {
    log("too many security contexts on one connection");
    refused = true;
    return std::nullopt;
  }
  auto context = std::make_shared<AuthContext>();
  context->contextId = trailer.contextId;
  context->authType = trailer.authType;
  context->level = effectiveLevel(trailer.authLevel);
  ntlm::AcceptorSettings settings = environment_.acceptor;
  settings.allowNtlmV1 = environment_.settings.allowNtlmV1;
  settings.requireMic = environment_.settings.requireMic;
  context->acceptor = std::make_unique<ntlm::Acceptor>(
      settings, environment_.credentials ? environment_.credentials() : nullptr);
  auto challenge = context->acceptor->negotiate(verifier.value);
  if (!challenge) {
    log(std::string("NTLM negotiation refused: ") + ntlm::toString(context->acceptor->status()));
    refused = true;
    return std::nullopt;
  }
  // A new handshake on a context id replaces the old context: later
  // requests with that id use the new keys.
  auth_[trailer.contextId] = std::move(context);
  return challenge;
}

Association::Step Association::onBind(const Pdu& pdu, std::span<const uint8_t>) {
  Step step;
  const auto& body = std::get<BindBody>(pdu.body);
  bool isBind = pdu.header.type == PduType::Bind;
  auto nak = [&](BindNakReason reason) {
    Header header;
    header.type = PduType::BindNak;
    header.callId = pdu.header.callId;
    step.replies.push_back(encodePdu(header, BindNakBody{reason, {{5, 0}, {5, 1}}}));
    return step;
  };

  if (isBind) {
    if (bound_) {
      log("second bind on one connection refused");
      return nak(BindNakReason::NotSpecified);
    }
    if (body.maxRecvFrag < kMinimumFragmentSize || body.maxXmitFrag < kMinimumFragmentSize) {
      log("bind with fragments below " + std::to_string(kMinimumFragmentSize) + " bytes refused");
      return nak(BindNakReason::LocalLimitExceeded);
    }
    if (body.assocGroupId == 0) {
      group_ = environment_.groups->create();
    } else if (environment_.groups->join(body.assocGroupId)) {
      group_ = body.assocGroupId;
    } else {
      log("bind to unknown association group " + hex32(body.assocGroupId) + " refused");
      return nak(BindNakReason::NotSpecified);
    }
    multiplexed_ = pdu.header.flags & pfc::kConcurrentMultiplex;
    uint16_t own = std::max(environment_.settings.maxFragmentSize, kMinimumFragmentSize);
    maxXmit_ = std::min(body.maxRecvFrag, own);
    maxRecv_ = std::min(body.maxXmitFrag, own);
  } else if (!bound_) {
    log("alter_context before bind, closing");
    step.replies.push_back(fault(pdu.header.callId, 0, kFaultProtocolError, true));
    step.close = true;
    return step;
  }

  std::optional<std::vector<uint8_t>> token;
  if (pdu.auth) {
    bool refused = false;
    token = authLeg(*pdu.auth, refused);
    if (refused) {
      if (isBind) {
        environment_.groups->leave(group_);
        group_ = 0;
        return nak(BindNakReason::AuthenticationTypeNotRecognized);
      }
      step.replies.push_back(fault(pdu.header.callId, 0, kFaultAccessDenied, true));
      return step;
    }
  }

  Header header;
  header.type = isBind ? PduType::BindAck : PduType::AlterContextResponse;
  header.versionMinor = pdu.header.versionMinor;
  if (multiplexed_) header.flags |= pfc::kConcurrentMultiplex;
  // Signatures always cover the header, which is what a client asking for
  // header signing wants to hear.
  if (pdu.header.flags & pfc::kSupportHeaderSign) header.flags |= pfc::kSupportHeaderSign;
  header.callId = pdu.header.callId;
  BindAckBody ack;
  ack.maxXmitFrag = maxXmit_;
  ack.maxRecvFrag = maxRecv_;
  ack.assocGroupId = group_;
  ack.secondaryAddress = std::to_string(connection_.localPort);
  ack.results = negotiateContexts(body);
  std::optional<VerifierSpec> verifier;
  if (token && !token->empty()) {
    SecTrailer trailer = pdu.auth->trailer;
    trailer.padLength = 0;
    verifier = VerifierSpec{trailer, *token, 0};
  }
  step.replies.push_back(encodePdu(header, ack, verifier));
  bound_ = true;
  return step;
}

Association::Step Association::onAuth3(const Pdu& pdu) {
  Step step;
  if (!pdu.auth) {
    log("auth3 without a verifier ignored");
    return step;
  }
  auto found = auth_.find(pdu.auth->trailer.contextId);
  if (found == auth_.end() || found->second->state != AuthContext::State::Negotiating) {
    log("auth3 for no open NTLM handshake ignored");
    return step;
  }
  AuthContext& context = *found->second;
  auto result = context.acceptor->authenticate(pdu.auth->value);
  context.acceptor.reset();
  if (result.status != ntlm::AuthStatus::Success) {
    context.state = AuthContext::State::Failed;
    log("authentication of " + result.domain + "\\" + result.user + " failed: " + ntlm::toString(result.status));
    return step;
  }
  bool canSign = result.flags & ntlm::flags::kSign;
  bool canSeal = result.flags & ntlm::flags::kSeal;
  if ((context.level == AuthLevel::PacketIntegrity && !canSign) ||
      (context.level == AuthLevel::PacketPrivacy && !canSeal)) {
    context.state = AuthContext::State::Failed;
    log("authentication of " + result.domain + "\\" + result.user + " failed: level " + toString(context.level) +
        " without the NTLM flags it needs");
    return step;
  }
  // Signing and sealing keys below 128 bits are not worth their name.
  if (context.level >= AuthLevel::PacketIntegrity && !(result.flags & ntlm::flags::k128)) {
    context.state = AuthContext::State::Failed;
    log("authentication of " + result.domain + "\\" + result.user + " failed: keys below 128 bits");
    return step;
  }
  context.session = std::make_unique<ntlm::Session>(result.exportedSessionKey, result.flags);
  context.security.authenticated = true;
  context.security.user = result.user;
  context.security.domain = result.domain;
  context.security.level = context.level;
  context.state = AuthContext::State::Established;
  log("authenticated " + result.domain + "\\" + result.user + (result.ntlmV2 ? " (NTLMv2" : " (NTLMv1") +
      ", level " + toString(context.level) + ")");
  return step;
}

Association::Step Association::onRequest(const Pdu& pdu, std::span<const uint8_t> bytes) {
  Step step;
  const auto& request = std::get<RequestBody>(pdu.body);
  uint32_t callId = pdu.header.callId;
  bool last = pdu.header.flags & pfc::kLastFragment;

  if (!bound_) {
    log("request before bind, closing");
    step.replies.push_back(fault(callId, request.contextId, kFaultProtocolError, true));
    step.close = true;
    return step;
  }
  if (discarding_.count(callId) != 0) {
    if (last) discarding_.erase(callId);
    return step;
  }
  // Refuses the call on this fragment and drops the rest of its fragments.
  auto refuse = [&](uint32_t status, const std::string& why) {
    log("call " + std::to_string(callId) + " opnum " + std::to_string(request.opnum) + " refused (" + why +
        "), fault " + hex32(status));
    reassembler_.abandon(callId);
    if (!last) {
      if (discarding_.size() >= environment_.settings.maxPendingCalls) {
        step.close = true;
      } else {
        discarding_.insert(callId);
      }
    }
    step.replies.push_back(fault(callId, request.contextId, status, true));
    return step;
  };

  // Security first: a request that fails its signature must not reach any
  // other state.
  std::shared_ptr<AuthContext> auth;
  AuthLevel level = AuthLevel::None;
  std::vector<uint8_t> unsealed;
  std::span<const uint8_t> stub = request.stub;
  if (pdu.auth) {
    auto found = auth_.find(pdu.auth->trailer.contextId);
    if (found == auth_.end() || found->second->state != AuthContext::State::Established) {
      return refuse(kFaultAccessDenied, "no established security context");
    }
    auth = found->second;
    level = auth->level;
    if (effectiveLevel(pdu.auth->trailer.authLevel) != level) {
      return refuse(kFaultAccessDenied, "protection level differs from the bind");
    }
    if (level >= AuthLevel::PacketIntegrity) {
      auto layout = protectionLayout(pdu);
      if (layout.signatureLength != kSignatureSize) {
        step.close = true;
        return refuse(kFaultAccessDenied, "bad signature length");
      }
      unsealed.assign(bytes.begin(), bytes.end());
      if (level == AuthLevel::PacketPrivacy) {
        auth->session->unseal(std::span(unsealed).subspan(layout.stubOffset, layout.stubAndPadLength));
      }
      bool valid = auth->session->verify(std::span(unsealed).first(layout.signatureOffset),
                                         std::span(unsealed).subspan(layout.signatureOffset));
      if (!valid) {
        // The message numbers and key streams are out of step now; nothing
        // more can be read from this connection.
        step.close = true;
        return refuse(kFaultAccessDenied, "signature does not verify");
      }
      stub = std::span<const uint8_t>(unsealed).subspan(pdu.stubOffset, request.stub.size());
    }
  } else {
    // With one CONNECT-level context the client may leave the verifier off.
    for (const auto& [id, context] : auth_) {
      if (context->state == AuthContext::State::Established && context->level == AuthLevel::Connect) {
        auth = context;
        level = AuthLevel::Connect;
        break;
      }
    }
  }
  if (level < environment_.settings.minimumLevel) {
    return refuse(kFaultAccessDenied, std::string("level ") + toString(level) + " below the minimum " +
                                          toString(environment_.settings.minimumLevel));
  }
  auto context = contexts_.find(request.contextId);
  if (context == contexts_.end()) {
    return refuse(kFaultUnknownInterface, "presentation context " + std::to_string(request.contextId) + " not bound");
  }

  auto assembled = reassembler_.add(pdu.header, request, stub);
  switch (assembled.status) {
    case ReassemblyStatus::NeedMore:
      return step;
    case ReassemblyStatus::ProtocolError:
      return refuse(kFaultProtocolError, "fragment out of order");
    case ReassemblyStatus::TooLarge:
      return refuse(kFaultServerTooBusy, "call larger than " + std::to_string(environment_.settings.maxReassembledSize) +
                                             " bytes");
    case ReassemblyStatus::TooManyCalls:
      return refuse(kFaultServerTooBusy, "too many calls in progress");
    case ReassemblyStatus::Complete:
      break;
  }
  ReadyCall call;
  call.callId = callId;
  call.contextId = request.contextId;
  call.handler = context->second.handler;
  call.auth = auth;
  call.level = level;
  call.context.interfaceId = context->second.abstractSyntax;
  call.context.opnum = request.opnum;
  call.context.object = assembled.call->object;
  if (auth) call.context.security = auth->security;
  call.context.security.level = level;
  call.context.associationGroup = group_;
  call.context.connectionId = connection_.id;
  call.context.localAddress = connection_.localAddress;
  call.context.localPort = connection_.localPort;
  call.context.peerAddress = connection_.peerAddress;
  call.stub = std::move(assembled.call->stub);
  step.calls.push_back(std::move(call));
  return step;
}

bool Association::respond(const ReadyCall& call, const CallResult& result, const Sender& send) {
  if (result.faultStatus != 0) {
    log("call " + std::to_string(call.callId) + " opnum " + std::to_string(call.context.opnum) + " fault " +
        hex32(result.faultStatus));
    const std::vector<uint8_t> bytes = fault(call.callId, call.contextId, result.faultStatus, false);
    const std::span<const uint8_t> whole(bytes);
    return send(std::span(&whole, 1));
  }
  const bool protect = call.auth && call.level >= AuthLevel::PacketIntegrity;
  const bool seal = protect && call.level == AuthLevel::PacketPrivacy;
  // Room for the stub in one fragment; protected fragments keep their stubs
  // a multiple of 16 so that only the last needs padding.
  size_t room = maxXmit_ - stubHeaderSize(PduType::Response, false);
  if (protect) room = (room - kSecTrailerSize - kSignatureSize) / 16 * 16;

  // Fragments leave in batches of about 64 KB: few writes for a large
  // answer, and the client reads (and checks) one batch while the next is
  // made. The stub goes out from where it lies, between the bytes around
  // it, except when sealed: sealing rewrites it, so it is copied.
  constexpr size_t kBatch = 64 * 1024;
  struct Piece {
    bool inStub;
    size_t offset;
    size_t length;
  };
  std::vector<uint8_t> frames;
  std::vector<Piece> pieces;
  std::vector<std::span<const uint8_t>> spans;
  size_t batchBytes = 0;
  auto flush = [&] {
    spans.clear();
    for (const Piece& piece : pieces) {
      spans.push_back(piece.inStub ? std::span(result.stub).subspan(piece.offset, piece.length)
                                   : std::span<const uint8_t>(frames).subspan(piece.offset, piece.length));
    }
    const bool sent = send(spans);
    frames.clear();
    pieces.clear();
    batchBytes = 0;
    return sent;
  };

  size_t done = 0;
  do {
    const size_t length = std::min(room, result.stub.size() - done);
    const bool last = done + length == result.stub.size();
    Header header;
    header.type = PduType::Response;
    header.callId = call.callId;
    header.flags = (done == 0 ? pfc::kFirstFragment : 0) | (last ? pfc::kLastFragment : 0);
    ResponseBody body;
    body.allocHint = static_cast<uint32_t>(result.stub.size() - done);
    body.contextId = call.contextId;
    body.stub = std::span(result.stub).subspan(done, length);
    std::optional<VerifierSpec> verifier;
    if (protect) {
      verifier = VerifierSpec{{call.auth->authType, static_cast<uint8_t>(call.level), 0, 0, call.auth->contextId},
                              {},
                              kSignatureSize};
    }
    ProtectionLayout layout;
    const size_t start = frames.size();
    if (seal) {
      const size_t pduLength = appendPdu(frames, header, body, verifier, &layout);
      std::span<uint8_t> bytes(frames.data() + start, pduLength);
      const ntlm::Signature signature = call.auth->session->seal(
          bytes.first(layout.signatureOffset), bytes.subspan(layout.stubOffset, layout.stubAndPadLength));
      std::copy(signature.begin(), signature.end(), bytes.begin() + static_cast<long>(layout.signatureOffset));
      pieces.push_back({false, start, pduLength});
      batchBytes += pduLength;
    } else {
      const PduFrame frame = appendPduFrame(frames, header, body, verifier, &layout);
      if (protect) {
        // The tail ends in the signature, over everything before it.
        const size_t signatureInTail = layout.signatureOffset - frame.headLength - length;
        const std::span<const uint8_t> parts[] = {
            std::span<const uint8_t>(frames).subspan(start, frame.headLength), body.stub,
            std::span<const uint8_t>(frames).subspan(start + frame.headLength, signatureInTail)};
        const ntlm::Signature signature = call.auth->session->sign(parts);
        std::copy(signature.begin(), signature.end(),
                  frames.begin() + static_cast<long>(start + frame.headLength + signatureInTail));
      }
      pieces.push_back({false, start, frame.headLength});
      if (length != 0) pieces.push_back({true, done, length});
      if (frame.tailLength != 0) pieces.push_back({false, start + frame.headLength, frame.tailLength});
      batchBytes += frame.headLength + length + frame.tailLength;
    }
    done += length;
    if ((batchBytes >= kBatch || last) && !flush()) return false;
  } while (done < result.stub.size());
  return true;
}

}  // namespace rpc::detail
