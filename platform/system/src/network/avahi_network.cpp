#include "network/avahi_network.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/error.h>
#include <avahi-common/simple-watch.h>

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "win/winerror.h"

namespace win {
namespace {

constexpr char kProviderName[] = "DNS Service Discovery";
// Services whose hosts count as machines of the network.
constexpr const char* kMachineServices[] = {"_workstation._tcp", "_smb._tcp"};
constexpr auto kBrowseTime = std::chrono::seconds(3);

// One connection to the daemon with its own event loop, run on the calling
// thread until a deadline or until the work is done.
class AvahiSession {
 public:
  AvahiSession() {
    poll_ = avahi_simple_poll_new();
    if (poll_ == nullptr) return;
    int error = 0;
    // Without AVAHI_CLIENT_NO_FAIL the client fails at once when no daemon
    // runs, which is the answer wanted here.
    client_ = avahi_client_new(avahi_simple_poll_get(poll_), static_cast<AvahiClientFlags>(0), nullptr,
                               nullptr, &error);
  }
  ~AvahiSession() {
    if (client_ != nullptr) avahi_client_free(client_);
    if (poll_ != nullptr) avahi_simple_poll_free(poll_);
  }
  AvahiSession(const AvahiSession&) = delete;
  AvahiSession& operator=(const AvahiSession&) = delete;

  AvahiClient* client() const { return client_; }

  // Runs the event loop until done() holds or the time is up.
  template <class Done>
  void runUntil(std::chrono::steady_clock::time_point deadline, Done done) {
    while (!done()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      if (avahi_simple_poll_iterate(poll_, static_cast<int>(left.count())) != 0) break;
    }
  }

 private:
  AvahiSimplePoll* poll_ = nullptr;
  AvahiClient* client_ = nullptr;
};

struct DomainBrowse {
  std::set<std::string> domains;
  bool complete = false;
};

void onDomain(AvahiDomainBrowser*, AvahiIfIndex, AvahiProtocol, AvahiBrowserEvent event, const char* domain,
              AvahiLookupResultFlags, void* context) {
  auto* browse = static_cast<DomainBrowse*>(context);
  if (event == AVAHI_BROWSER_NEW && domain != nullptr) browse->domains.insert(domain);
  if (event == AVAHI_BROWSER_ALL_FOR_NOW || event == AVAHI_BROWSER_FAILURE) browse->complete = true;
}

struct Service {
  AvahiIfIndex interface;
  AvahiProtocol protocol;
  std::string name, type, domain;
};

struct ServiceBrowse {
  std::vector<Service> services;
  int incomplete = 0;  // browsers that have not reported all they know
};

void onService(AvahiServiceBrowser*, AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event,
               const char* name, const char* type, const char* domain, AvahiLookupResultFlags, void* context) {
  auto* browse = static_cast<ServiceBrowse*>(context);
  if (event == AVAHI_BROWSER_NEW && name != nullptr && type != nullptr && domain != nullptr) {
    browse->services.push_back({interface, protocol, name, type, domain});
  }
  if (event == AVAHI_BROWSER_ALL_FOR_NOW || event == AVAHI_BROWSER_FAILURE) --browse->incomplete;
}

struct Resolution {
  AvahiServiceResolver* resolver = nullptr;  // null once it has answered
  std::string host;
};

void onResolved(AvahiServiceResolver* resolver, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent event,
                const char*, const char*, const char*, const char* hostName, const AvahiAddress*, uint16_t,
                AvahiStringList*, AvahiLookupResultFlags, void* context) {
  auto* resolution = static_cast<Resolution*>(context);
  if (event == AVAHI_RESOLVER_FOUND && hostName != nullptr) resolution->host = hostName;
  avahi_service_resolver_free(resolver);
  resolution->resolver = nullptr;
}

class AvahiNetworkProvider : public NetworkProvider {
 public:
  DWORD enumerate(const NETRESOURCEA* parent, std::vector<NetworkEntry>& entries) override {
    AvahiSession session;
    if (session.client() == nullptr) return ERROR_NO_NETWORK;
    if (parent == nullptr) {
      NetworkEntry provider;
      provider.displayType = RESOURCEDISPLAYTYPE_NETWORK;
      provider.usage = RESOURCEUSAGE_CONTAINER;
      provider.remoteName = kProviderName;
      provider.provider = kProviderName;
      entries.push_back(provider);
      return NO_ERROR;
    }
    switch (parent->dwDisplayType) {
      case RESOURCEDISPLAYTYPE_NETWORK:
        return listDomains(session, entries);
      case RESOURCEDISPLAYTYPE_DOMAIN:
        if (parent->lpRemoteName == nullptr) return ERROR_INVALID_PARAMETER;
        return listMachines(session, parent->lpRemoteName, entries);
      default:
        return NO_ERROR;  // servers hold nothing this provider shows
    }
  }

