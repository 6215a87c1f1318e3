// Feeds arbitrary bytes to one connection's protocol state as the client's
// stream of PDUs: binds, NTLM legs, fragments, signed and sealed requests.
// Calls that come out run against an echo handler and are answered, so the
// response path (fragmenting, signing, sealing) runs too.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "association.h"

namespace {

class Echo : public rpc::InterfaceHandler {
public:
  rpc::CallResult call(const rpc::CallContext& context, std::span<const uint8_t> stub) override {
    if (context.opnum == 1) return rpc::CallResult::fault(rpc::kFaultOpRangeError);
    return rpc::CallResult::response({stub.begin(), stub.end()});
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static rpc::detail::AssociationGroups groups;
  static const auto handler = std::make_shared<Echo>();
  static const auto credentials = std::make_shared<ntlm::CredentialStore>(
      std::vector<ntlm::Credential>{{"opcuser", "", ntlm::ntHash("Secret123!")}});
  rpc::detail::Environment environment;
  environment.settings.minimumLevel = rpc::AuthLevel::None;
  environment.settings.allowNtlmV1 = true;
  environment.settings.maxReassembledSize = 65536;
  environment.settings.maxPendingCalls = 8;
  environment.groups = &groups;
  environment.resolve = [](const rpc::SyntaxId&) { return handler; };
  environment.credentials = [] { return credentials; };
  environment.acceptor.challengeSource = [] {
    return std::array<uint8_t, 8>{0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
  };
  rpc::detail::Association association(environment, {1, "127.0.0.1", 135, "127.0.0.1"});

  std::span<const uint8_t> input(data, size);
  while (input.size() >= rpc::kHeaderSize) {
    auto header = rpc::decodeHeader(input);
    if (!header || header.value->fragLength > input.size()) break;
    auto step = association.receive(input.first(header.value->fragLength));
    input = input.subspan(header.value->fragLength);
    for (const auto& call : step.calls) (void)association.respond(call, call.handler->call(call.context, call.stub), [](auto) { return true; });
    if (step.close) break;
  }
  return 0;
}
