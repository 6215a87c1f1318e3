#pragma once
// The client side of an NTLMv2 handshake with extended session security, key
// exchange and a MIC: what a DCOM client sends, and what the tests use to
// drive the server.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ntlm/crypto.h"

namespace ntlm {

struct InitiatorSettings {
  std::u16string user;
  std::u16string domain;
  std::u16string workstation;
  Digest ntHash{};
  bool sendMic = true;
  // Flags left out of the request, for a client that wants less (no
  // sealing, shorter keys).
  uint32_t withoutFlags = 0;
  // Sources of the client challenge and the random session key, replaceable
  // in tests.
  std::function<std::array<uint8_t, 8>()> clientChallenge;
  std::function<Digest()> sessionKey;
};

class Initiator {
public:
  explicit Initiator(InitiatorSettings settings);

  std::vector<uint8_t> negotiate();
  // Answers the server's CHALLENGE; nothing for a malformed one.
  std::optional<std::vector<uint8_t>> authenticate(std::span<const uint8_t> challenge);

  const Digest& exportedSessionKey() const { return exportedSessionKey_; }
  uint32_t flags() const { return flags_; }

private:
  InitiatorSettings settings_;
  std::vector<uint8_t> negotiateToken_;
  Digest exportedSessionKey_{};
  uint32_t flags_ = 0;
};

}  // namespace ntlm
