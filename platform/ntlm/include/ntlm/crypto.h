#pragma once
// The digests and ciphers NTLM is built from, as thin wrappers over nettle.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

namespace ntlm {

using Digest = std::array<uint8_t, 16>;
using Bytes = std::span<const uint8_t>;

Digest md4(Bytes data);
Digest md5(std::initializer_list<Bytes> parts);
Digest hmacMd5(Bytes key, std::initializer_list<Bytes> parts);

// The NT hash of a password: MD4 of its UTF-16LE form.
Digest ntHash(std::string_view utf8Password);

// DESL: three DES encryptions of `data` under the 16-byte key split into
// 7-byte DES keys (the last padded with zeros), for NTLMv1 responses.
std::array<uint8_t, 24> desl(const Digest& key, std::span<const uint8_t, 8> data);

// Compares without an early exit, so that the time taken does not tell how
// many leading bytes of a guessed response were right.
bool constantTimeEqual(Bytes a, Bytes b);

// An RC4 key stream that continues across calls.
class Rc4 {
public:
  explicit Rc4(Bytes key);
  Rc4(const Rc4&) = delete;
  Rc4& operator=(const Rc4&) = delete;
  ~Rc4();
  void apply(std::span<uint8_t> data);

private:
  struct State;
  State* state_;
};

}  // namespace ntlm
