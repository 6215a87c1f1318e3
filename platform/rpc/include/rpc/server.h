#pragma once
// The DCE/RPC server runtime over TCP: listens, binds presentation contexts
// to registered interface handlers, authenticates with NTLM, and runs calls
// on worker threads, several at once on one connection and across
// connections.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ntlm/acceptor.h"
#include "ntlm/credentials.h"
#include "rpc/call.h"
#include "rpc/settings.h"

namespace rpc {

class Server {
public:
  explicit Server(ServerSettings settings);
  ~Server();  // stops
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Registers a handler for one abstract syntax (interface UUID and
  // version; DCOM interfaces are 0.0). Binds to an unknown syntax are refused.
  void registerInterface(const SyntaxId& abstractSyntax, std::shared_ptr<InterfaceHandler> handler);
  // Consulted at bind time for syntaxes not registered; nullptr refuses.
  void setInterfaceResolver(std::function<std::shared_ptr<InterfaceHandler>(const SyntaxId&)> resolver);
  // Receives one line per connection, bind, authentication result and fault.
  void setLogger(std::function<void(std::string_view)> logger);
  // The accounts NTLM logons are checked against; may be replaced while
  // running (new handshakes use the new store).
  void setCredentials(std::shared_ptr<const ntlm::CredentialStore> credentials);
  // Replaces the NTLM challenge and clock sources (tests).
  void setAcceptorSettings(ntlm::AcceptorSettings settings);

  struct ListenResult {
    std::optional<uint16_t> port;  // the port bound (useful with port 0)
    std::string error;
  };
  // Listens on a numeric IPv4 or IPv6 address; may be called several times,
  // before or after start().
  ListenResult listen(const std::string& address, uint16_t port);

  void start();
  // Tells every client to close (shutdown PDU), closes the connections and
  // waits for the threads. Calls still running finish first.
  void stop();

  size_t connectionCount() const;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rpc
