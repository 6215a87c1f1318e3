#pragma once
// The NTLM side of a capture: the three tokens and the settings under which
// the recording responder produced its CHALLENGE.

#include <string>
#include <vector>

#include "ntlm/acceptor.h"
#include "rpc/pdu.h"
#include "vector_file.h"

namespace ntlm::testing {

struct Handshake {
  std::vector<uint8_t> negotiate;
  std::vector<uint8_t> challenge;
  std::vector<uint8_t> authenticate;
  std::vector<rpc::testing::CapturedPdu> pdus;  // the whole capture
  size_t firstCall = 0;                          // index of the first PDU after auth3
};

inline std::vector<uint8_t> authValue(const std::vector<uint8_t>& bytes) {
  auto pdu = rpc::decodePdu(bytes);
  if (!pdu || !pdu.value->auth) return {};
  return {pdu.value->auth->value.begin(), pdu.value->auth->value.end()};
}

inline Handshake handshakeOf(const std::string& name) {
  Handshake handshake;
  handshake.pdus = rpc::testing::readCapture(name);
  handshake.negotiate = authValue(handshake.pdus.at(0).bytes);
  handshake.challenge = authValue(handshake.pdus.at(1).bytes);
  handshake.authenticate = authValue(handshake.pdus.at(2).bytes);
  handshake.firstCall = 3;
  return handshake;
}

// The responder's fixed challenge, time stamp and names.
inline AcceptorSettings captureSettings() {
  AcceptorSettings settings;
  settings.netbiosDomain = u"TESTDOM";
  settings.netbiosComputer = u"OPCSIM";
  settings.dnsDomain = u"testdom.local";
  settings.dnsComputer = u"opcsim.testdom.local";
  settings.challengeSource = [] { return std::array<uint8_t, 8>{0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef}; };
  settings.fileTimeNow = [] { return uint64_t{0x01d882cb9b208000}; };
  return settings;
}

inline std::shared_ptr<CredentialStore> captureCredentials(const char* password = "Secret123!") {
  return std::make_shared<CredentialStore>(std::vector<Credential>{{"opcuser", "TESTDOM", ntHash(password)}});
}

}  // namespace ntlm::testing
