#pragma once

// What the system interfaces' handlers share: identifiers between the
// runtime's and COM's forms, the bindings a caller is given, and turning an
// NDR walk into the runtime's call result.

#include <algorithm>
#include <cstring>

#include "dcom/service.h"
#include "rpc/uuid.h"

namespace dcom::service {

inline GUID guidOf(const rpc::Uuid& uuid) { return toGuid(uuid); }
inline rpc::Uuid uuidOf(const GUID& guid) { return toUuid(guid); }

// The address the caller reached first (a client connects to what it
// knows), then the others.
inline DualStringArray bindingsForCaller(const rpc::CallContext& context, const ServiceOptions& options,
                                         std::uint16_t port) {
  std::vector<std::string> addresses;
  if (!context.localAddress.empty()) addresses.push_back(context.localAddress);
  for (const std::string& extra : options.extraAddresses) {
    if (std::find(addresses.begin(), addresses.end(), extra) == addresses.end()) addresses.push_back(extra);
  }
  return bindingsFor(addresses, port);
}

template <class F>
rpc::CallResult respond(F&& body) {
  std::vector<std::uint8_t> out;
  if (ndr::encode(out, body)) return rpc::CallResult::fault(rpc::kFaultBadStubData);
  return rpc::CallResult::response(std::move(out));
}

template <class T, class F>
bool decodeRequest(std::span<const std::uint8_t> stub, T& in, F&& body) {
  return !ndr::decode(stub, [&](auto& w) { body(w, in); });
}

}  // namespace dcom::service
