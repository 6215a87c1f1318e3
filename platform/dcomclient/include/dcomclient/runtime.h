#pragma once
// The DCOM client: activation on other machines, remote objects with their
// interface proxies, OXID resolution, reference counting and pinging. It is
// installed behind the COM stand-in's RemoteActivator seam, so that
// CoCreateInstanceEx and CoGetClassObject with a machine name reach that
// machine's activator and answer with the COM codes a client knows: access
// denied (E_ACCESSDENIED) for a refused logon, server unavailable
// (HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE)) for a machine that cannot be
// reached, stops answering or times out, class not registered
// (REGDB_E_CLASSNOTREG) as the machine answers it.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "com/remote_activator.h"
#include "dcomclient/credentials.h"
#include "rpc/client.h"

namespace dcom::client {

struct RuntimeSettings {
  // Where machines' resolvers and activators listen.
  std::uint16_t resolverPort = 135;
  std::chrono::milliseconds connectTimeout{5000};
  // The longest one remote call may take; the user waits no longer.
  std::chrono::milliseconds callTimeout{20000};
  // How often the objects this process holds are pinged.
  std::chrono::milliseconds pingPeriod{120000};
  // Who to log on as, per machine; without a line for a machine activation
  // there fails with access denied.
  std::shared_ptr<const MachineCredentials> credentials;
};

class Runtime;

// A RemoteActivator over DCOM, for com::setRemoteActivator.
class DcomActivator final : public com::RemoteActivator {
public:
  explicit DcomActivator(RuntimeSettings settings);
  ~DcomActivator() override;

  HRESULT createInstance(REFCLSID clsid, IUnknown* outer, DWORD context, COSERVERINFO* server, DWORD count,
                         MULTI_QI* results) override;
  HRESULT getClassObject(REFCLSID clsid, DWORD context, COSERVERINFO* server, REFIID riid, void** object) override;

  // As createInstance, for a machine given by name or address (tests that
  // reach a server on this computer use it).
  HRESULT createOn(const std::string& machine, REFCLSID clsid, DWORD count, MULTI_QI* results);
  HRESULT classObjectOn(const std::string& machine, REFCLSID clsid, REFIID riid, void** object);

  // Remote objects this process holds, and releases still being sent.
  std::size_t objectCount() const;
  // Waits until the releases and pings asked for so far have been sent.
  void flush();

private:
  std::shared_ptr<Runtime> runtime_;
};

// The COM code for the outcome of a call that failed in the runtime.
HRESULT hresultOf(rpc::ClientStatus status, std::uint32_t faultStatus);

// Registers the proxies of the OPC Data Access and OPC Common interfaces,
// the server list's, the connection points' and the standard enumerators'.
void registerOpcProxies();

// Installs a DcomActivator for the process with the credentials from the
// default file; a file that is refused is reported on standard error and
// leaves every machine with access denied.
void installDcomActivator();

}  // namespace dcom::client
