#pragma once
// Signing and sealing with the keys of a completed NTLM handshake (extended
// session security), from the server's side: what it sends uses the
// server-to-client keys, what it receives the client-to-server keys. Each
// direction numbers its messages from 0, and the RC4 streams run on across
// messages, so messages must be processed in the order they travel.

#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "ntlm/crypto.h"

namespace ntlm {

using Signature = std::array<uint8_t, 16>;

class Session {
public:
  // `flags` are the negotiated flags; `server` picks the direction of the keys.
  Session(const Digest& exportedSessionKey, uint32_t flags, bool server = true);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Signs an outgoing message.
  Signature sign(std::span<const uint8_t> message);
  // Signs an outgoing message that lies in several parts, in order.
  Signature sign(std::span<const std::span<const uint8_t>> parts);
  // Encrypts `sealed` in place and signs `message` (the plaintext, which
  // contains the sealed part before encryption): the DCE/RPC way, where the
  // signature covers more than what is encrypted. Call with `message`
  // holding the plaintext; `sealed` is encrypted afterwards.
  Signature seal(std::span<const uint8_t> message, std::span<uint8_t> sealed);

  // Checks an incoming signature over `message`.
  bool verify(std::span<const uint8_t> message, std::span<const uint8_t> signature);
  // Decrypts `sealed` in place; then `verify` the plaintext message.
  void unseal(std::span<uint8_t> sealed);

private:
  struct Direction;
  Signature mac(Direction& direction, std::span<const std::span<const uint8_t>> parts);

  uint32_t flags_;
  std::unique_ptr<Direction> outgoing_;
  std::unique_ptr<Direction> incoming_;
};

}  // namespace ntlm
