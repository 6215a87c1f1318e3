#include "ntlm/acceptor.h"

#include <sys/random.h>

#include <ctime>

#include "ntlm/messages.h"
#include "utf16.h"

namespace ntlm {
namespace {

// What this server can do; the answer to a NEGOTIATE is the part of it the
// client asked for.
constexpr uint32_t kSupported = flags::kUnicode | flags::kRequestTarget | flags::kSign | flags::kSeal |
                                flags::kNtlm | flags::kAlwaysSign | flags::kExtendedSessionSecurity |
                                flags::kTargetInfo | flags::k128 | flags::kKeyExchange | flags::k56 |
                                flags::kIdentify;

// Version 10.0.19041, NTLM revision 15.
constexpr std::array<uint8_t, 8> kVersion = {10, 0, 0x61, 0x4a, 0, 0, 0, 15};

std::array<uint8_t, 8> randomChallenge() {
  std::array<uint8_t, 8> challenge{};
  size_t filled = 0;
  while (filled < challenge.size()) {
    ssize_t count = ::getrandom(challenge.data() + filled, challenge.size() - filled, 0);
    if (count > 0) filled += static_cast<size_t>(count);
  }
  return challenge;
}

uint64_t fileTimeNow() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  constexpr uint64_t kEpochDifference = 116444736000000000ULL;  // 1601 to 1970 in 100 ns
  return kEpochDifference + static_cast<uint64_t>(now.tv_sec) * 10000000ULL +
         static_cast<uint64_t>(now.tv_nsec) / 100;
}

AuthResult failure(AuthStatus status, const AuthenticateMessage* message = nullptr) {
  AuthResult result;
  result.status = status;
  if (message) {
    result.user = detail::utf16ToUtf8(message->user);
    result.domain = detail::utf16ToUtf8(message->domain);
  }
  return result;
}

}  // namespace

const char* toString(AuthStatus status) {
  switch (status) {
    case AuthStatus::Success: return "authenticated";
    case AuthStatus::Malformed: return "malformed NTLM message";
    case AuthStatus::NoExtendedSessionSecurity: return "client without extended session security";
    case AuthStatus::Anonymous: return "anonymous logon refused";
    case AuthStatus::UnknownUser: return "unknown user";
    case AuthStatus::WrongPassword: return "wrong password";
    case AuthStatus::NtlmV1Refused: return "NTLMv1 refused";
    case AuthStatus::MicMissing: return "MIC missing";
    case AuthStatus::MicMismatch: return "MIC does not match";
    case AuthStatus::OutOfOrder: return "NTLM message out of order";
  }
  return "unknown";
}

Acceptor::Acceptor(AcceptorSettings settings, std::shared_ptr<const CredentialStore> credentials)
    : settings_(std::move(settings)), credentials_(std::move(credentials)) {
  if (!settings_.challengeSource) settings_.challengeSource = randomChallenge;
  if (!settings_.fileTimeNow) settings_.fileTimeNow = fileTimeNow;
}

std::optional<std::vector<uint8_t>> Acceptor::negotiate(std::span<const uint8_t> token) {
  auto message = parseNegotiate(token);
  if (!message) {
    status_ = AuthStatus::Malformed;
    return std::nullopt;
  }
  // Without extended session security there are no signing keys of the kind
  // this server derives, and the responses are the weakest NTLM knows.
  if (!(message->flags & flags::kExtendedSessionSecurity)) {
    status_ = AuthStatus::NoExtendedSessionSecurity;
    return std::nullopt;
  }
  uint32_t answer = (message->flags & kSupported) | flags::kNtlm | flags::kTargetInfo |
                    flags::kTargetTypeDomain | flags::kVersion;
  if (!(message->flags & flags::kUnicode) && (message->flags & flags::kOem)) answer |= flags::kOem;

  serverChallenge_ = settings_.challengeSource();
  challengeFlags_ = answer;
  uint64_t now = settings_.fileTimeNow();
  std::vector<uint8_t> timestamp(8);
  for (int i = 0; i < 8; ++i) timestamp[i] = static_cast<uint8_t>(now >> (8 * i));
  std::vector<AvPair> info = {{AvId::NbDomainName, avString(settings_.netbiosDomain)},
                              {AvId::NbComputerName, avString(settings_.netbiosComputer)}};
  if (!settings_.dnsDomain.empty()) info.push_back({AvId::DnsDomainName, avString(settings_.dnsDomain)});
  if (!settings_.dnsComputer.empty()) info.push_back({AvId::DnsComputerName, avString(settings_.dnsComputer)});
  info.push_back({AvId::Timestamp, timestamp});

  ChallengeFields fields;
  fields.flags = answer;
  fields.serverChallenge = serverChallenge_;
  fields.targetName = settings_.netbiosDomain;
  fields.targetInfo = encodeAvPairs(info);
  fields.version = kVersion;
  negotiateToken_.assign(token.begin(), token.end());
  challengeToken_ = encodeChallenge(fields);
  status_ = AuthStatus::Success;
  return challengeToken_;
}

