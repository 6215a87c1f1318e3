#include "ntlm/messages.h"

#include <algorithm>
#include <cstring>

#include "utf16.h"

namespace ntlm {
namespace {

constexpr uint8_t kSignature[8] = {'N', 'T', 'L', 'M', 'S', 'S', 'P', 0};

uint16_t read16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t read32(std::span<const uint8_t> b, size_t at) {
  return uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) | (uint32_t{b[at + 3]} << 24);
}
void put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool hasHeader(std::span<const uint8_t> token, uint32_t type, size_t minimum) {
  return token.size() >= minimum && std::memcmp(token.data(), kSignature, 8) == 0 && read32(token, 8) == type;
}

// A variable field: length, maximum length (ignored) and offset from the
// token start. An empty field may point anywhere.
struct Field {
  uint16_t length = 0;
  uint32_t offset = 0;
};

std::optional<Field> readField(std::span<const uint8_t> token, size_t at) {
  Field field{read16(token, at), read32(token, at + 4)};
  if (field.length != 0 && (field.offset > token.size() || field.length > token.size() - field.offset)) {
    return std::nullopt;
  }
  return field;
}

std::span<const uint8_t> bytesOf(std::span<const uint8_t> token, Field field) {
  if (field.length == 0) return {};
  return token.subspan(field.offset, field.length);
}

std::u16string textOf(std::span<const uint8_t> token, Field field, bool unicode) {
  auto bytes = bytesOf(token, field);
  if (unicode) return detail::fromUtf16le(bytes);
  // OEM text: the code page is not known here; ASCII is what names use.
  return std::u16string(bytes.begin(), bytes.end());
}

}  // namespace

std::optional<std::vector<AvPair>> parseAvPairs(std::span<const uint8_t> bytes) {
  std::vector<AvPair> pairs;
  size_t at = 0;
  while (at + 4 <= bytes.size()) {
    auto id = static_cast<AvId>(read16(bytes, at));
    uint16_t length = read16(bytes, at + 2);
    at += 4;
    if (id == AvId::End) return pairs;
    if (length > bytes.size() - at) return std::nullopt;
    pairs.push_back({id, std::vector<uint8_t>(bytes.begin() + at, bytes.begin() + at + length)});
    at += length;
  }
  return std::nullopt;
}

std::vector<uint8_t> encodeAvPairs(const std::vector<AvPair>& pairs) {
  std::vector<uint8_t> out;
  for (const auto& pair : pairs) {
    put16(out, static_cast<uint16_t>(pair.id));
    put16(out, static_cast<uint16_t>(pair.value.size()));
    out.insert(out.end(), pair.value.begin(), pair.value.end());
  }
  put32(out, 0);
  return out;
}

std::vector<uint8_t> avString(std::u16string_view text) { return detail::utf16le(text); }

std::optional<NegotiateMessage> parseNegotiate(std::span<const uint8_t> token) {
  // Only the flags matter to a server; the optional domain and workstation
  // fields are sent inconsistently and are not needed.
  if (!hasHeader(token, 1, 16)) return std::nullopt;
  return NegotiateMessage{read32(token, 12)};
}

std::optional<AuthenticateMessage> parseAuthenticate(std::span<const uint8_t> token) {
  if (!hasHeader(token, 3, 64)) return std::nullopt;
  AuthenticateMessage message;
  message.flags = read32(token, 60);
  std::optional<Field> fields[6];
  for (int i = 0; i < 6; ++i) {
    fields[i] = readField(token, 12 + 8 * i);
    if (!fields[i]) return std::nullopt;
  }
  bool unicode = message.flags & flags::kUnicode;
  message.lmResponse.assign(bytesOf(token, *fields[0]).begin(), bytesOf(token, *fields[0]).end());
  auto nt = bytesOf(token, *fields[1]);
  message.ntResponse.assign(nt.begin(), nt.end());
  message.domain = textOf(token, *fields[2], unicode);
  message.user = textOf(token, *fields[3], unicode);
  message.workstation = textOf(token, *fields[4], unicode);
  auto key = bytesOf(token, *fields[5]);
  message.encryptedSessionKey.assign(key.begin(), key.end());

  // Clients differ in whether they send the version and the MIC, and do not
  // flag them reliably, so the fixed part ends where the first payload
  // begins.
  size_t payloadStart = token.size();
  for (const auto& field : fields) {
    if (field->length != 0) payloadStart = std::min<size_t>(payloadStart, field->offset);
  }
  if (payloadStart >= 88) message.micOffset = 72;
  return message;
}

std::vector<uint8_t> encodeChallenge(const ChallengeFields& fields) {
  constexpr size_t kPayloadStart = 56;
  auto name = detail::utf16le(fields.targetName);
  std::vector<uint8_t> out(kSignature, kSignature + 8);
  put32(out, 2);
  put16(out, static_cast<uint16_t>(name.size()));
  put16(out, static_cast<uint16_t>(name.size()));
  put32(out, kPayloadStart);
  put32(out, fields.flags);
  out.insert(out.end(), fields.serverChallenge.begin(), fields.serverChallenge.end());
  out.insert(out.end(), 8, 0);
  put16(out, static_cast<uint16_t>(fields.targetInfo.size()));
  put16(out, static_cast<uint16_t>(fields.targetInfo.size()));
  put32(out, static_cast<uint32_t>(kPayloadStart + name.size()));
  out.insert(out.end(), fields.version.begin(), fields.version.end());
  out.insert(out.end(), name.begin(), name.end());
  out.insert(out.end(), fields.targetInfo.begin(), fields.targetInfo.end());
  return out;
}

std::optional<ChallengeFields> parseChallenge(std::span<const uint8_t> token) {
  if (!hasHeader(token, 2, 48)) return std::nullopt;
  auto name = readField(token, 12);
  auto info = readField(token, 40);
  if (!name || !info) return std::nullopt;
  ChallengeFields fields;
  fields.flags = read32(token, 20);
  std::copy_n(token.begin() + 24, 8, fields.serverChallenge.begin());
  fields.targetName = textOf(token, *name, fields.flags & flags::kUnicode);
  auto infoBytes = bytesOf(token, *info);
  fields.targetInfo.assign(infoBytes.begin(), infoBytes.end());
  if (token.size() >= 56) std::copy_n(token.begin() + 48, 8, fields.version.begin());
  return fields;
}

}  // namespace ntlm
