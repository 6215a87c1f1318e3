#pragma once

// The network as DNS service discovery sees it through the Avahi daemon:
//
//   top             one provider entry, "DNS Service Discovery"
//   provider        the browse domains (normally "local"), as domains
//   domain          the hosts that announce a workstation or a file-sharing
//                   service there, as servers named "\\<host name>"
//   server          nothing
//
// Every level fails with ERROR_NO_NETWORK when no Avahi daemon answers.
// Browsing a domain waits for the daemon to report what it knows, at most a
// few seconds; traffic goes only where the daemon sends its queries.

#include <memory>

#include "win/network_provider.h"

namespace win {

std::shared_ptr<NetworkProvider> makeAvahiNetworkProvider();

}  // namespace win