 private:
  static DWORD listDomains(AvahiSession& session, std::vector<NetworkEntry>& entries) {
    DomainBrowse browse;
    if (const char* own = avahi_client_get_domain_name(session.client())) browse.domains.insert(own);
    AvahiDomainBrowser* browser =
        avahi_domain_browser_new(session.client(), AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, nullptr,
                                 AVAHI_DOMAIN_BROWSER_BROWSE, static_cast<AvahiLookupFlags>(0), onDomain, &browse);
    if (browser != nullptr) {
      session.runUntil(std::chrono::steady_clock::now() + kBrowseTime, [&] { return browse.complete; });
      avahi_domain_browser_free(browser);
    }
    for (const std::string& domain : browse.domains) {
      NetworkEntry entry;
      entry.displayType = RESOURCEDISPLAYTYPE_DOMAIN;
      entry.usage = RESOURCEUSAGE_CONTAINER;
      entry.remoteName = domain;
      entry.provider = kProviderName;
      entries.push_back(entry);
    }
    return NO_ERROR;
  }

  static DWORD listMachines(AvahiSession& session, const char* domain, std::vector<NetworkEntry>& entries) {
    const auto deadline = std::chrono::steady_clock::now() + kBrowseTime;
    ServiceBrowse browse;
    std::vector<AvahiServiceBrowser*> browsers;
    for (const char* type : kMachineServices) {
      AvahiServiceBrowser* browser =
          avahi_service_browser_new(session.client(), AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, type, domain,
                                    static_cast<AvahiLookupFlags>(0), onService, &browse);
      if (browser == nullptr) continue;
      browsers.push_back(browser);
      ++browse.incomplete;
    }
    session.runUntil(deadline, [&] { return browse.incomplete <= 0; });
    for (AvahiServiceBrowser* browser : browsers) avahi_service_browser_free(browser);

    // A service names its host only once resolved.
    std::vector<std::unique_ptr<Resolution>> resolutions;
    for (const Service& service : browse.services) {
      auto resolution = std::make_unique<Resolution>();
      resolution->resolver = avahi_service_resolver_new(
          session.client(), service.interface, service.protocol, service.name.c_str(), service.type.c_str(),
          service.domain.c_str(), AVAHI_PROTO_UNSPEC, static_cast<AvahiLookupFlags>(0), onResolved,
          resolution.get());
      if (resolution->resolver != nullptr) resolutions.push_back(std::move(resolution));
    }
    const auto unanswered = [&] {
      for (const auto& resolution : resolutions) {
        if (resolution->resolver != nullptr) return true;
      }
      return false;
    };
    session.runUntil(deadline + kBrowseTime, [&] { return !unanswered(); });
    std::set<std::string> hosts;
    for (const auto& resolution : resolutions) {
      if (resolution->resolver != nullptr) avahi_service_resolver_free(resolution->resolver);
      if (!resolution->host.empty()) hosts.insert(resolution->host);
    }

    for (const std::string& host : hosts) {
      NetworkEntry entry;
      entry.displayType = RESOURCEDISPLAYTYPE_SERVER;
      entry.usage = RESOURCEUSAGE_CONTAINER;
      entry.remoteName = "\\\\" + host;
      entry.provider = kProviderName;
      entries.push_back(entry);
    }
    return NO_ERROR;
  }

};

}  // namespace

std::shared_ptr<NetworkProvider> makeAvahiNetworkProvider() { return std::make_shared<AvahiNetworkProvider>(); }

}  // namespace win
