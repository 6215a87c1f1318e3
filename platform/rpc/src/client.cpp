#include "rpc/client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "ntlm/initiator.h"
#include "ntlm/session.h"
#include "rpc/pdu.h"

namespace rpc {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kAuthTypeNtlm = 10;
constexpr size_t kSignatureSize = 16;
// The one security context this client opens on a connection.
constexpr uint32_t kAuthContextId = 0x79231;
// Largest answer accepted for one call: a guard against a server that never
// sets the last-fragment flag.
constexpr size_t kMaxAnswerSize = 16 * 1024 * 1024;

std::atomic<uint64_t> bytesSent{0};
std::atomic<uint64_t> bytesReceived{0};

int remainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

ClientStatus statusOfFault(uint32_t status) {
  switch (status) {
    case kFaultAccessDenied:
      return ClientStatus::AccessDenied;
    case kFaultUnknownInterface:
      return ClientStatus::UnknownInterface;
    default:
      return ClientStatus::Fault;
  }
}

}  // namespace

ClientTraffic clientTraffic() {
  return {bytesSent.load(std::memory_order_relaxed), bytesReceived.load(std::memory_order_relaxed)};
}

const char* toString(ClientStatus status) {
  switch (status) {
    case ClientStatus::Ok: return "ok";
    case ClientStatus::Unreachable: return "unreachable";
    case ClientStatus::TimedOut: return "timed out";
    case ClientStatus::Disconnected: return "disconnected";
    case ClientStatus::AccessDenied: return "access denied";
    case ClientStatus::UnknownInterface: return "unknown interface";
    case ClientStatus::Fault: return "fault";
    case ClientStatus::ProtocolError: return "protocol error";
  }
  return "?";
}

struct ClientConnection::Impl {
  ClientSettings settings;
  int fd = -1;
  std::atomic<bool> broken{false};

  std::mutex mutex;  // serialises calls; guards everything below
  bool bound = false;
  uint16_t maxXmit = kMinimumFragmentSize;
  uint32_t nextCallId = 1;
  std::vector<std::pair<SyntaxId, uint16_t>> contexts;
  std::unique_ptr<ntlm::Initiator> initiator;
  std::unique_ptr<ntlm::Session> session;

  bool authenticated() const { return settings.level > AuthLevel::None; }
  bool protects() const { return settings.level >= AuthLevel::PacketIntegrity; }
  SecTrailer trailer() const {
    return SecTrailer{kAuthTypeNtlm, static_cast<uint8_t>(settings.level), 0, 0, kAuthContextId};
  }

  // Ends the connection for good: the peer sees a close, a blocked poll wakes.
  ClientStatus fail(ClientStatus status) {
    if (!broken.exchange(true)) ::shutdown(fd, SHUT_RDWR);
    return status;
  }

