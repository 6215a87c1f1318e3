// Activation on the resolver's port: IRemoteSCMActivator (activation
// properties in a custom OBJREF) and IActivation::RemoteActivation (the older
// form with plain parameters). Both create or find the class object through
// the ClassProvider and export the requested interfaces.

#include "dcom/activation_properties.h"
#include "service_common.h"

namespace dcom {
namespace {

using service::bindingsForCaller;
using service::respond;

constexpr HRESULT kClassENoAggregation = static_cast<HRESULT>(0x80040110);

struct Activated {
  HRESULT result = S_OK;
  std::vector<HRESULT> results;
  std::vector<std::unique_ptr<ndr::InterfacePointer>> interfaces;
};

// Creates the instance (or finds the class object) and marshals each
// requested interface for caller. The call succeeds when one interface
// could be handed out.
Activated activate(Exporter& exporter, ClassProvider& classes, REFCLSID clsid, bool classObject,
                   const std::vector<IID>& iids, const std::string& caller) {
  Activated out;
  out.results.assign(iids.size(), E_NOINTERFACE);
  out.interfaces.resize(iids.size());
  if (iids.empty()) {
    out.result = E_INVALIDARG;
    return out;
  }
  com::Ptr<IUnknown> object;
  out.result = classObject ? classes.getClassObject(clsid, caller, object.put())
                           : classes.createInstance(clsid, caller, object.put());
  if (FAILED(out.result) || !object) {
    if (SUCCEEDED(out.result)) out.result = E_UNEXPECTED;
    out.results.assign(iids.size(), out.result);
    return out;
  }
  bool any = false;
  for (std::size_t i = 0; i < iids.size(); ++i) {
    std::vector<std::uint8_t> objref;
    out.results[i] = exporter.marshal(object.get(), iids[i], caller, objref);
    if (FAILED(out.results[i])) continue;
    out.interfaces[i] = std::make_unique<ndr::InterfacePointer>(ndr::InterfacePointer{std::move(objref)});
    any = true;
  }
  if (!any) out.result = out.results[0];
  return out;
}

class ScmActivatorHandler : public rpc::InterfaceHandler {
 public:
  ScmActivatorHandler(std::shared_ptr<Exporter> exporter, std::shared_ptr<ClassProvider> classes,
                      ServiceOptions options)
      : exporter_(std::move(exporter)), classes_(std::move(classes)), options_(std::move(options)) {}

  rpc::CallResult call(const rpc::CallContext& context, std::span<const std::uint8_t> stub) override {
    const auto op = static_cast<ScmActivatorOp>(context.opnum);
    ActivatorOut out;
    std::unique_ptr<ndr::InterfacePointer> properties;
    ComVersion version;
    if (op == ScmActivatorOp::remoteCreateInstance) {
      RemoteCreateInstanceIn in;
      if (ndr::decode(stub, [&](auto& w) { walkIn(w, in); })) return rpc::CallResult::fault(rpc::kFaultBadStubData);
      if (in.outer) out.result = kClassENoAggregation;
      properties = std::move(in.properties);
      version = in.orpcThis.version;
    } else if (op == ScmActivatorOp::remoteGetClassObject) {
      RemoteGetClassObjectIn in;
      if (ndr::decode(stub, [&](auto& w) { walkIn(w, in); })) return rpc::CallResult::fault(rpc::kFaultBadStubData);
      properties = std::move(in.properties);
      version = in.orpcThis.version;
    } else {
      return rpc::CallResult::fault(rpc::kFaultOpRangeError);
    }
    if (!versionAccepted(version)) out.result = kRpcEVersionMismatch;
    if (SUCCEEDED(out.result)) {
      bool malformed = false;
      out.result = answer(context, op == ScmActivatorOp::remoteGetClassObject, properties.get(), out.properties,
                          malformed);
      if (malformed) return rpc::CallResult::fault(rpc::kFaultBadStubData);
    }
    return respond([&](auto& w) { walkOut(w, out); });
  }

