// Calls on objects: IRemUnknown/IRemUnknown2 at the exporter's own IPID,
// and every other interface through its stub once the IPID is resolved for
// the caller. Then the registration of all system interfaces.

#include "rpc/server.h"
#include "service_common.h"

namespace dcom {
namespace {

using service::guidOf;
using service::respond;
using service::uuidOf;

// The status a call on an unusable IPID faults with: access denied for
// another owner's object, otherwise the HRESULT itself.
rpc::CallResult ipidFault(HRESULT hr) {
  return rpc::CallResult::fault(hr == E_ACCESSDENIED ? rpc::kFaultAccessDenied : static_cast<std::uint32_t>(hr));
}

class RemUnknownHandler : public rpc::InterfaceHandler {
 public:
  explicit RemUnknownHandler(std::shared_ptr<Exporter> exporter) : exporter_(std::move(exporter)) {}

  rpc::CallResult call(const rpc::CallContext& context, std::span<const std::uint8_t> stub) override {
    if (!context.object || guidOf(*context.object) != exporter_->remUnknown()) {
      return ipidFault(kRpcEInvalidIpid);
    }
    const std::string caller = callerOf(context);
    switch (static_cast<RemUnknownOp>(context.opnum)) {
      case RemUnknownOp::remQueryInterface: {
        RemQueryInterfaceIn in;
        if (ndr::decode(stub, [&](auto& w) { walkIn(w, in); })) return rpc::CallResult::fault(rpc::kFaultBadStubData);
        RemQueryInterfaceOut out;
        out.result = versionAccepted(in.orpcThis.version)
                         ? exporter_->remQueryInterface(in.ipid, in.refs, in.iids, caller, out.results)
                         : kRpcEVersionMismatch;
        // A failed call hands back no results at all.
        if (FAILED(out.result)) out.results.clear();
        const auto count = static_cast<std::uint16_t>(in.iids.size());
        return respond([&](auto& w) { walkOut(w, out, count); });
      }
      case RemUnknownOp::remAddRef: {
        RemRefsIn in;
        if (ndr::decode(stub, [&](auto& w) { walkIn(w, in); })) return rpc::CallResult::fault(rpc::kFaultBadStubData);
        RemAddRefOut out;
        out.result = versionAccepted(in.orpcThis.version) ? exporter_->remAddRef(in.refs, caller, out.results)
                                                          : kRpcEVersionMismatch;
        out.results.resize(in.refs.size(), out.result);
        const auto count = static_cast<std::uint16_t>(in.refs.size());
        return respond([&](auto& w) { walkOut(w, out, count); });
      }
      case RemUnknownOp::remRelease: {
        RemRefsIn in;
        if (ndr::decode(stub, [&](auto& w) { walkIn(w, in); })) return rpc::CallResult::fault(rpc::kFaultBadStubData);
        RemReleaseOut out;
        out.result = versionAccepted(in.orpcThis.version) ? exporter_->remRelease(in.refs, caller)
                                                          : kRpcEVersionMismatch;
        return respond([&](auto& w) { walkOut(w, out); });
      }
      case RemUnknownOp::remQueryInterface2: {
        RemQueryInterface2In in;
        if (ndr::decode(stub, [&](auto& w) { walkIn(w, in); })) return rpc::CallResult::fault(rpc::kFaultBadStubData);
        RemQueryInterface2Out out;
        const auto count = static_cast<std::uint16_t>(in.iids.size());
        out.result = versionAccepted(in.orpcThis.version)
                         ? exporter_->remQueryInterface2(in.ipid, in.iids, caller, out.results, out.interfaces)
                         : kRpcEVersionMismatch;
        out.results.resize(count, out.result);
        out.interfaces.resize(count);
        return respond([&](auto& w) { walkOut(w, out, count); });
      }
    }
    return rpc::CallResult::fault(rpc::kFaultOpRangeError);
  }

 private:
  const std::shared_ptr<Exporter> exporter_;
};

class ObjectHandler : public rpc::InterfaceHandler {
 public:
  ObjectHandler(std::shared_ptr<Exporter> exporter, IID iid, std::shared_ptr<ObjectStub> stub)
      : exporter_(std::move(exporter)), iid_(iid), stub_(std::move(stub)) {}

  rpc::CallResult call(const rpc::CallContext& context, std::span<const std::uint8_t> stub) override {
    if (!context.object) return ipidFault(kRpcEInvalidIpid);
    Exporter::Target target;
    const HRESULT hr = exporter_->resolve(guidOf(*context.object), callerOf(context), target);
    if (FAILED(hr)) return ipidFault(hr);
    // The IPID names one interface; a call bound to another is refused.
    if (target.iid != iid_) return ipidFault(kRpcEInvalidIpid);
    return stub_->call(target.object.get(), context, stub);
  }

 private:
  const std::shared_ptr<Exporter> exporter_;
  const IID iid_;
  const std::shared_ptr<ObjectStub> stub_;
};

rpc::SyntaxId syntaxOf(const GUID& iid) { return rpc::SyntaxId{uuidOf(iid), 0, 0}; }

}  // namespace

std::shared_ptr<rpc::InterfaceHandler> makeRemUnknownHandler(std::shared_ptr<Exporter> exporter) {
  return std::make_shared<RemUnknownHandler>(std::move(exporter));
}

std::shared_ptr<rpc::InterfaceHandler> makeObjectHandler(std::shared_ptr<Exporter> exporter, IID iid,
                                                          std::shared_ptr<ObjectStub> stub) {
  return std::make_shared<ObjectHandler>(std::move(exporter), iid, std::move(stub));
}

void registerDcomServices(rpc::Server& server, std::shared_ptr<Exporter> exporter,
                          std::shared_ptr<ClassProvider> classes, ServiceOptions options) {
  server.registerInterface(syntaxOf(kIidIObjectExporter), makeResolverHandler(exporter, options));
  server.registerInterface(syntaxOf(kIidIRemoteScmActivator), makeScmActivatorHandler(exporter, classes, options));
  server.registerInterface(syntaxOf(kIidIActivation), makeActivationHandler(exporter, classes, options));
  auto remUnknown = makeRemUnknownHandler(exporter);
  server.registerInterface(syntaxOf(kIidIRemUnknown), remUnknown);
  server.registerInterface(syntaxOf(kIidIRemUnknown2), remUnknown);
  if (options.stubs) {
    ObjectStubs stubs = options.stubs;
    server.setInterfaceResolver([exporter, stubs](const rpc::SyntaxId& syntax) -> std::shared_ptr<rpc::InterfaceHandler> {
      if (syntax.major != 0 || syntax.minor != 0) return nullptr;
      const IID iid = guidOf(syntax.uuid);
      auto stub = stubs(iid);
      if (!stub) return nullptr;
      return makeObjectHandler(exporter, iid, std::move(stub));
    });
  }
}

}  // namespace dcom
