#pragma once

// DCOM's system interfaces on the DCE/RPC runtime: the OXID resolver
// (IObjectExporter), activation (IRemoteSCMActivator, IActivation) and
// IRemUnknown/IRemUnknown2 over one Exporter, plus the dispatch of calls on
// exported objects to their interfaces' stubs.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dcom/exporter.h"
#include "rpc/call.h"
#include "rpc/uuid.h"

namespace rpc {
class Server;
}

namespace dcom {

// What may be activated, and by whom. The service program implements it:
// the registry and the rule for remotely activatable classes live there.
class ClassProvider {
 public:
  virtual ~ClassProvider() = default;
  // A new instance with one reference for the caller; REGDB_E_CLASSNOTREG
  // for a class that is not remotely activatable.
  virtual HRESULT createInstance(REFCLSID clsid, const std::string& user, IUnknown** object) = 0;
  // The class object, likewise.
  virtual HRESULT getClassObject(REFCLSID clsid, const std::string& user, IUnknown** factory) = 0;
};

// The server side of one interface of exported objects: decodes the request
// stub for object and answers with the response stub (ORPCTHIS and ORPCTHAT
// included).
class ObjectStub {
 public:
  virtual ~ObjectStub() = default;
  virtual rpc::CallResult call(IUnknown* object, const rpc::CallContext& context, std::span<const std::uint8_t> stub) = 0;
};
// The stub for an interface, or nullptr when there is none.
using ObjectStubs = std::function<std::shared_ptr<ObjectStub>(const IID& iid)>;

struct ServiceOptions {
  // The port the exporter's interfaces are reached on, written into the
  // bindings that activation and the resolver hand out.
  std::uint16_t exporterPort = 0;
  // The lowest authentication level the runtime accepts, told to clients.
  rpc::AuthLevel minimumLevel = rpc::AuthLevel::PacketIntegrity;
  // Addresses to offer besides the one a client reached us on.
  std::vector<std::string> extraAddresses;
  ObjectStubs stubs;
};

// Identifiers between the runtime's form (wire order) and COM's.
rpc::Uuid toUuid(const GUID& guid);
GUID toGuid(const rpc::Uuid& uuid);

// The owner of objects and ping sets a caller creates: "domain\user" as the
// client authenticated, or "" for an unauthenticated caller.
std::string callerOf(const rpc::CallContext& context);

// The handlers, for registering or for calling directly.
std::shared_ptr<rpc::InterfaceHandler> makeResolverHandler(std::shared_ptr<Exporter> exporter, ServiceOptions options);
std::shared_ptr<rpc::InterfaceHandler> makeScmActivatorHandler(std::shared_ptr<Exporter> exporter,
                                                                std::shared_ptr<ClassProvider> classes,
                                                                ServiceOptions options);
std::shared_ptr<rpc::InterfaceHandler> makeActivationHandler(std::shared_ptr<Exporter> exporter,
                                                              std::shared_ptr<ClassProvider> classes,
                                                              ServiceOptions options);
std::shared_ptr<rpc::InterfaceHandler> makeRemUnknownHandler(std::shared_ptr<Exporter> exporter);
// Calls on other interfaces of exported objects: the IPID is resolved for
// the caller and the call goes to the interface's stub.
std::shared_ptr<rpc::InterfaceHandler> makeObjectHandler(std::shared_ptr<Exporter> exporter, IID iid,
                                                          std::shared_ptr<ObjectStub> stub);

// Registers all of the above on server (before server.start()).
void registerDcomServices(rpc::Server& server, std::shared_ptr<Exporter> exporter,
                          std::shared_ptr<ClassProvider> classes, ServiceOptions options);

}  // namespace dcom
