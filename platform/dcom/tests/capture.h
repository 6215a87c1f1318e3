#pragma once

// Reads the stubs out of a recorded DCE/RPC conversation: one PDU a line,
// "C>S <hex>" or "S>C <hex>", and for sealed conversations the unsealed
// stub on a "PLAIN_STUB <hex>" line.

#include <cctype>
#include <fstream>
#include <string>
#include <vector>

namespace dcom::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes hex(std::string_view text) {
  Bytes out;
  std::string digits;
  for (char c : text)
    if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) out.push_back(std::stoi(digits.substr(i, 2), nullptr, 16));
  return out;
}

struct Pdu {
  bool fromClient = false;
  Bytes bytes;
  std::uint8_t type() const { return bytes[2]; }
  std::uint16_t opnum() const { return static_cast<std::uint16_t>(bytes[22] | bytes[23] << 8); }
  // The stub of a request (0) or response (2): after the header (and the
  // object UUID), before the auth padding, trailer and verifier.
  Bytes stub() const {
    const std::size_t length = bytes[8] | bytes[9] << 8;
    const std::size_t authLength = bytes[10] | bytes[11] << 8;
    std::size_t begin = 24 + ((type() == 0 && (bytes[3] & 0x80)) ? 16 : 0);
    std::size_t end = length;
    if (authLength) end = length - authLength - 8 - bytes[length - authLength - 8 + 2];
    return Bytes(bytes.begin() + begin, bytes.begin() + end);
  }
};

struct Capture {
  std::vector<Pdu> pdus;
  std::vector<Bytes> plainStubs;
  // The requests (or responses) in order.
  std::vector<Pdu> ofType(std::uint8_t type) const {
    std::vector<Pdu> out;
    for (const Pdu& p : pdus)
      if (p.type() == type) out.push_back(p);
    return out;
  }
};

inline Capture readCapture(const std::string& name) {
  std::ifstream in(std::string(DCOM_VECTORS_DIR) + "/" + name);
  Capture capture;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("C>S ", 0) == 0 || line.rfind("S>C ", 0) == 0) {
      capture.pdus.push_back({line[0] == 'C', hex(line.substr(4))});
    } else if (line.rfind("PLAIN_STUB", 0) == 0) {
      capture.plainStubs.push_back(hex(line.substr(10)));
    }
  }
  return capture;
}

}  // namespace dcom::testing
