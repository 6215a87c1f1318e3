// DUALSTRINGARRAY in both forms.

#include "dcom/dual_string_array.h"

namespace dcom {
namespace {

void appendText(std::vector<std::uint16_t>& out, const std::u16string& text) {
  for (char16_t c : text) out.push_back(c);
  out.push_back(0);
}

// Reads a NUL-terminated string starting at entries[at], within [at, end).
std::optional<std::u16string> readText(std::span<const std::uint16_t> entries, std::size_t& at, std::size_t end) {
  std::u16string text;
  while (at < end && entries[at] != 0) text.push_back(static_cast<char16_t>(entries[at++]));
  if (at >= end) return std::nullopt;
  ++at;  // the terminator
  return text;
}

template <class W>
void walkWords(W& w, DualStringArray& array, bool conformant) {
  DualStringWords words;
  if constexpr (!W::kDecoding) words = toWords(array);
  std::uint32_t count = static_cast<std::uint32_t>(words.entries.size());
  std::uint16_t entries = static_cast<std::uint16_t>(count);
  if (conformant) {
    w.maxCount(count);
    w.u16(entries);
    w.u16(words.securityOffset);
  } else {
    w.packed(entries);
    w.packed(words.securityOffset);
    count = entries;
  }
  if (!w.ok()) return;
  if (entries != count) {
    w.fail(ndr::Status::invalid);
    return;
  }
  w.elements(words.entries, count, 2, [conformant](W& w2, std::uint16_t& e) {
    if (conformant) {
      w2.u16(e);
    } else {
      w2.packed(e);
    }
  });
  if constexpr (W::kDecoding) {
    if (!w.ok()) return;
    auto parsed = fromWords(words.entries, words.securityOffset);
    if (!parsed) {
      w.fail(ndr::Status::invalid);
      return;
    }
    array = std::move(*parsed);
  }
}

}  // namespace

DualStringWords toWords(const DualStringArray& array) {
  DualStringWords out;
  for (const StringBinding& binding : array.strings) {
    out.entries.push_back(binding.towerId);
    appendText(out.entries, binding.networkAddress);
  }
  out.entries.push_back(0);
  // An empty list is two empty entries, so that the smallest array has
  // four words.
  if (array.strings.empty()) out.entries.push_back(0);
  out.securityOffset = static_cast<std::uint16_t>(out.entries.size());
  for (const SecurityBinding& binding : array.security) {
    out.entries.push_back(binding.authnService);
    out.entries.push_back(binding.reserved);
    appendText(out.entries, binding.principalName);
  }
  out.entries.push_back(0);
  if (array.security.empty()) out.entries.push_back(0);
  return out;
}

std::optional<DualStringArray> fromWords(std::span<const std::uint16_t> entries, std::uint16_t securityOffset) {
  if (securityOffset > entries.size()) return std::nullopt;
  DualStringArray out;
  std::size_t at = 0;
  while (at < securityOffset && entries[at] != 0) {
    StringBinding binding;
    binding.towerId = entries[at++];
    auto text = readText(entries, at, securityOffset);
    if (!text) return std::nullopt;
    binding.networkAddress = std::move(*text);
    out.strings.push_back(std::move(binding));
  }
  at = securityOffset;
  while (at < entries.size() && entries[at] != 0) {
    SecurityBinding binding;
    binding.authnService = entries[at++];
    if (at >= entries.size()) return std::nullopt;
    binding.reserved = entries[at++];
    auto text = readText(entries, at, entries.size());
    if (!text) return std::nullopt;
    binding.principalName = std::move(*text);
    out.security.push_back(std::move(binding));
  }
  return out;
}

void walk(ndr::Encoder& w, DualStringArray& array) { walkWords(w, array, true); }
void walk(ndr::Decoder& w, DualStringArray& array) { walkWords(w, array, true); }
void walkPacked(ndr::Encoder& w, DualStringArray& array) { walkWords(w, array, false); }
void walkPacked(ndr::Decoder& w, DualStringArray& array) { walkWords(w, array, false); }

DualStringArray bindingsFor(const std::vector<std::string>& addresses, std::uint16_t port) {
  DualStringArray out;
  for (const std::string& address : addresses) {
    std::string text = port ? address + "[" + std::to_string(port) + "]" : address;
    out.strings.push_back({kTowerTcp, std::u16string(text.begin(), text.end())});
  }
  out.security.push_back({kAuthnWinNt, 0xFFFF, u""});
  return out;
}

}  // namespace dcom
