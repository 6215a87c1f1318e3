#include "ntlm/session.h"

#include <nettle/hmac.h>

#include <cstring>
#include <string_view>

#include "ntlm/messages.h"

namespace ntlm {
namespace {

std::span<const uint8_t> magic(std::string_view text) {
  // The terminating NUL belongs to the constant.
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size() + 1};
}

constexpr std::string_view kClientSigning = "session key to client-to-server signing key magic constant";
constexpr std::string_view kServerSigning = "session key to server-to-client signing key magic constant";
constexpr std::string_view kClientSealing = "session key to client-to-server sealing key magic constant";
constexpr std::string_view kServerSealing = "session key to server-to-client sealing key magic constant";

}  // namespace

struct Session::Direction {
  // The HMAC state after taking the signing key, copied for every message so
  // that the key's two blocks are not hashed again each time.
  hmac_md5_ctx keyed;
  Rc4 handle;
  uint32_t sequence = 0;

  Direction(const Digest& signing, const Digest& sealing) : handle(sealing) {
    hmac_md5_set_key(&keyed, signing.size(), signing.data());
  }

  Digest checksum(std::span<const uint8_t, 4> sequenceBytes, std::span<const std::span<const uint8_t>> parts) const {
    hmac_md5_ctx ctx = keyed;
    hmac_md5_update(&ctx, sequenceBytes.size(), sequenceBytes.data());
    for (auto part : parts) hmac_md5_update(&ctx, part.size(), part.data());
    Digest out;
    hmac_md5_digest(&ctx, out.size(), out.data());
    return out;
  }
};

Session::Session(const Digest& exportedSessionKey, uint32_t flags, bool server) : flags_(flags) {
  size_t sealingBase = 5;
  if (flags & flags::k128) {
    sealingBase = 16;
  } else if (flags & flags::k56) {
    sealingBase = 7;
  }
  std::span<const uint8_t> base(exportedSessionKey.data(), sealingBase);
  Digest clientSigning = md5({exportedSessionKey, magic(kClientSigning)});
  Digest serverSigning = md5({exportedSessionKey, magic(kServerSigning)});
  Digest clientSealing = md5({base, magic(kClientSealing)});
  Digest serverSealing = md5({base, magic(kServerSealing)});
  auto client = std::make_unique<Direction>(clientSigning, clientSealing);
  auto serverSide = std::make_unique<Direction>(serverSigning, serverSealing);
  if (server) {
    outgoing_ = std::move(serverSide);
    incoming_ = std::move(client);
  } else {
    outgoing_ = std::move(client);
    incoming_ = std::move(serverSide);
  }
}

Session::~Session() = default;

Signature Session::mac(Direction& direction, std::span<const std::span<const uint8_t>> parts) {
  uint8_t sequence[4];
  for (int i = 0; i < 4; ++i) sequence[i] = static_cast<uint8_t>(direction.sequence >> (8 * i));
  Digest checksum = direction.checksum(sequence, parts);
  Signature signature{};
  signature[0] = 1;
  std::memcpy(signature.data() + 4, checksum.data(), 8);
  if (flags_ & flags::kKeyExchange) direction.handle.apply(std::span(signature.data() + 4, 8));
  std::memcpy(signature.data() + 12, sequence, 4);
  ++direction.sequence;
  return signature;
}

Signature Session::sign(std::span<const uint8_t> message) { return mac(*outgoing_, std::span(&message, 1)); }

Signature Session::sign(std::span<const std::span<const uint8_t>> parts) { return mac(*outgoing_, parts); }

Signature Session::seal(std::span<const uint8_t> message, std::span<uint8_t> sealed) {
  // The checksum is computed over the plaintext but encrypted after the
  // message, continuing the same key stream; the HMAC is taken first because
  // `sealed` usually lies inside `message`.
  uint8_t sequence[4];
  for (int i = 0; i < 4; ++i) sequence[i] = static_cast<uint8_t>(outgoing_->sequence >> (8 * i));
  Digest checksum = outgoing_->checksum(sequence, std::span(&message, 1));
  outgoing_->handle.apply(sealed);
  Signature signature{};
  signature[0] = 1;
  std::memcpy(signature.data() + 4, checksum.data(), 8);
  if (flags_ & flags::kKeyExchange) outgoing_->handle.apply(std::span(signature.data() + 4, 8));
  std::memcpy(signature.data() + 12, sequence, 4);
  ++outgoing_->sequence;
  return signature;
}

bool Session::verify(std::span<const uint8_t> message, std::span<const uint8_t> signature) {
  if (signature.size() != 16) return false;
  Signature expected = mac(*incoming_, std::span(&message, 1));
  return constantTimeEqual(expected, signature);
}

void Session::unseal(std::span<uint8_t> sealed) { incoming_->handle.apply(sealed); }

}  // namespace ntlm
