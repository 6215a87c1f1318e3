// Activation on another machine and the objects it hands out.

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "dcom/activation_properties.h"
#include "dcom/objref.h"
#include "opc_proxy_support.h"
#include "runtime_internal.h"

namespace dcom::client {
namespace {

constexpr HRESULT kBadStubData = static_cast<HRESULT>(0x800706F7);
// What the client asks the server to do when it calls with its identity.
constexpr std::uint32_t kImpersonationIdentify = 2;

std::u16string widen(const std::string& text) {
  // Names in the credentials file are UTF-8.
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    char32_t code = c;
    size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (length > 1) {
      code = c & (0x3F >> (length - 1));
      for (size_t k = 1; k < length && i + k < text.size(); ++k) code = (code << 6) | (text[i + k] & 0x3F);
    }
    i += length;
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
  }
  return out;
}

std::string machineName(const COSERVERINFO* server) {
  std::string name;
  for (const WCHAR* c = server->pwszName; c && *c; ++c) name.push_back(*c < 0x80 ? static_cast<char>(*c) : '?');
  // "\\plc7" names the same machine as "plc7".
  while (!name.empty() && name.front() == '\\') name.erase(name.begin());
  return name;
}

struct Activation {
  HRESULT result = S_OK;
  Oxid oxid = 0;
  OxidInfo oxidInfo;
  std::vector<HRESULT> results;
  std::vector<std::unique_ptr<ndr::InterfacePointer>> interfaces;
};

// RemoteCreateInstance or RemoteGetClassObject of IRemoteSCMActivator.
Activation activateWithProperties(Machine& machine, REFCLSID clsid, const std::vector<IID>& iids, bool classObject,
                                  bool& offered) {
  Activation activation;
  ActivationProperties properties;
  properties.instantiation.emplace();
  properties.instantiation->classId = clsid;
  properties.instantiation->classContext = CLSCTX_REMOTE_SERVER;
  properties.instantiation->iids = iids;
  properties.instantiation->clientVersion = kServerVersion;
  properties.context.emplace();
  properties.scmRequest.emplace();
  properties.scmRequest->remoteRequest = std::make_unique<RemoteRequestScmInfo>();
  properties.scmRequest->remoteRequest->clientImpersonationLevel = kImpersonationIdentify;
  properties.scmRequest->remoteRequest->requestedProtseqs = {kTowerTcp};
  auto blob = std::make_unique<ndr::InterfacePointer>(ndr::InterfacePointer{activationObjRef(properties, false)});

  std::vector<std::uint8_t> request;
  ScmActivatorOp op;
  if (classObject) {
    RemoteGetClassObjectIn in;
    in.orpcThis = orpcThis();
    in.properties = std::move(blob);
    ndr::encode(request, [&](auto& w) { walkIn(w, in); });
    op = ScmActivatorOp::remoteGetClassObject;
  } else {
    RemoteCreateInstanceIn in;
    in.orpcThis = orpcThis();
    in.properties = std::move(blob);
    ndr::encode(request, [&](auto& w) { walkIn(w, in); });
    op = ScmActivatorOp::remoteCreateInstance;
  }
  auto result = machine.resolverCall(kIidIRemoteScmActivator, static_cast<std::uint16_t>(op), request);
  offered = result.status != rpc::ClientStatus::UnknownInterface;
  if (result.status != rpc::ClientStatus::Ok) {
    activation.result = hresultOf(result.status, result.faultStatus);
    return activation;
  }
  ActivatorOut out;
  if (ndr::decode(result.stub, [&](auto& w) { walkOut(w, out); })) {
    activation.result = kBadStubData;
    return activation;
  }
  activation.result = out.result;
  if (FAILED(out.result)) return activation;
  ActivationProperties reply;
  std::optional<ObjRef> ref;
  if (out.properties) ref = decodeObjRef(out.properties->data);
  if (!ref || ref->kind != kObjRefCustom || decodeActivationProperties(ref->objectData, reply) || !reply.propsOut ||
      !reply.scmReply || !reply.scmReply->remoteReply || !reply.scmReply->remoteReply->oxidBindings ||
      reply.propsOut->results.size() != iids.size() || reply.propsOut->interfaces.size() != iids.size()) {
    activation.result = kBadStubData;
    return activation;
  }
  activation.oxid = reply.scmReply->remoteReply->oxid;
  activation.oxidInfo.bindings = *reply.scmReply->remoteReply->oxidBindings;
  activation.oxidInfo.remUnknown = reply.scmReply->remoteReply->remUnknown;
  activation.results = std::move(reply.propsOut->results);
  activation.interfaces = std::move(reply.propsOut->interfaces);
  return activation;
}

// IActivation::RemoteActivation, for servers that offer only the older form.
Activation activateDirectly(Machine& machine, REFCLSID clsid, const std::vector<IID>& iids, bool classObject) {
  Activation activation;
  RemoteActivationIn in;
  in.orpcThis = orpcThis();
  in.clsid = clsid;
  in.clientImpersonationLevel = kImpersonationIdentify;
  in.mode = classObject ? kModeGetClassObject : 0;
  in.iids = iids;
  in.requestedProtseqs = {kTowerTcp};
  std::vector<std::uint8_t> request;
  ndr::encode(request, [&](auto& w) { walkIn(w, in); });
  auto result = machine.resolverCall(kIidIActivation, 0, request);
  if (result.status != rpc::ClientStatus::Ok) {
    activation.result = hresultOf(result.status, result.faultStatus);
    return activation;
  }
  RemoteActivationOut out;
  auto count = static_cast<std::uint32_t>(iids.size());
  if (ndr::decode(result.stub, [&](auto& w) { walkOut(w, out, count); })) {
    activation.result = kBadStubData;
    return activation;
  }
  activation.result = out.result;
  if (FAILED(out.result)) return activation;
  if (!out.oxidBindings) {
    activation.result = kBadStubData;
    return activation;
  }
  activation.oxid = out.oxid;
  activation.oxidInfo.bindings = *out.oxidBindings;
  activation.oxidInfo.remUnknown = out.remUnknown;
  activation.results = std::move(out.results);
  activation.interfaces = std::move(out.interfaces);
  return activation;
}

Activation activate(Machine& machine, REFCLSID clsid, const std::vector<IID>& iids, bool classObject) {
  if (!machine.hasCredentials()) return Activation{E_ACCESSDENIED, 0, {}, {}, {}};
  bool offered = true;
  Activation activation = activateWithProperties(machine, clsid, iids, classObject, offered);
  if (!offered) activation = activateDirectly(machine, clsid, iids, classObject);
  if (SUCCEEDED(activation.result)) machine.remember(activation.oxid, activation.oxidInfo);
  return activation;
}

}  // namespace

