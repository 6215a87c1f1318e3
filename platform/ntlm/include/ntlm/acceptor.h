#pragma once
// The server side of one NTLM handshake: NEGOTIATE in, CHALLENGE out,
// AUTHENTICATE in, and the outcome with the session key the signing and
// sealing keys derive from.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ntlm/credentials.h"
#include "ntlm/crypto.h"
#include "ntlm/messages.h"

namespace ntlm {

struct AcceptorSettings {
  // NTLMv1 responses (with extended session security) are accepted only
  // when this is set: they are far weaker than NTLMv2.
  bool allowNtlmV1 = false;
  // Refuse an AUTHENTICATE without a MIC (otherwise a MIC is checked only
  // when the client announces one).
  bool requireMic = false;
  std::u16string netbiosDomain = u"WORKGROUP";
  std::u16string netbiosComputer = u"VELMORA";
  std::u16string dnsDomain;
  std::u16string dnsComputer;
  // Sources of the server challenge and of the time, replaceable in tests.
  std::function<std::array<uint8_t, 8>()> challengeSource;
  std::function<uint64_t()> fileTimeNow;  // 100 ns since 1601
};

enum class AuthStatus {
  Success,
  Malformed,
  NoExtendedSessionSecurity,
  Anonymous,
  UnknownUser,
  WrongPassword,
  NtlmV1Refused,
  MicMissing,
  MicMismatch,
  OutOfOrder,
};

const char* toString(AuthStatus status);

struct AuthResult {
  AuthStatus status = AuthStatus::Malformed;
  std::string user;    // UTF-8, as the client sent it
  std::string domain;
  uint32_t flags = 0;  // negotiated flags
  Digest exportedSessionKey{};
  bool ntlmV2 = false;
};

class Acceptor {
public:
  Acceptor(AcceptorSettings settings, std::shared_ptr<const CredentialStore> credentials);

  // Answers a NEGOTIATE with a CHALLENGE; nothing for a malformed token or a
  // client without extended session security (`status()` says which).
  std::optional<std::vector<uint8_t>> negotiate(std::span<const uint8_t> token);
  // Checks the AUTHENTICATE against the credentials.
  AuthResult authenticate(std::span<const uint8_t> token);

  AuthStatus status() const { return status_; }

private:
  AuthResult verifyV2(const AuthenticateMessage& message, const Credential& credential);
  AuthResult verifyV1(const AuthenticateMessage& message, const Credential& credential);

  AcceptorSettings settings_;
  std::shared_ptr<const CredentialStore> credentials_;
  std::vector<uint8_t> negotiateToken_;
  std::vector<uint8_t> challengeToken_;
  std::array<uint8_t, 8> serverChallenge_{};
  uint32_t challengeFlags_ = 0;
  AuthStatus status_ = AuthStatus::OutOfOrder;
};

}  // namespace ntlm
