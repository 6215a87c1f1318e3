#include "ntlm/acceptor.h"

#include <gtest/gtest.h>

#include "capture_handshake.h"
#include "ntlm/initiator.h"
#include "ntlm/messages.h"

namespace ntlm {
namespace {

using testing::captureCredentials;
using testing::captureSettings;
using testing::handshakeOf;

const char* const kNtlmV2Captures[] = {
    "impacket-objexporter-connect-ntlmv2.hex",
    "impacket-objexporter-integrity-ntlmv2.hex",
    "impacket-objexporter-privacy-ntlmv2.hex",
    "impacket-remotecreateinstance-privacy-ntlmv2.hex",
};
const char* const kNtlmV1Capture = "nodedcom-remoteactivation-connect-ntlmv1ess.hex";

TEST(Acceptor, AnswersLikeTheRecorderAndAcceptsTheCapturedClients) {
  std::vector<std::string> names(std::begin(kNtlmV2Captures), std::end(kNtlmV2Captures));
  names.push_back(kNtlmV1Capture);
  for (const auto& name : names) {
    auto handshake = handshakeOf(name);
    auto settings = captureSettings();
    settings.allowNtlmV1 = true;
    Acceptor acceptor(settings, captureCredentials());
    auto challenge = acceptor.negotiate(handshake.negotiate);
    ASSERT_TRUE(challenge) << name;
    EXPECT_EQ(*challenge, handshake.challenge) << name;
    auto result = acceptor.authenticate(handshake.authenticate);
    EXPECT_EQ(result.status, AuthStatus::Success) << name << ": " << toString(result.status);
    EXPECT_EQ(result.user, "opcuser");
    EXPECT_EQ(result.domain, "TESTDOM");
  }
}

TEST(Acceptor, DerivesTheNtlmV1SessionKeyOfTheCapture) {
  auto handshake = handshakeOf(kNtlmV1Capture);
  auto settings = captureSettings();
  settings.allowNtlmV1 = true;
  Acceptor acceptor(settings, captureCredentials());
  acceptor.negotiate(handshake.negotiate);
  auto result = acceptor.authenticate(handshake.authenticate);
  ASSERT_EQ(result.status, AuthStatus::Success);
  EXPECT_FALSE(result.ntlmV2);
  // No key exchange: the exported key is the key exchange key.
  const Digest expected = {0x35, 0x88, 0x26, 0xd3, 0x9a, 0xcf, 0x29, 0xaf,
                           0x06, 0xdc, 0xd5, 0xb6, 0xb7, 0x6b, 0x18, 0x7f};
  EXPECT_EQ(result.exportedSessionKey, expected);
  EXPECT_FALSE(result.flags & flags::kSign);
}

TEST(Acceptor, RefusesWhatItMust) {
  struct Case {
    const char* what;
    const char* capture;
    std::shared_ptr<CredentialStore> credentials;
    bool allowNtlmV1;
    bool requireMic;
    std::function<void(std::vector<uint8_t>&)> alter;  // applied to the AUTHENTICATE
    AuthStatus expected;
  };
  const auto otherUser =
      std::make_shared<CredentialStore>(std::vector<Credential>{{"someone", "", ntHash("Secret123!")}});
  const auto otherDomain =
      std::make_shared<CredentialStore>(std::vector<Credential>{{"opcuser", "ELSEWHERE", ntHash("Secret123!")}});
  const auto anyDomain =
      std::make_shared<CredentialStore>(std::vector<Credential>{{"OPCUSER", "", ntHash("Secret123!")}});
  const std::vector<Case> cases = {
      {"wrong password", kNtlmV2Captures[1], captureCredentials("secret123!"), false, false, {},
       AuthStatus::WrongPassword},
      {"unknown user", kNtlmV2Captures[1], otherUser, false, false, {}, AuthStatus::UnknownUser},
      {"user of another domain", kNtlmV2Captures[1], otherDomain, false, false, {}, AuthStatus::UnknownUser},
      {"user of any domain, any case", kNtlmV2Captures[1], anyDomain, false, false, {}, AuthStatus::Success},
      {"NTLMv1 without the compatibility setting", kNtlmV1Capture, captureCredentials(), false, false, {},
       AuthStatus::NtlmV1Refused},
      {"NTLMv1 with a wrong password", kNtlmV1Capture, captureCredentials("x"), true, false, {},
       AuthStatus::WrongPassword},
      {"MIC required, client sends none", kNtlmV2Captures[1], captureCredentials(), false, true, {},
       AuthStatus::MicMissing},
      {"altered NT proof", kNtlmV2Captures[1], captureCredentials(), false, false,
       [](std::vector<uint8_t>& token) { token[0x74] ^= 1; }, AuthStatus::WrongPassword},
      {"altered client blob", kNtlmV2Captures[1], captureCredentials(), false, false,
       [](std::vector<uint8_t>& token) { token[0x74 + 40] ^= 1; }, AuthStatus::WrongPassword},
      {"NT response field beyond the token", kNtlmV2Captures[1], captureCredentials(), false, false,
       [](std::vector<uint8_t>& token) { token[20] = 0xff; token[21] = 0x7f; }, AuthStatus::Malformed},
      {"not an AUTHENTICATE", kNtlmV2Captures[1], captureCredentials(), false, false,
       [](std::vector<uint8_t>& token) { token[8] = 1; }, AuthStatus::Malformed},
  };
  for (const auto& c : cases) {
    auto handshake = handshakeOf(c.capture);
    auto settings = captureSettings();
    settings.allowNtlmV1 = c.allowNtlmV1;
    settings.requireMic = c.requireMic;
    Acceptor acceptor(settings, c.credentials);
    ASSERT_TRUE(acceptor.negotiate(handshake.negotiate)) << c.what;
    if (c.alter) c.alter(handshake.authenticate);
    EXPECT_EQ(acceptor.authenticate(handshake.authenticate).status, c.expected) << c.what;
  }
}

TEST(Acceptor, TakesOneAuthenticatePerChallenge) {
  auto handshake = handshakeOf(kNtlmV2Captures[1]);
  Acceptor acceptor(captureSettings(), captureCredentials());
  EXPECT_EQ(acceptor.authenticate(handshake.authenticate).status, AuthStatus::OutOfOrder);
  acceptor.negotiate(handshake.negotiate);
  EXPECT_EQ(acceptor.authenticate(handshake.authenticate).status, AuthStatus::Success);
  EXPECT_EQ(acceptor.authenticate(handshake.authenticate).status, AuthStatus::OutOfOrder);
}

TEST(Acceptor, RefusesANegotiateWithoutExtendedSessionSecurity) {
  auto handshake = handshakeOf(kNtlmV2Captures[1]);
  handshake.negotiate[14] &= static_cast<uint8_t>(~(flags::kExtendedSessionSecurity >> 16));
  Acceptor acceptor(captureSettings(), captureCredentials());
  EXPECT_FALSE(acceptor.negotiate(handshake.negotiate));
  EXPECT_EQ(acceptor.status(), AuthStatus::NoExtendedSessionSecurity);
}

TEST(Acceptor, ChecksTheMicOfAnInitiatorThatSendsOne) {
  for (bool tamper : {false, true}) {
    InitiatorSettings client;
    client.user = u"opcuser";
    client.domain = u"TESTDOM";
    client.ntHash = ntHash("Secret123!");
    Initiator initiator(client);
    AcceptorSettings settings;
    settings.requireMic = true;
    Acceptor acceptor(settings, captureCredentials());
    auto negotiate = initiator.negotiate();
    auto challenge = acceptor.negotiate(negotiate);
    ASSERT_TRUE(challenge);
    auto authenticate = initiator.authenticate(*challenge);
    ASSERT_TRUE(authenticate);
    // Clearing a flag bit the client asked for is what the MIC exists to catch.
    if (tamper) (*authenticate)[60] &= static_cast<uint8_t>(~flags::kSeal);
    auto result = acceptor.authenticate(*authenticate);
    if (tamper) {
      EXPECT_EQ(result.status, AuthStatus::MicMismatch);
    } else {
      EXPECT_EQ(result.status, AuthStatus::Success);
      EXPECT_EQ(result.exportedSessionKey, initiator.exportedSessionKey());
    }
  }
}

TEST(Acceptor, SurvivesEveryTruncatedAuthenticate) {
  auto handshake = handshakeOf(kNtlmV2Captures[1]);
  for (size_t length = 0; length < handshake.authenticate.size(); ++length) {
    Acceptor acceptor(captureSettings(), captureCredentials());
    acceptor.negotiate(handshake.negotiate);
    std::vector<uint8_t> prefix(handshake.authenticate.begin(), handshake.authenticate.begin() + length);
    EXPECT_NE(acceptor.authenticate(prefix).status, AuthStatus::Success) << length;
  }
}

TEST(Crypto, MatchesKnownValues) {
  // The NT hash of "Password", and the NTLMv1 response of the node capture.
  const Digest password = {0xa4, 0xf4, 0x9c, 0x40, 0x65, 0x10, 0xbd, 0xca,
                           0xb6, 0x82, 0x4e, 0xe7, 0xc3, 0x0f, 0xd8, 0x52};
  EXPECT_EQ(ntHash("Password"), password);
  const uint8_t serverChallenge[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
  const uint8_t clientChallenge[8] = {0xf9, 0xb6, 0xdd, 0x3b, 0x28, 0x0f, 0xa6, 0x7c};
  Digest mixed = md5({serverChallenge, clientChallenge});
  auto response = desl(ntHash("Secret123!"), std::span<const uint8_t, 8>(mixed.data(), 8));
  auto expected = rpc::testing::fromHex("83e9b89384c4b70b1aeb69ebd716218b771c772328244001");
  EXPECT_EQ(std::vector<uint8_t>(response.begin(), response.end()), expected);
}

}  // namespace
}  // namespace ntlm