Runtime::Runtime(RuntimeSettings settings) : settings_(std::move(settings)), pinger_(settings_.pingPeriod) {}

Runtime::~Runtime() {
  // A ping under way to a machine that does not answer must not hold up the
  // end of the process for a whole call time-out.
  std::lock_guard lock(mutex_);
  for (auto& [name, machine] : machines_) machine->close();
}

std::shared_ptr<Machine> Runtime::machine(const std::string& name) {
  std::string key = name;
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
  std::lock_guard lock(mutex_);
  auto& slot = machines_[key];
  if (!slot) {
    std::optional<rpc::ClientSettings> client;
    const MachineCredential* credential = settings_.credentials ? settings_.credentials->find(name) : nullptr;
    if (credential) {
      client.emplace();
      client->level = credential->level;
      client->identity = {widen(credential->user), widen(credential->domain), credential->ntHash};
      client->connectTimeout = settings_.connectTimeout;
      client->callTimeout = settings_.callTimeout;
    }
    slot = std::make_shared<Machine>(name, settings_, std::move(client));
  }
  return slot;
}

HRESULT Runtime::unmarshal(const std::shared_ptr<Machine>& machine, std::span<const std::uint8_t> bytes, REFIID iid,
                           void** object) {
  *object = nullptr;
  auto ref = decodeObjRef(bytes);
  if (!ref || ref->kind != kObjRefStandard) return kRpcEInvalidObjref;
  const StdObjRef& std = ref->std;
  RemoteObject* identity = nullptr;
  {
    std::lock_guard lock(mutex_);
    auto found = objects_.find({machine.get(), std.oid});
    if (found != objects_.end() && found->second->tryAddRef()) identity = found->second;
  }
  if (!identity) {
    identity = new RemoteObject(shared_from_this(), machine, std.oxid, std.oid, (std.flags & kSorfNoPing) == 0);
    std::lock_guard lock(mutex_);
    objects_[{machine.get(), std.oid}] = identity;
  }
  HRESULT hr = identity->adopt(iid, std.ipid, std.publicRefs, object);
  identity->Release();
  return hr;
}

