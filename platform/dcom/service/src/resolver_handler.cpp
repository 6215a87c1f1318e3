// IObjectExporter: where an exporter is reached, and the pings that keep
// its objects alive.

#include <bit>

#include "service_common.h"

namespace dcom {
namespace {

using service::bindingsForCaller;
using service::respond;

class ResolverHandler : public rpc::InterfaceHandler {
 public:
  ResolverHandler(std::shared_ptr<Exporter> exporter, ServiceOptions options)
      : exporter_(std::move(exporter)), options_(std::move(options)) {}

  rpc::CallResult call(const rpc::CallContext& context, std::span<const std::uint8_t> stub) override {
    const std::string caller = callerOf(context);
    switch (static_cast<ExporterOp>(context.opnum)) {
      case ExporterOp::resolveOxid:
      case ExporterOp::resolveOxid2: {
        const bool second = context.opnum == static_cast<std::uint16_t>(ExporterOp::resolveOxid2);
        ResolveOxidIn in;
        if (ndr::decode(stub, [&](auto& w) { walkIn(w, in); })) return rpc::CallResult::fault(rpc::kFaultBadStubData);
        ResolveOxidOut out;
        if (in.oxid != exporter_->oxid()) {
          out.status = kOrInvalidOxid;
        } else {
          out.bindings = std::make_unique<DualStringArray>(bindingsForCaller(context, options_, options_.exporterPort));
          // Only TCP is served; a client that asked for other towers only
          // gets no string bindings.
          if (!in.requestedProtseqs.empty() &&
              std::find(in.requestedProtseqs.begin(), in.requestedProtseqs.end(), kTowerTcp) ==
                  in.requestedProtseqs.end()) {
            out.bindings->strings.clear();
          }
          out.remUnknown = exporter_->remUnknown();
          out.authnHint = static_cast<std::uint32_t>(options_.minimumLevel);
        }
        return respond([&](auto& w) { walkOut(w, out, second); });
      }
      case ExporterOp::simplePing: {
        SimplePingIn in;
        if (ndr::decode(stub, [&](auto& w) { walkIn(w, in); })) return rpc::CallResult::fault(rpc::kFaultBadStubData);
        StatusOut out{exporter_->simplePing(in.setId, caller)};
        return respond([&](auto& w) { walkOut(w, out); });
      }
      case ExporterOp::complexPing: {
        ComplexPingIn in;
        if (ndr::decode(stub, [&](auto& w) { walkIn(w, in); })) return rpc::CallResult::fault(rpc::kFaultBadStubData);
        ComplexPingOut out;
        out.setId = in.setId;
        out.status = exporter_->complexPing(out.setId, in.sequence, in.add, in.remove, caller);
        return respond([&](auto& w) { walkOut(w, out); });
      }
      case ExporterOp::serverAlive: {
        StatusOut out;
        return respond([&](auto& w) { walkOut(w, out); });
      }
      case ExporterOp::serverAlive2: {
        ServerAlive2Out out;
        out.bindings = std::make_unique<DualStringArray>(exporter_->settings().resolverBindings);
        if (out.bindings->strings.empty()) *out.bindings = bindingsForCaller(context, options_, 0);
        return respond([&](auto& w) { walkOut(w, out); });
      }
    }
    return rpc::CallResult::fault(rpc::kFaultOpRangeError);
  }

 private:
  const std::shared_ptr<Exporter> exporter_;
  const ServiceOptions options_;
};

}  // namespace

std::shared_ptr<rpc::InterfaceHandler> makeResolverHandler(std::shared_ptr<Exporter> exporter, ServiceOptions options) {
  return std::make_shared<ResolverHandler>(std::move(exporter), std::move(options));
}

// COM keeps the first three fields of a GUID in the host's order, which is
// the wire's little-endian order on every platform this runs on.
static_assert(std::endian::native == std::endian::little, "GUIDs are copied as they travel");

rpc::Uuid toUuid(const GUID& guid) {
  rpc::Uuid uuid;
  std::memcpy(uuid.bytes.data(), &guid, sizeof guid);
  return uuid;
}

GUID toGuid(const rpc::Uuid& uuid) {
  GUID guid;
  std::memcpy(&guid, uuid.bytes.data(), sizeof guid);
  return guid;
}

std::string callerOf(const rpc::CallContext& context) {
  if (!context.security.authenticated) return {};
  std::string name = context.security.domain + "\\" + context.security.user;
  // Windows account names compare without regard to case.
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

}  // namespace dcom