 private:
  // The reply properties for the request's, or a failure; malformed when
  // the properties cannot be read at all.
  HRESULT answer(const rpc::CallContext& context, bool classObject, const ndr::InterfacePointer* request,
                 std::unique_ptr<ndr::InterfacePointer>& reply, bool& malformed) {
    if (!request) return E_INVALIDARG;
    auto ref = decodeObjRef(request->data);
    if (!ref || ref->kind != kObjRefCustom || ref->clsid != kClsidActivationPropertiesIn) return kRpcEInvalidObjref;
    ActivationProperties in;
    if (decodeActivationProperties(ref->objectData, in)) {
      malformed = true;
      return E_INVALIDARG;
    }
    if (!in.instantiation || !in.scmRequest) return E_INVALIDARG;
    if (!versionAccepted(in.instantiation->clientVersion)) return kRpcEVersionMismatch;

    const std::string caller = callerOf(context);
    Activated activated = activate(*exporter_, *classes_, in.instantiation->classId, classObject,
                                   in.instantiation->iids, caller);
    if (FAILED(activated.result)) return activated.result;

    ActivationProperties out;
    out.propsOut.emplace();
    out.propsOut->iids = in.instantiation->iids;
    out.propsOut->results = std::move(activated.results);
    out.propsOut->interfaces = std::move(activated.interfaces);
    out.scmReply.emplace();
    out.scmReply->remoteReply = std::make_unique<RemoteReplyScmInfo>();
    RemoteReplyScmInfo& scm = *out.scmReply->remoteReply;
    scm.oxid = exporter_->oxid();
    scm.oxidBindings = std::make_unique<DualStringArray>(bindingsForCaller(context, options_, options_.exporterPort));
    scm.remUnknown = exporter_->remUnknown();
    scm.authnHint = static_cast<std::uint32_t>(options_.minimumLevel);
    reply = std::make_unique<ndr::InterfacePointer>(ndr::InterfacePointer{activationObjRef(out, true)});
    return S_OK;
  }

  const std::shared_ptr<Exporter> exporter_;
  const std::shared_ptr<ClassProvider> classes_;
  const ServiceOptions options_;
};

class ActivationHandler : public rpc::InterfaceHandler {
 public:
  ActivationHandler(std::shared_ptr<Exporter> exporter, std::shared_ptr<ClassProvider> classes, ServiceOptions options)
      : exporter_(std::move(exporter)), classes_(std::move(classes)), options_(std::move(options)) {}

  rpc::CallResult call(const rpc::CallContext& context, std::span<const std::uint8_t> stub) override {
    if (context.opnum != 0) return rpc::CallResult::fault(rpc::kFaultOpRangeError);
    RemoteActivationIn in;
    if (ndr::decode(stub, [&](auto& w) { walkIn(w, in); })) return rpc::CallResult::fault(rpc::kFaultBadStubData);
    const auto count = static_cast<std::uint32_t>(in.iids.size());
    RemoteActivationOut out;
    out.oxid = exporter_->oxid();
    out.oxidBindings = std::make_unique<DualStringArray>(bindingsForCaller(context, options_, options_.exporterPort));
    out.remUnknown = exporter_->remUnknown();
    out.authnHint = static_cast<std::uint32_t>(options_.minimumLevel);
    out.interfaces.resize(count);
    out.results.assign(count, E_NOINTERFACE);
    if (!versionAccepted(in.orpcThis.version)) {
      out.result = kRpcEVersionMismatch;
    } else if (in.objectName || in.objectStorage) {
      // Activation from a persistent object is not offered.
      out.result = E_NOTIMPL;
    } else {
      Activated activated = activate(*exporter_, *classes_, in.clsid, in.mode == kModeGetClassObject, in.iids,
                                     callerOf(context));
      out.result = activated.result;
      out.results = std::move(activated.results);
      out.interfaces = std::move(activated.interfaces);
    }
    if (FAILED(out.result)) out.results.assign(count, out.result);
    return respond([&](auto& w) { walkOut(w, out, count); });
  }

 private:
  const std::shared_ptr<Exporter> exporter_;
  const std::shared_ptr<ClassProvider> classes_;
  const ServiceOptions options_;
};

}  // namespace

std::shared_ptr<rpc::InterfaceHandler> makeScmActivatorHandler(std::shared_ptr<Exporter> exporter,
                                                                std::shared_ptr<ClassProvider> classes,
                                                                ServiceOptions options) {
  return std::make_shared<ScmActivatorHandler>(std::move(exporter), std::move(classes), std::move(options));
}

std::shared_ptr<rpc::InterfaceHandler> makeActivationHandler(std::shared_ptr<Exporter> exporter,
                                                              std::shared_ptr<ClassProvider> classes,
                                                              ServiceOptions options) {
  return std::make_shared<ActivationHandler>(std::move(exporter), std::move(classes), std::move(options));
}

}  // namespace dcom
