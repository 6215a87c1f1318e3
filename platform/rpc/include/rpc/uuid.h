#pragma once
// UUIDs as DCE/RPC carries them: 16 bytes in wire order (the first three fields
// little-endian, the last eight bytes as they are), so that a value read from a
// PDU is compared and stored without conversion.

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rpc {

struct Uuid {
  std::array<uint8_t, 16> bytes{};

  // Parses the text form "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" (either case,
  // optionally in braces).
  static std::optional<Uuid> parse(std::string_view text);
  // Lower-case text form without braces.
  std::string toString() const;
  bool isNil() const;

  auto operator<=>(const Uuid&) const = default;
  bool operator==(const Uuid&) const = default;
};

// An interface or transfer syntax with its version (major.minor).
struct SyntaxId {
  Uuid uuid;
  uint16_t major = 0;
  uint16_t minor = 0;

  auto operator<=>(const SyntaxId&) const = default;
  bool operator==(const SyntaxId&) const = default;
};

// The transfer syntaxes a connection-oriented server meets.
const SyntaxId& ndr20Syntax();
const SyntaxId& ndr64Syntax();
// Bind-time feature negotiation offers a context whose transfer syntax shares
// these first eight bytes; the last eight carry the feature bits.
bool isBindTimeFeatureSyntax(const SyntaxId& syntax);

}  // namespace rpc
