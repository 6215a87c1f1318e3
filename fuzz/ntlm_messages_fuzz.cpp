// Feeds arbitrary bytes to the NTLM message parsers and to a server-side
// handshake as the client's AUTHENTICATE (and NEGOTIATE).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "ntlm/acceptor.h"
#include "ntlm/initiator.h"
#include "ntlm/messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> input(data, size);
  (void)ntlm::parseNegotiate(input);
  (void)ntlm::parseChallenge(input);
  (void)ntlm::parseAvPairs(input);

  static const auto credentials = std::make_shared<ntlm::CredentialStore>(
      std::vector<ntlm::Credential>{{"opcuser", "", ntlm::ntHash("Secret123!")}});
  ntlm::AcceptorSettings settings;
  settings.allowNtlmV1 = true;
  settings.challengeSource = [] { return std::array<uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}; };
  ntlm::Acceptor acceptor(settings, credentials);
  ntlm::InitiatorSettings client;
  client.user = u"opcuser";
  ntlm::Initiator initiator(client);
  if (!acceptor.negotiate(initiator.negotiate())) return 0;
  (void)acceptor.authenticate(input);

  // The same bytes as a NEGOTIATE, and a client reading them as a CHALLENGE.
  ntlm::Acceptor second(settings, credentials);
  (void)second.negotiate(input);
  (void)initiator.authenticate(input);
  return 0;
}
