#pragma once
// The three NTLM messages. Parsers take the bytes of one token and return
// nothing for a malformed one; every field they return lies inside the token.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ntlm {

namespace flags {
inline constexpr uint32_t kUnicode = 0x00000001;
inline constexpr uint32_t kOem = 0x00000002;
inline constexpr uint32_t kRequestTarget = 0x00000004;
inline constexpr uint32_t kSign = 0x00000010;
inline constexpr uint32_t kSeal = 0x00000020;
inline constexpr uint32_t kDatagram = 0x00000040;
inline constexpr uint32_t kLmKey = 0x00000080;
inline constexpr uint32_t kNtlm = 0x00000200;
inline constexpr uint32_t kAnonymous = 0x00000800;
inline constexpr uint32_t kAlwaysSign = 0x00008000;
inline constexpr uint32_t kTargetTypeDomain = 0x00010000;
inline constexpr uint32_t kTargetTypeServer = 0x00020000;
inline constexpr uint32_t kExtendedSessionSecurity = 0x00080000;
inline constexpr uint32_t kIdentify = 0x00100000;
inline constexpr uint32_t kTargetInfo = 0x00800000;
inline constexpr uint32_t kVersion = 0x02000000;
inline constexpr uint32_t k128 = 0x20000000;
inline constexpr uint32_t kKeyExchange = 0x40000000;
inline constexpr uint32_t k56 = 0x80000000;
}  // namespace flags

enum class AvId : uint16_t {
  End = 0,
  NbComputerName = 1,
  NbDomainName = 2,
  DnsComputerName = 3,
  DnsDomainName = 4,
  DnsTreeName = 5,
  Flags = 6,
  Timestamp = 7,
  SingleHost = 8,
  TargetName = 9,
  ChannelBindings = 10,
};
inline constexpr uint32_t kAvFlagMicPresent = 0x2;

struct AvPair {
  AvId id = AvId::End;
  std::vector<uint8_t> value;
};

// Reads AV pairs up to the End pair; nothing when a pair runs past the bytes
// or the End pair is missing.
std::optional<std::vector<AvPair>> parseAvPairs(std::span<const uint8_t> bytes);
// Writes the pairs followed by the End pair.
std::vector<uint8_t> encodeAvPairs(const std::vector<AvPair>& pairs);
std::vector<uint8_t> avString(std::u16string_view text);

struct NegotiateMessage {
  uint32_t flags = 0;
};

struct AuthenticateMessage {
  uint32_t flags = 0;
  std::vector<uint8_t> lmResponse;
  std::vector<uint8_t> ntResponse;
  std::u16string domain;
  std::u16string user;
  std::u16string workstation;
  std::vector<uint8_t> encryptedSessionKey;
  // Where a MIC would be, when the fixed part reaches that far (the payload
  // starts at or after offset 88).
  std::optional<size_t> micOffset;
};

std::optional<NegotiateMessage> parseNegotiate(std::span<const uint8_t> token);
std::optional<AuthenticateMessage> parseAuthenticate(std::span<const uint8_t> token);

struct ChallengeFields {
  uint32_t flags = 0;
  std::array<uint8_t, 8> serverChallenge{};
  std::u16string targetName;
  std::vector<uint8_t> targetInfo;  // encoded AV pairs
  std::array<uint8_t, 8> version{};
};

std::vector<uint8_t> encodeChallenge(const ChallengeFields& fields);
std::optional<ChallengeFields> parseChallenge(std::span<const uint8_t> token);

}  // namespace ntlm
