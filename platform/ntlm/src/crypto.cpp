#include "ntlm/crypto.h"

#include <nettle/arcfour.h>
#include <nettle/des.h>
#include <nettle/hmac.h>
#include <nettle/md4.h>
#include <nettle/md5.h>

#include <vector>

#include "utf16.h"

namespace ntlm {

Digest md4(Bytes data) {
  md4_ctx ctx;
  md4_init(&ctx);
  md4_update(&ctx, data.size(), data.data());
  Digest out;
  md4_digest(&ctx, out.size(), out.data());
  return out;
}

Digest md5(std::initializer_list<Bytes> parts) {
  md5_ctx ctx;
  md5_init(&ctx);
  for (auto part : parts) md5_update(&ctx, part.size(), part.data());
  Digest out;
  md5_digest(&ctx, out.size(), out.data());
  return out;
}

Digest hmacMd5(Bytes key, std::initializer_list<Bytes> parts) {
  hmac_md5_ctx ctx;
  hmac_md5_set_key(&ctx, key.size(), key.data());
  for (auto part : parts) hmac_md5_update(&ctx, part.size(), part.data());
  Digest out;
  hmac_md5_digest(&ctx, out.size(), out.data());
  return out;
}

Digest ntHash(std::string_view utf8Password) {
  std::vector<uint8_t> unicode = detail::utf16le(detail::utf8ToUtf16(utf8Password));
  return md4(unicode);
}

namespace {

// Spreads 56 key bits over 8 bytes, 7 bits each; DES ignores the low
// (parity) bit of every byte.
std::array<uint8_t, 8> expandDesKey(const uint8_t* key7) {
  std::array<uint8_t, 8> key;
  key[0] = key7[0];
  key[1] = static_cast<uint8_t>((key7[0] << 7) | (key7[1] >> 1));
  key[2] = static_cast<uint8_t>((key7[1] << 6) | (key7[2] >> 2));
  key[3] = static_cast<uint8_t>((key7[2] << 5) | (key7[3] >> 3));
  key[4] = static_cast<uint8_t>((key7[3] << 4) | (key7[4] >> 4));
  key[5] = static_cast<uint8_t>((key7[4] << 3) | (key7[5] >> 5));
  key[6] = static_cast<uint8_t>((key7[5] << 2) | (key7[6] >> 6));
  key[7] = static_cast<uint8_t>(key7[6] << 1);
  for (auto& byte : key) byte &= 0xfe;
  return key;
}

}  // namespace

std::array<uint8_t, 24> desl(const Digest& key, std::span<const uint8_t, 8> data) {
  std::array<uint8_t, 21> padded{};
  std::copy(key.begin(), key.end(), padded.begin());
  std::array<uint8_t, 24> out;
  for (int i = 0; i < 3; ++i) {
    auto desKey = expandDesKey(padded.data() + 7 * i);
    des_ctx ctx;
    des_set_key(&ctx, desKey.data());  // weak keys are still usable keys here
    des_encrypt(&ctx, 8, out.data() + 8 * i, data.data());
  }
  return out;
}

bool constantTimeEqual(Bytes a, Bytes b) {
  if (a.size() != b.size()) return false;
  uint8_t difference = 0;
  for (size_t i = 0; i < a.size(); ++i) difference |= static_cast<uint8_t>(a[i] ^ b[i]);
  return difference == 0;
}

struct Rc4::State {
  arcfour_ctx ctx;
};

Rc4::Rc4(Bytes key) : state_(new State) { arcfour_set_key(&state_->ctx, key.size(), key.data()); }

Rc4::~Rc4() { delete state_; }

void Rc4::apply(std::span<uint8_t> data) { arcfour_crypt(&state_->ctx, data.size(), data.data(), data.data()); }

}  // namespace ntlm
