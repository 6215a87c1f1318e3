// Feeds arbitrary bytes to the DCE/RPC PDU decoder as a stream of PDUs, the
// way a connection reads them, and the request fragments to the reassembler.
#include <cstddef>
#include <cstdint>
#include <span>

#include "rpc/pdu.h"
#include "rpc/reassembly.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> input(data, size);
  rpc::Reassembler reassembler(4096, 4);
  while (input.size() >= rpc::kHeaderSize) {
    auto header = rpc::decodeHeader(input);
    if (!header || header.value->fragLength > input.size()) break;
    auto bytes = input.first(header.value->fragLength);
    input = input.subspan(header.value->fragLength);
    auto pdu = rpc::decodePdu(bytes);
    if (!pdu) continue;
    if (const auto* request = std::get_if<rpc::RequestBody>(&pdu.value->body)) {
      reassembler.add(pdu.value->header, *request, request->stub);
    }
    // Whatever decodes must encode again.
    std::optional<rpc::VerifierSpec> verifier;
    if (pdu.value->auth) verifier = rpc::VerifierSpec{pdu.value->auth->trailer, pdu.value->auth->value, 0};
    (void)rpc::encodePdu(pdu.value->header, pdu.value->body, verifier);
  }
  return 0;
}
