#include "ntlm/session.h"

#include <gtest/gtest.h>

#include "capture_handshake.h"
#include "ntlm/initiator.h"

namespace ntlm {
namespace {

using testing::handshakeOf;

std::unique_ptr<Session> sessionFor(const testing::Handshake& handshake) {
  Acceptor acceptor(testing::captureSettings(), testing::captureCredentials());
  acceptor.negotiate(handshake.negotiate);
  auto result = acceptor.authenticate(handshake.authenticate);
  EXPECT_EQ(result.status, AuthStatus::Success);
  return std::make_unique<Session>(result.exportedSessionKey, result.flags);
}

rpc::ProtectionLayout layoutOf(const std::vector<uint8_t>& bytes) {
  auto pdu = rpc::decodePdu(bytes);
  EXPECT_TRUE(pdu);
  return rpc::protectionLayout(*pdu.value);
}

std::vector<uint8_t> signatureOf(const std::vector<uint8_t>& bytes, const rpc::ProtectionLayout& layout) {
  return {bytes.begin() + static_cast<long>(layout.signatureOffset), bytes.end()};
}

TEST(Session, VerifiesAndSignsTheCapturedIntegrityCalls) {
  auto handshake = handshakeOf("impacket-objexporter-integrity-ntlmv2.hex");
  auto session = sessionFor(handshake);
  for (size_t i = handshake.firstCall; i < handshake.pdus.size(); ++i) {
    const auto& bytes = handshake.pdus[i].bytes;
    auto layout = layoutOf(bytes);
    std::span<const uint8_t> signedPart(bytes.data(), layout.signatureOffset);
    if (handshake.pdus[i].fromClient) {
      EXPECT_TRUE(session->verify(signedPart, signatureOf(bytes, layout))) << "PDU " << i;
    } else {
      auto signature = session->sign(signedPart);
      EXPECT_EQ(std::vector<uint8_t>(signature.begin(), signature.end()), signatureOf(bytes, layout)) << "PDU " << i;
    }
  }
}

TEST(Session, UnsealsAndSealsTheCapturedPrivacyCalls) {
  // The sealed responses carry the same stubs as the signed capture, so the
  // plaintext of each sealed response is taken from there.
  auto plainResponses = handshakeOf("impacket-objexporter-integrity-ntlmv2.hex").pdus;
  for (const char* name : {"impacket-objexporter-privacy-ntlmv2.hex", "impacket-remotecreateinstance-privacy-ntlmv2.hex"}) {
    auto handshake = handshakeOf(name);
    auto session = sessionFor(handshake);
    for (size_t i = handshake.firstCall; i < handshake.pdus.size(); ++i) {
      auto bytes = handshake.pdus[i].bytes;
      auto pdu = rpc::decodePdu(bytes);
      ASSERT_TRUE(pdu);
      if (!pdu.value->auth) continue;  // the recorder's unsigned fault
      auto layout = rpc::protectionLayout(*pdu.value);
      std::span<uint8_t> sealed(bytes.data() + layout.stubOffset, layout.stubAndPadLength);
      std::span<const uint8_t> signedPart(bytes.data(), layout.signatureOffset);
      if (handshake.pdus[i].fromClient) {
        session->unseal(sealed);
        std::vector<uint8_t> stub(sealed.begin(), sealed.end() - pdu.value->auth->trailer.padLength);
        EXPECT_EQ(stub, handshake.pdus[i].plainStub) << name << " PDU " << i;
        EXPECT_TRUE(session->verify(signedPart, signatureOf(bytes, layout))) << name << " PDU " << i;
      } else {
        const auto& plain = plainResponses.at(i).bytes;
        std::copy(plain.begin() + static_cast<long>(layout.stubOffset),
                  plain.begin() + static_cast<long>(layout.stubOffset + layout.stubAndPadLength), sealed.begin());
        auto signature = session->seal(signedPart, sealed);
        std::copy(signature.begin(), signature.end(), bytes.begin() + static_cast<long>(layout.signatureOffset));
        EXPECT_EQ(bytes, handshake.pdus[i].bytes) << name << " PDU " << i;
      }
    }
  }
}

TEST(Session, RefusesAlteredReplayedAndReorderedMessages) {
  InitiatorSettings clientSettings;
  clientSettings.user = u"opcuser";
  clientSettings.ntHash = ntHash("pw");
  Initiator initiator(clientSettings);
  auto credentials = std::make_shared<CredentialStore>(std::vector<Credential>{{"opcuser", "", ntHash("pw")}});
  Acceptor acceptor({}, credentials);
  auto challenge = acceptor.negotiate(initiator.negotiate());
  auto result = acceptor.authenticate(*initiator.authenticate(*challenge));
  ASSERT_EQ(result.status, AuthStatus::Success);

  std::vector<uint8_t> first = {1, 2, 3, 4};
  std::vector<uint8_t> second = {5, 6, 7, 8};
  struct Case {
    const char* what;
    std::vector<std::pair<std::vector<uint8_t>, int>> sends;  // message, index of the signature to present
    std::vector<bool> expected;
  };
  const std::vector<Case> cases = {
      {"in order", {{first, 0}, {second, 1}}, {true, true}},
      {"altered message", {{{1, 2, 3, 5}, 0}}, {false}},
      {"replayed message", {{first, 0}, {first, 0}}, {true, false}},
      {"second before first", {{second, 1}}, {false}},
  };
  for (const auto& c : cases) {
    Session client(result.exportedSessionKey, initiator.flags(), false);
    Session server(result.exportedSessionKey, result.flags, true);
    std::vector<Signature> signatures = {client.sign(first), client.sign(second)};
    std::vector<bool> outcomes;
    for (const auto& [message, index] : c.sends) outcomes.push_back(server.verify(message, signatures[index]));
    EXPECT_EQ(outcomes, c.expected) << c.what;
  }
}

TEST(Session, SealsRoundTripBetweenInitiatorAndAcceptorKeys) {
  Digest key{};
  key[0] = 7;
  uint32_t negotiated = flags::kSign | flags::kSeal | flags::k128 | flags::kKeyExchange | flags::kExtendedSessionSecurity;
  Session client(key, negotiated, false);
  Session server(key, negotiated, true);
  for (int round = 0; round < 3; ++round) {
    std::vector<uint8_t> message = {'h', 'e', 'l', 'l', 'o', static_cast<uint8_t>(round)};
    std::vector<uint8_t> wire = message;
    auto signature = server.seal(message, wire);
    EXPECT_NE(wire, message);
    client.unseal(wire);
    EXPECT_EQ(wire, message);
    EXPECT_TRUE(client.verify(wire, signature));
  }
}

}  // namespace
}  // namespace ntlm
