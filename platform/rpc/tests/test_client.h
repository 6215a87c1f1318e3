#pragma once
// A minimal DCE/RPC client for the tests: builds bind, auth3 and (fragmented,
// signed or sealed) request PDUs and reads responses, checking their
// signatures. It does no I/O.

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "ntlm/initiator.h"
#include "ntlm/session.h"
#include "rpc/call.h"
#include "rpc/pdu.h"

namespace rpc::testing {

class TestClient {
public:
  TestClient(AuthLevel level, std::u16string user = u"opcuser", std::string password = "Secret123!",
             uint32_t withoutFlags = 0)
      : level_(level) {
    ntlm::InitiatorSettings settings;
    settings.withoutFlags = withoutFlags;
    settings.user = std::move(user);
    settings.domain = u"TESTDOM";
    settings.ntHash = ntlm::ntHash(password);
    initiator_ = std::make_unique<ntlm::Initiator>(settings);
  }

  bool authenticated() const { return level_ > AuthLevel::None; }
  // Announce concurrent multiplexing at bind.
  void setMultiplex(bool on) { multiplex_ = on; }

  std::vector<uint8_t> bind(std::vector<ContextElement> contexts, uint32_t group = 0, uint16_t maxFragment = 4280,
                            PduType type = PduType::Bind) {
    Header header;
    header.type = type;
    header.callId = nextCallId_++;
    if (multiplex_) header.flags |= pfc::kConcurrentMultiplex;
    BindBody body{maxFragment, maxFragment, group, std::move(contexts)};
    if (!authenticated()) return encodePdu(header, body);
    negotiate_ = initiator_->negotiate();
    return encodePdu(header, body, VerifierSpec{trailer(), negotiate_, 0});
  }

  // Reads a bind_ack; returns its body (and prepares the AUTHENTICATE).
  std::optional<BindAckBody> bindAck(std::span<const uint8_t> bytes) {
    auto pdu = decodePdu(bytes);
    if (!pdu || (pdu.value->header.type != PduType::BindAck &&
                 pdu.value->header.type != PduType::AlterContextResponse)) {
      return std::nullopt;
    }
    auto body = std::get<BindAckBody>(pdu.value->body);
    maxXmit_ = body.maxXmitFrag;
    if (authenticated() && pdu.value->auth) {
      auto token = initiator_->authenticate(pdu.value->auth->value);
      if (!token) return std::nullopt;
      authenticate_ = *token;
      session_ = std::make_unique<ntlm::Session>(initiator_->exportedSessionKey(), initiator_->flags(), false);
    }
    return body;
  }

  std::vector<uint8_t> auth3() {
    Header header;
    header.type = PduType::Auth3;
    header.callId = nextCallId_ - 1;
    return encodePdu(header, EmptyBody{}, VerifierSpec{trailer(), authenticate_, 0});
  }

  // The fragments of one request, each at most `maxFragment` bytes.
  std::vector<std::vector<uint8_t>> request(uint32_t callId, uint16_t contextId, uint16_t opnum,
                                            std::span<const uint8_t> stub, size_t maxFragment = 0,
                                            std::optional<Uuid> object = std::nullopt) {
    if (maxFragment == 0) maxFragment = maxXmit_;
    bool protect = level_ >= AuthLevel::PacketIntegrity;
    size_t room = maxFragment - stubHeaderSize(PduType::Request, object.has_value());
    if (protect) room = (room - 24) / 16 * 16;
    std::vector<std::vector<uint8_t>> fragments;
    size_t offset = 0;
    do {
      size_t length = std::min(room, stub.size() - offset);
      Header header;
      header.type = PduType::Request;
      header.callId = callId;
      header.flags = (offset == 0 ? pfc::kFirstFragment : 0) | (offset + length == stub.size() ? pfc::kLastFragment : 0);
      RequestBody body;
      body.allocHint = static_cast<uint32_t>(stub.size() - offset);
      body.contextId = contextId;
      body.opnum = opnum;
      body.object = object;
      body.stub = stub.subspan(offset, length);
      if (!protect) {
        fragments.push_back(encodePdu(header, body));
      } else {
        ProtectionLayout layout;
        auto bytes = encodePdu(header, body, VerifierSpec{trailer(), {}, 16}, &layout);
        std::span<const uint8_t> signedPart(bytes.data(), layout.signatureOffset);
        auto signature = level_ == AuthLevel::PacketPrivacy
                             ? session_->seal(signedPart, std::span(bytes).subspan(layout.stubOffset, layout.stubAndPadLength))
                             : session_->sign(signedPart);
        std::copy(signature.begin(), signature.end(), bytes.begin() + static_cast<long>(layout.signatureOffset));
        fragments.push_back(std::move(bytes));
      }
      offset += length;
    } while (offset < stub.size());
    return fragments;
  }

