#include "ntlm/initiator.h"

#include <sys/random.h>

#include <cstring>

#include "ntlm/messages.h"
#include "utf16.h"

namespace ntlm {
namespace {

constexpr uint32_t kRequested = flags::kUnicode | flags::kRequestTarget | flags::kSign | flags::kSeal |
                                flags::kNtlm | flags::kAlwaysSign | flags::kExtendedSessionSecurity |
                                flags::kTargetInfo | flags::kVersion | flags::k128 | flags::kKeyExchange |
                                flags::k56;
constexpr std::array<uint8_t, 8> kVersion = {10, 0, 0x61, 0x4a, 0, 0, 0, 15};

template <size_t N>
std::array<uint8_t, N> randomBytes() {
  std::array<uint8_t, N> bytes{};
  size_t filled = 0;
  while (filled < N) {
    ssize_t count = ::getrandom(bytes.data() + filled, N - filled, 0);
    if (count > 0) filled += static_cast<size_t>(count);
  }
  return bytes;
}

void put16(std::vector<uint8_t>& out, size_t at, size_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(std::vector<uint8_t>& out, size_t at, size_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

Initiator::Initiator(InitiatorSettings settings) : settings_(std::move(settings)) {
  if (!settings_.clientChallenge) settings_.clientChallenge = randomBytes<8>;
  if (!settings_.sessionKey) settings_.sessionKey = randomBytes<16>;
}

std::vector<uint8_t> Initiator::negotiate() {
  negotiateToken_ = {'N', 'T', 'L', 'M', 'S', 'S', 'P', 0, 1, 0, 0, 0};
  negotiateToken_.resize(40, 0);
  put32(negotiateToken_, 12, kRequested & ~settings_.withoutFlags);
  std::memcpy(negotiateToken_.data() + 32, kVersion.data(), 8);
  return negotiateToken_;
}

std::optional<std::vector<uint8_t>> Initiator::authenticate(std::span<const uint8_t> challengeToken) {
  auto challenge = parseChallenge(challengeToken);
  if (!challenge) return std::nullopt;
  auto pairs = parseAvPairs(challenge->targetInfo);
  if (!pairs) return std::nullopt;
  flags_ = challenge->flags & kRequested & ~settings_.withoutFlags;

  std::vector<uint8_t> timestamp(8, 0);
  bool flagsPresent = false;
  for (auto& pair : *pairs) {
    if (pair.id == AvId::Timestamp && pair.value.size() == 8) timestamp = pair.value;
    if (pair.id == AvId::Flags && pair.value.size() == 4 && settings_.sendMic) {
      pair.value[0] |= kAvFlagMicPresent;
      flagsPresent = true;
    }
  }
  if (settings_.sendMic && !flagsPresent) pairs->push_back({AvId::Flags, {kAvFlagMicPresent, 0, 0, 0}});

  auto clientChallenge = settings_.clientChallenge();
  std::vector<uint8_t> blob = {1, 1, 0, 0, 0, 0, 0, 0};
  blob.insert(blob.end(), timestamp.begin(), timestamp.end());
  blob.insert(blob.end(), clientChallenge.begin(), clientChallenge.end());
  blob.insert(blob.end(), 4, 0);
  auto info = encodeAvPairs(*pairs);
  blob.insert(blob.end(), info.begin(), info.end());
  blob.insert(blob.end(), 4, 0);

  auto identity = detail::utf16le(detail::upperCase(settings_.user) + settings_.domain);
  Digest responseKey = hmacMd5(settings_.ntHash, {identity});
  Digest proof = hmacMd5(responseKey, {challenge->serverChallenge, blob});
  std::vector<uint8_t> nt(proof.begin(), proof.end());
  nt.insert(nt.end(), blob.begin(), blob.end());
  Digest keyExchangeKey = hmacMd5(responseKey, {proof});

  std::vector<uint8_t> encryptedKey;
  exportedSessionKey_ = keyExchangeKey;
  if (flags_ & flags::kKeyExchange) {
    exportedSessionKey_ = settings_.sessionKey();
    encryptedKey.assign(exportedSessionKey_.begin(), exportedSessionKey_.end());
    Rc4(keyExchangeKey).apply(encryptedKey);
  }

  // With a MIC the LM response is 24 zero bytes.
  std::vector<uint8_t> lm(24, 0);
  auto domain = detail::utf16le(settings_.domain);
  auto user = detail::utf16le(settings_.user);
  auto workstation = detail::utf16le(settings_.workstation);
  constexpr size_t kFixed = 88;
  std::vector<uint8_t> token(kFixed, 0);
  const uint8_t header[12] = {'N', 'T', 'L', 'M', 'S', 'S', 'P', 0, 3, 0, 0, 0};
  std::memcpy(token.data(), header, 12);
  const std::vector<uint8_t>* parts[6] = {&lm, &nt, &domain, &user, &workstation, &encryptedKey};
  size_t offset = kFixed;
  for (int i = 0; i < 6; ++i) {
    put16(token, 12 + 8 * i, parts[i]->size());
    put16(token, 14 + 8 * i, parts[i]->size());
    put32(token, 16 + 8 * i, offset);
    offset += parts[i]->size();
  }
  for (int i = 0; i < 6; ++i) token.insert(token.end(), parts[i]->begin(), parts[i]->end());
  put32(token, 60, flags_);
  std::memcpy(token.data() + 64, kVersion.data(), 8);
  if (settings_.sendMic) {
    Digest mic = hmacMd5(exportedSessionKey_, {negotiateToken_, challengeToken, token});
    std::memcpy(token.data() + 72, mic.data(), 16);
  }
  return token;
}

}  // namespace ntlm