void Runtime::forget(RemoteObject* object, Machine* machine, Oid oid) {
  std::lock_guard lock(mutex_);
  auto found = objects_.find({machine, oid});
  if (found != objects_.end() && found->second == object) objects_.erase(found);
}

std::size_t Runtime::objectCount() {
  std::lock_guard lock(mutex_);
  return objects_.size();
}

HRESULT Runtime::createInstance(const std::string& name, REFCLSID clsid, DWORD count, MULTI_QI* results) {
  auto failAll = [&](HRESULT hr) {
    for (DWORD k = 0; k < count; ++k) results[k].hr = hr;
    return hr;
  };
  std::vector<IID> iids;
  for (DWORD k = 0; k < count; ++k) iids.push_back(*results[k].pIID);
  auto target = machine(name);
  Activation activation = activate(*target, clsid, iids, false);
  if (FAILED(activation.result)) return failAll(activation.result);
  DWORD answered = 0;
  for (DWORD k = 0; k < count; ++k) {
    results[k].hr = activation.results[k];
    if (SUCCEEDED(results[k].hr) && activation.interfaces[k]) {
      results[k].hr =
          unmarshal(target, activation.interfaces[k]->data, iids[k], reinterpret_cast<void**>(&results[k].pItf));
    } else if (SUCCEEDED(results[k].hr)) {
      results[k].hr = E_NOINTERFACE;
    }
    if (SUCCEEDED(results[k].hr)) ++answered;
    else results[k].pItf = nullptr;
  }
  if (answered == count) return S_OK;
  return answered == 0 ? E_NOINTERFACE : CO_S_NOTALLINTERFACES;
}

HRESULT Runtime::getClassObject(const std::string& name, REFCLSID clsid, REFIID riid, void** object) {
  auto target = machine(name);
  Activation activation = activate(*target, clsid, {riid}, true);
  if (FAILED(activation.result)) return activation.result;
  if (FAILED(activation.results[0])) return activation.results[0];
  if (!activation.interfaces[0]) return E_NOINTERFACE;
  return unmarshal(target, activation.interfaces[0]->data, riid, object);
}

DcomActivator::DcomActivator(RuntimeSettings settings) : runtime_(std::make_shared<Runtime>(std::move(settings))) {}

DcomActivator::~DcomActivator() = default;

HRESULT DcomActivator::createInstance(REFCLSID clsid, IUnknown* outer, DWORD, COSERVERINFO* server, DWORD count,
                                      MULTI_QI* results) {
  if (outer != nullptr) {
    // An object on another machine cannot be aggregated.
    for (DWORD k = 0; k < count; ++k) results[k].hr = CLASS_E_NOAGGREGATION;
    return CLASS_E_NOAGGREGATION;
  }
  return createOn(machineName(server), clsid, count, results);
}

HRESULT DcomActivator::getClassObject(REFCLSID clsid, DWORD, COSERVERINFO* server, REFIID riid, void** object) {
  return classObjectOn(machineName(server), clsid, riid, object);
}

HRESULT DcomActivator::createOn(const std::string& machine, REFCLSID clsid, DWORD count, MULTI_QI* results) {
  for (DWORD k = 0; k < count; ++k) {
    results[k].pItf = nullptr;
    results[k].hr = E_NOINTERFACE;
  }
  return runtime_->createInstance(machine, clsid, count, results);
}

HRESULT DcomActivator::classObjectOn(const std::string& machine, REFCLSID clsid, REFIID riid, void** object) {
  *object = nullptr;
  return runtime_->getClassObject(machine, clsid, riid, object);
}

std::size_t DcomActivator::objectCount() const { return runtime_->objectCount(); }

void DcomActivator::flush() { runtime_->pinger().flush(); }

void registerOpcProxies() {
  opc::registerServerProxies();
  opc::registerGroupProxies();
}

void installDcomActivator() {
  registerOpcProxies();
  RuntimeSettings settings;
  std::string error;
  auto credentials = MachineCredentials::load(MachineCredentials::defaultPath(), &error);
  if (!credentials) {
    std::fprintf(stderr, "DCOM credentials not used: %s\n", error.c_str());
    credentials = MachineCredentials();
  }
  settings.credentials = std::make_shared<const MachineCredentials>(std::move(*credentials));
  com::setRemoteActivator(std::make_shared<DcomActivator>(std::move(settings)));
}

}  // namespace dcom::client
