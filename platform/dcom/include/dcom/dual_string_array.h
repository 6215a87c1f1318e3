#pragma once

// DUALSTRINGARRAY: where an object exporter or resolver can be reached (string
// bindings: protocol tower and "host[port]") and how to authenticate to it
// (security bindings: service and principal). On the wire it is an array of
// 16-bit words, the string bindings first, each list ending with an empty
// entry; wSecurityOffset is the index of the first security binding.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dcom/ids.h"
#include "ndr/walker.h"

namespace dcom {

struct StringBinding {
  std::uint16_t towerId = kTowerTcp;
  std::u16string networkAddress;  // "host" or "host[port]"
  bool operator==(const StringBinding&) const = default;
};

struct SecurityBinding {
  std::uint16_t authnService = kAuthnWinNt;
  std::uint16_t reserved = 0xFFFF;
  std::u16string principalName;
  bool operator==(const SecurityBinding&) const = default;
};

struct DualStringArray {
  std::vector<StringBinding> strings;
  std::vector<SecurityBinding> security;
  bool operator==(const DualStringArray&) const = default;
};

// The words of the array and the security offset, as both forms carry them.
struct DualStringWords {
  std::vector<std::uint16_t> entries;
  std::uint16_t securityOffset = 0;
};
DualStringWords toWords(const DualStringArray& array);
// Fails (nullopt) when a binding runs past its part of the array or the
// offset lies outside it.
std::optional<DualStringArray> fromWords(std::span<const std::uint16_t> entries, std::uint16_t securityOffset);

// The NDR form (a conformant structure: max_count, wNumEntries,
// wSecurityOffset, the words).
void walk(ndr::Encoder& w, DualStringArray& array);
void walk(ndr::Decoder& w, DualStringArray& array);

// The packed form inside an OBJREF (the same without max_count, no
// alignment).
void walkPacked(ndr::Encoder& w, DualStringArray& array);
void walkPacked(ndr::Decoder& w, DualStringArray& array);

// The bindings an exporter or resolver hands out: one "address[port]" per
// address (port 0: the bare address) and NTLM with no principal name.
DualStringArray bindingsFor(const std::vector<std::string>& addresses, std::uint16_t port);

}  // namespace dcom
