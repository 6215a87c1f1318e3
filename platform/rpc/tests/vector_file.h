#pragma once
// Reads the wire captures in tests/vectors: one PDU per line, "C>S <hex>" or
// "S>C <hex>", "PLAIN_STUB <hex>" after a protected request, "#" comments.

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace rpc::testing {

struct CapturedPdu {
  bool fromClient = false;
  std::vector<uint8_t> bytes;
  bool hasPlainStub = false;
  std::vector<uint8_t> plainStub;
};

inline std::vector<uint8_t> fromHex(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

inline std::string vectorPath(const std::string& name) {
  return std::string(RPC_TEST_VECTORS) + "/" + name;
}

inline std::vector<CapturedPdu> readCapture(const std::string& name) {
  std::ifstream in(vectorPath(name));
  if (!in) throw std::runtime_error("cannot open capture " + name);
  std::vector<CapturedPdu> pdus;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("C>S ", 0) == 0 || line.rfind("S>C ", 0) == 0) {
      pdus.push_back({line[0] == 'C', fromHex(line.substr(4)), false, {}});
    } else if (line.rfind("PLAIN_STUB", 0) == 0 && !pdus.empty()) {
      pdus.back().hasPlainStub = true;
      pdus.back().plainStub = fromHex(line.size() > 11 ? line.substr(11) : std::string());
    }
  }
  return pdus;
}

inline const std::vector<std::string>& allCaptures() {
  static const std::vector<std::string> names = {
      "impacket-objexporter-none.hex",
      "impacket-objexporter-connect-ntlmv2.hex",
      "impacket-objexporter-integrity-ntlmv2.hex",
      "impacket-objexporter-privacy-ntlmv2.hex",
      "impacket-remotecreateinstance-none.hex",
      "impacket-remotecreateinstance-privacy-ntlmv2.hex",
      "nodedcom-remoteactivation-connect-ntlmv1ess.hex",
      "nodedcom-bind-ntlm-md4-failure.hex",
  };
  return names;
}

}  // namespace rpc::testing