  struct Answer {
    PduType type = PduType::Response;
    uint32_t callId = 0;
    uint8_t flags = 0;
    uint32_t status = 0;  // of a fault
    std::vector<uint8_t> stub;
    bool valid = true;    // every signature verified
    bool keepStub = true; // false: fragments are checked, their stubs not kept
  };

  // Reads one response fragment or fault, appending the stub to `answer`.
  // Only a sealed fragment is copied, to be decrypted.
  void read(std::span<const uint8_t> bytes, Answer& answer) {
    std::vector<uint8_t> copy;
    if (level_ == AuthLevel::PacketPrivacy) {
      copy.assign(bytes.begin(), bytes.end());
      bytes = copy;
    }
    auto pdu = decodePdu(bytes);
    if (!pdu) {
      answer.valid = false;
      return;
    }
    answer.type = pdu.value->header.type;
    answer.callId = pdu.value->header.callId;
    answer.flags = pdu.value->header.flags;
    if (auto* fault = std::get_if<FaultBody>(&pdu.value->body)) {
      answer.status = fault->status;
      return;
    }
    auto* response = std::get_if<ResponseBody>(&pdu.value->body);
    if (!response) {
      answer.valid = false;
      return;
    }
    // The first fragment says how much is coming.
    if (answer.keepStub && answer.stub.empty()) answer.stub.reserve(std::min<size_t>(response->allocHint, 16u << 20));
    if (level_ >= AuthLevel::PacketIntegrity) {
      if (!pdu.value->auth) {
        answer.valid = false;
        return;
      }
      auto layout = protectionLayout(*pdu.value);
      if (level_ == AuthLevel::PacketPrivacy) {
        session_->unseal(std::span(copy).subspan(layout.stubOffset, layout.stubAndPadLength));
      }
      if (!session_->verify(bytes.first(layout.signatureOffset), bytes.subspan(layout.signatureOffset))) {
        answer.valid = false;
      }
      auto stub = bytes.subspan(pdu.value->stubOffset, response->stub.size());
      if (answer.keepStub) answer.stub.insert(answer.stub.end(), stub.begin(), stub.end());
    } else if (answer.keepStub) {
      answer.stub.insert(answer.stub.end(), response->stub.begin(), response->stub.end());
    }
  }

  uint16_t maxXmit() const { return maxXmit_; }

private:
  SecTrailer trailer() const { return SecTrailer{10, static_cast<uint8_t>(level_), 0, 0, 0x79231}; }

  AuthLevel level_;
  std::unique_ptr<ntlm::Initiator> initiator_;
  std::unique_ptr<ntlm::Session> session_;
  std::vector<uint8_t> negotiate_;
  std::vector<uint8_t> authenticate_;
  uint16_t maxXmit_ = 4280;
  uint32_t nextCallId_ = 1;
  bool multiplex_ = false;
};

inline ContextElement context(uint16_t id, const char* uuid, std::vector<SyntaxId> transfers = {ndr20Syntax()}) {
  return ContextElement{id, SyntaxId{*Uuid::parse(uuid), 0, 0}, std::move(transfers)};
}

}  // namespace rpc::testing