AuthResult Acceptor::authenticate(std::span<const uint8_t> token) {
  if (challengeToken_.empty()) return failure(AuthStatus::OutOfOrder);
  // One AUTHENTICATE per challenge, whatever its outcome: a second would
  // replay or guess against the first.
  std::vector<uint8_t> challengeToken = std::move(challengeToken_);
  challengeToken_.clear();
  auto message = parseAuthenticate(token);
  if (!message) return failure(AuthStatus::Malformed);
  if ((message->flags & flags::kAnonymous) || message->user.empty()) {
    return failure(AuthStatus::Anonymous, &*message);
  }
  const Credential* credential = credentials_ ? credentials_->find(message->user, message->domain) : nullptr;
  if (!credential) return failure(AuthStatus::UnknownUser, &*message);

  AuthResult result;
  if (message->ntResponse.size() > 24) {
    result = verifyV2(*message, *credential);
  } else if (message->ntResponse.size() == 24) {
    if (!settings_.allowNtlmV1) return failure(AuthStatus::NtlmV1Refused, &*message);
    result = verifyV1(*message, *credential);
  } else {
    return failure(AuthStatus::Malformed, &*message);
  }
  if (result.status != AuthStatus::Success) return result;

  // The MIC covers all three messages, so a man in the middle cannot strip
  // flags from the NEGOTIATE or the CHALLENGE unnoticed.
  bool micAnnounced = false;
  if (result.ntlmV2) {
    // The AV pairs follow the 16-byte proof and the 28 fixed bytes of the
    // client challenge.
    auto pairs = parseAvPairs(std::span(message->ntResponse).subspan(16 + 28));
    if (pairs) {
      for (const auto& pair : *pairs) {
        if (pair.id == AvId::Flags && pair.value.size() == 4) {
          uint32_t value = pair.value[0] | (pair.value[1] << 8) | (pair.value[2] << 16) |
                           (uint32_t{pair.value[3]} << 24);
          micAnnounced = value & kAvFlagMicPresent;
        }
      }
    }
  }
  if (micAnnounced || settings_.requireMic) {
    if (!micAnnounced || !message->micOffset) return failure(AuthStatus::MicMissing, &*message);
    std::vector<uint8_t> zeroed(token.begin(), token.end());
    std::fill_n(zeroed.begin() + static_cast<std::ptrdiff_t>(*message->micOffset), 16, uint8_t{0});
    Digest mic = hmacMd5(result.exportedSessionKey, {negotiateToken_, challengeToken, zeroed});
    if (!constantTimeEqual(mic, token.subspan(*message->micOffset, 16))) {
      return failure(AuthStatus::MicMismatch, &*message);
    }
  }
  return result;
}

AuthResult Acceptor::verifyV2(const AuthenticateMessage& message, const Credential& credential) {
  auto identity = detail::utf16le(detail::upperCase(message.user) + message.domain);
  Digest responseKey = hmacMd5(credential.ntHash, {identity});
  std::span<const uint8_t> nt(message.ntResponse);
  auto proofSent = nt.first(16);
  auto blob = nt.subspan(16);
  // RespType and HiRespType are both 1 in every version of the client
  // challenge; the blob also needs room for its fixed fields.
  if (blob.size() < 28 || blob[0] != 1 || blob[1] != 1) return failure(AuthStatus::Malformed, &message);
  Digest proof = hmacMd5(responseKey, {serverChallenge_, blob});
  if (!constantTimeEqual(proof, proofSent)) return failure(AuthStatus::WrongPassword, &message);

  AuthResult result;
  result.status = AuthStatus::Success;
  result.ntlmV2 = true;
  result.user = detail::utf16ToUtf8(message.user);
  result.domain = detail::utf16ToUtf8(message.domain);
  result.flags = message.flags & challengeFlags_;
  Digest keyExchangeKey = hmacMd5(responseKey, {proof});
  result.exportedSessionKey = keyExchangeKey;
  if ((result.flags & flags::kKeyExchange) && message.encryptedSessionKey.size() == 16) {
    std::copy(message.encryptedSessionKey.begin(), message.encryptedSessionKey.end(),
              result.exportedSessionKey.begin());
    Rc4(keyExchangeKey).apply(result.exportedSessionKey);
  }
  return result;
}

AuthResult Acceptor::verifyV1(const AuthenticateMessage& message, const Credential& credential) {
  // Only the extended-session-security form: the client challenge travels in
  // the first 8 bytes of the LM response.
  if (!(message.flags & flags::kExtendedSessionSecurity) || message.lmResponse.size() < 8) {
    return failure(AuthStatus::NtlmV1Refused, &message);
  }
  std::span<const uint8_t> clientChallenge(message.lmResponse.data(), 8);
  Digest mixed = md5({serverChallenge_, clientChallenge});
  auto expected = desl(credential.ntHash, std::span<const uint8_t, 8>(mixed.data(), 8));
  if (!constantTimeEqual(expected, message.ntResponse)) return failure(AuthStatus::WrongPassword, &message);

  AuthResult result;
  result.status = AuthStatus::Success;
  result.user = detail::utf16ToUtf8(message.user);
  result.domain = detail::utf16ToUtf8(message.domain);
  result.flags = message.flags & challengeFlags_;
  Digest sessionBaseKey = md4(credential.ntHash);
  Digest keyExchangeKey = hmacMd5(sessionBaseKey, {serverChallenge_, clientChallenge});
  result.exportedSessionKey = keyExchangeKey;
  if ((result.flags & flags::kKeyExchange) && message.encryptedSessionKey.size() == 16) {
    std::copy(message.encryptedSessionKey.begin(), message.encryptedSessionKey.end(),
              result.exportedSessionKey.begin());
    Rc4(keyExchangeKey).apply(result.exportedSessionKey);
  }
  return result;
}

}  // namespace ntlm