  ClientStatus send(std::span<const uint8_t> bytes, Clock::time_point deadline) {
    size_t done = 0;
    while (done < bytes.size()) {
      if (broken) return ClientStatus::Disconnected;
      ssize_t count = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (count > 0) {
        done += static_cast<size_t>(count);
        bytesSent.fetch_add(static_cast<uint64_t>(count), std::memory_order_relaxed);
        continue;
      }
      if (count < 0 && errno == EINTR) continue;
      if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        pollfd p{fd, POLLOUT, 0};
        int ready = ::poll(&p, 1, remainingMs(deadline));
        if (ready == 0) return fail(ClientStatus::TimedOut);
        continue;
      }
      return fail(ClientStatus::Disconnected);
    }
    return ClientStatus::Ok;
  }

  // Received bytes not yet taken: one recv usually brings a whole answer,
  // which saves a system call per PDU over reading header and body apart.
  std::vector<uint8_t> inbox = std::vector<uint8_t>(64 * 1024);
  size_t inboxStart = 0;
  size_t inboxEnd = 0;

  ClientStatus readExact(uint8_t* out, size_t length, Clock::time_point deadline) {
    size_t done = 0;
    while (done < length) {
      if (inboxStart < inboxEnd) {
        size_t take = std::min(length - done, inboxEnd - inboxStart);
        std::memcpy(out + done, inbox.data() + inboxStart, take);
        inboxStart += take;
        done += take;
        continue;
      }
      inboxStart = inboxEnd = 0;
      if (broken) return ClientStatus::Disconnected;
      pollfd p{fd, POLLIN, 0};
      int ready = ::poll(&p, 1, remainingMs(deadline));
      if (ready < 0 && errno == EINTR) continue;
      if (ready == 0) return fail(ClientStatus::TimedOut);
      ssize_t count = ::recv(fd, inbox.data(), inbox.size(), MSG_DONTWAIT);
      if (count > 0) {
        inboxEnd = static_cast<size_t>(count);
        bytesReceived.fetch_add(static_cast<uint64_t>(count), std::memory_order_relaxed);
        continue;
      }
      if (count < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
      return fail(ClientStatus::Disconnected);
    }
    return ClientStatus::Ok;
  }

  // Reads one whole PDU.
  ClientStatus readPdu(std::vector<uint8_t>& bytes, Clock::time_point deadline) {
    bytes.resize(kHeaderSize);
    if (auto status = readExact(bytes.data(), kHeaderSize, deadline); status != ClientStatus::Ok) return status;
    auto header = decodeHeader(bytes);
    if (!header) return fail(ClientStatus::ProtocolError);
    bytes.resize(header.value->fragLength);
    return readExact(bytes.data() + kHeaderSize, bytes.size() - kHeaderSize, deadline);
  }

  // Binds the interface to a presentation context (the first one with the
  // bind and the NTLM handshake, later ones with alter_context).
  ClientStatus bindContext(const SyntaxId& syntax, uint16_t& contextId, Clock::time_point deadline) {
    for (const auto& [known, id] : contexts) {
      if (known == syntax) {
        contextId = id;
        return ClientStatus::Ok;
      }
    }
    uint16_t id = static_cast<uint16_t>(contexts.size());
    Header header;
    header.type = bound ? PduType::AlterContext : PduType::Bind;
    header.callId = nextCallId++;
    BindBody body{settings.maxFragmentSize, settings.maxFragmentSize, 0, {{id, syntax, {ndr20Syntax()}}}};
    std::vector<uint8_t> negotiate;
    std::optional<VerifierSpec> verifier;
    if (!bound && authenticated()) {
      ntlm::InitiatorSettings ntlmSettings;
      ntlmSettings.user = settings.identity.user;
      ntlmSettings.domain = settings.identity.domain;
      ntlmSettings.workstation = settings.workstation;
      ntlmSettings.ntHash = settings.identity.ntHash;
      ntlmSettings.sendMic = true;
      initiator = std::make_unique<ntlm::Initiator>(std::move(ntlmSettings));
      negotiate = initiator->negotiate();
      verifier = VerifierSpec{trailer(), negotiate, 0};
    }
    auto request = encodePdu(header, body, verifier);
    if (auto status = send(request, deadline); status != ClientStatus::Ok) return status;

    std::vector<uint8_t> bytes;
    if (auto status = readPdu(bytes, deadline); status != ClientStatus::Ok) return status;
    auto pdu = decodePdu(bytes);
    if (!pdu) return fail(ClientStatus::ProtocolError);
    switch (pdu.value->header.type) {
      case PduType::BindNak: {
        auto reason = std::get<BindNakBody>(pdu.value->body).reason;
        return fail(reason == BindNakReason::AuthenticationTypeNotRecognized ? ClientStatus::AccessDenied
                                                                            : ClientStatus::ProtocolError);
      }
      case PduType::Fault:
        return statusOfFault(std::get<FaultBody>(pdu.value->body).status);
      case PduType::Shutdown:
        return fail(ClientStatus::Disconnected);
      case PduType::BindAck:
      case PduType::AlterContextResponse:
        break;
      default:
        return fail(ClientStatus::ProtocolError);
    }
    const auto& ack = std::get<BindAckBody>(pdu.value->body);
    if (!bound) {
      maxXmit = std::clamp(ack.maxRecvFrag, kMinimumFragmentSize, settings.maxFragmentSize);
      if (authenticated()) {
        if (!pdu.value->auth) return fail(ClientStatus::AccessDenied);
        auto token = initiator->authenticate(pdu.value->auth->value);
        if (!token) return fail(ClientStatus::ProtocolError);
        Header third;
        third.type = PduType::Auth3;
        third.callId = header.callId;
        auto auth3 = encodePdu(third, EmptyBody{}, VerifierSpec{trailer(), *token, 0});
        if (auto status = send(auth3, deadline); status != ClientStatus::Ok) return status;
        session = std::make_unique<ntlm::Session>(initiator->exportedSessionKey(), initiator->flags(), false);
      }
      bound = true;
    }
    if (ack.results.size() != 1) return fail(ClientStatus::ProtocolError);
    if (ack.results[0].result != ContextResultCode::Acceptance) return ClientStatus::UnknownInterface;
    contexts.emplace_back(syntax, id);
    contextId = id;
    return ClientStatus::Ok;
  }

  ClientStatus sendRequest(uint32_t callId, uint16_t contextId, uint16_t opnum, std::span<const uint8_t> stub,
                           const std::optional<Uuid>& object, Clock::time_point deadline) {
    size_t room = maxXmit - stubHeaderSize(PduType::Request, object.has_value());
    if (protects()) room = (room - kSecTrailerSize - kSignatureSize) / 16 * 16;
    size_t offset = 0;
    do {
      size_t length = std::min(room, stub.size() - offset);
      Header header;
      header.type = PduType::Request;
      header.callId = callId;
      header.flags = static_cast<uint8_t>((offset == 0 ? pfc::kFirstFragment : 0) |
                                          (offset + length == stub.size() ? pfc::kLastFragment : 0));
      RequestBody body;
      body.allocHint = static_cast<uint32_t>(stub.size() - offset);
      body.contextId = contextId;
      body.opnum = opnum;
      body.object = object;
      body.stub = stub.subspan(offset, length);
      std::vector<uint8_t> bytes;
      if (!protects()) {
        bytes = encodePdu(header, body);
      } else {
        ProtectionLayout layout;
        bytes = encodePdu(header, body, VerifierSpec{trailer(), {}, kSignatureSize}, &layout);
        std::span<const uint8_t> signedPart(bytes.data(), layout.signatureOffset);
        auto signature =
            settings.level == AuthLevel::PacketPrivacy
                ? session->seal(signedPart, std::span(bytes).subspan(layout.stubOffset, layout.stubAndPadLength))
                : session->sign(signedPart);
        std::copy(signature.begin(), signature.end(), bytes.begin() + static_cast<long>(layout.signatureOffset));
      }
      if (auto status = send(bytes, deadline); status != ClientStatus::Ok) return status;
      offset += length;
    } while (offset < stub.size());
    return ClientStatus::Ok;
  }

  ClientCallResult readAnswer(uint32_t callId, Clock::time_point deadline) {
    ClientCallResult result;
    std::vector<uint8_t> bytes;
    for (;;) {
      if (auto status = readPdu(bytes, deadline); status != ClientStatus::Ok) return {status, 0, {}};
      auto pdu = decodePdu(bytes);
      if (!pdu) return {fail(ClientStatus::ProtocolError), 0, {}};
      if (pdu.value->header.type == PduType::Shutdown) return {fail(ClientStatus::Disconnected), 0, {}};
      // Answers to calls this connection no longer waits for (none today:
      // calls never overlap) are skipped rather than taken for this one.
      if (pdu.value->header.callId != callId) continue;
      if (auto* fault = std::get_if<FaultBody>(&pdu.value->body)) {
        // Faults may come unsigned even at integrity; they carry no data
        // that a forger could use beyond ending the call.
        return {statusOfFault(fault->status), fault->status, {}};
      }
      auto* response = std::get_if<ResponseBody>(&pdu.value->body);
      if (!response) return {fail(ClientStatus::ProtocolError), 0, {}};
      std::span<const uint8_t> stub = response->stub;
      if (protects()) {
        if (!pdu.value->auth) return {fail(ClientStatus::ProtocolError), 0, {}};
        auto layout = protectionLayout(*pdu.value);
        if (layout.signatureLength != kSignatureSize) return {fail(ClientStatus::ProtocolError), 0, {}};
        if (settings.level == AuthLevel::PacketPrivacy) {
          session->unseal(std::span(bytes).subspan(layout.stubOffset, layout.stubAndPadLength));
        }
        if (!session->verify(std::span(bytes).first(layout.signatureOffset),
                             std::span(bytes).subspan(layout.signatureOffset, kSignatureSize))) {
          return {fail(ClientStatus::ProtocolError), 0, {}};
        }
        stub = std::span<const uint8_t>(bytes).subspan(pdu.value->stubOffset, response->stub.size());
      }
      if (result.stub.size() + stub.size() > kMaxAnswerSize) return {fail(ClientStatus::ProtocolError), 0, {}};
      result.stub.insert(result.stub.end(), stub.begin(), stub.end());
      if (pdu.value->header.flags & pfc::kLastFragment) return result;
    }
  }
};

