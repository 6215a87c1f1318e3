// The subnet mask that belongs to a local IPv4 address, from the system's
// interface list; changing an adapter's configuration is not offered.

#include "socket_api.h"
#include "system_calls.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>

using gantrel::systemCalls;

namespace {

bool isIpv4(const sockaddr* address) { return address != nullptr && address->sa_family == AF_INET; }

// The dotted text of an IPv4 socket address.
void dottedText(const sockaddr* address, char (&text)[INET_ADDRSTRLEN]) {
  in_addr value = reinterpret_cast<const sockaddr_in*>(address)->sin_addr;
  inet_ntop(AF_INET, &value, text, sizeof text);
}

}  // namespace

extern "C" {

uint32_t SysSockGetSubnetMask(const char* address, char* buffer, uint32_t size) {
  if (address == nullptr || buffer == nullptr || size < 1) return RESULT_BAD_PARAMETER;
  const gantrel::SystemCalls& sys = systemCalls();
  ifaddrs* interfaces = nullptr;
  if (sys.getifaddrs(&interfaces) != 0) return RESULT_FAILED;
  uint32_t result = RESULT_FAILED;
  // Every IPv4 address of every interface is its own entry, so an adapter
  // matches through any of its addresses.
  for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
    if (!isIpv4(entry->ifa_addr) || !isIpv4(entry->ifa_netmask)) continue;
    char text[INET_ADDRSTRLEN];
    dottedText(entry->ifa_addr, text);
    if (std::strcmp(text, address) != 0) continue;
    char mask[INET_ADDRSTRLEN];
    dottedText(entry->ifa_netmask, mask);
    std::memcpy(buffer, mask, std::min<size_t>(std::strlen(mask) + 1, size));
    buffer[size - 1] = '\0';
    result = RESULT_OK;
    break;
  }
  sys.freeifaddrs(interfaces);
  return result;
}

uint32_t SysSockSetSubnetMask(const char*, const char*) { return RESULT_NOT_IMPLEMENTED; }

uint32_t SysSockSetIPAddress(const char*, const char*) { return RESULT_OK; }

}  // extern "C"