ClientConnection::ClientConnection(std::unique_ptr<Impl> impl, std::string peerAddress)
    : impl_(std::move(impl)), peerAddress_(std::move(peerAddress)) {}

ClientConnection::~ClientConnection() {
  if (impl_->fd >= 0) ::close(impl_->fd);
}

ClientConnection::Connected ClientConnection::connect(const std::string& host, uint16_t port,
                                                      ClientSettings settings) {
  auto deadline = Clock::now() + settings.connectTimeout;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  std::string service = std::to_string(port);
  if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || !found) {
    return {nullptr, ClientStatus::Unreachable};
  }
  ClientStatus status = ClientStatus::Unreachable;
  for (addrinfo* address = found; address; address = address->ai_next) {
    int fd = ::socket(address->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) continue;
    int done = ::connect(fd, address->ai_addr, address->ai_addrlen);
    if (done != 0 && errno == EINPROGRESS) {
      pollfd p{fd, POLLOUT, 0};
      int ready;
      do {
        ready = ::poll(&p, 1, remainingMs(deadline));
      } while (ready < 0 && errno == EINTR);
      int error = 0;
      socklen_t length = sizeof error;
      if (ready == 0) {
        status = ClientStatus::TimedOut;
      } else if (ready > 0 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) {
        done = 0;
      }
    }
    if (done != 0) {
      ::close(fd);
      continue;
    }
    // Calls are small request/answer exchanges; waiting to coalesce them
    // only adds latency.
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    char numeric[NI_MAXHOST] = {};
    ::getnameinfo(address->ai_addr, address->ai_addrlen, numeric, sizeof numeric, nullptr, 0, NI_NUMERICHOST);
    ::freeaddrinfo(found);
    auto impl = std::make_unique<Impl>();
    impl->settings = std::move(settings);
    impl->settings.maxFragmentSize = std::max(impl->settings.maxFragmentSize, kMinimumFragmentSize);
    impl->fd = fd;
    return {std::unique_ptr<ClientConnection>(new ClientConnection(std::move(impl), numeric)), ClientStatus::Ok};
  }
  ::freeaddrinfo(found);
  return {nullptr, status};
}

ClientCallResult ClientConnection::call(const SyntaxId& interfaceId, uint16_t opnum, std::span<const uint8_t> stub,
                                        std::optional<Uuid> object) {
  std::lock_guard lock(impl_->mutex);
  if (impl_->broken) return {ClientStatus::Disconnected, 0, {}};
  auto deadline = Clock::now() + impl_->settings.callTimeout;
  uint16_t contextId = 0;
  if (auto status = impl_->bindContext(interfaceId, contextId, deadline); status != ClientStatus::Ok) {
    return {status, 0, {}};
  }
  uint32_t callId = impl_->nextCallId++;
  if (auto status = impl_->sendRequest(callId, contextId, opnum, stub, object, deadline); status != ClientStatus::Ok) {
    return {status, 0, {}};
  }
  return impl_->readAnswer(callId, deadline);
}

void ClientConnection::abort() { impl_->fail(ClientStatus::Disconnected); }

bool ClientConnection::usable() const { return !impl_->broken; }

}  // namespace rpc
